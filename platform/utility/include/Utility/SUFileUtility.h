// SUFileUtility: file-system questions asked with VXString paths.
//
//   SUFileUtility::FileExists(U"/etc/hosts");   // true
#pragma once

#include "Utility/VXString.h"

namespace SUFileUtility {
// True for an existing regular file (or a link to one); false for
// directories, missing paths and paths the process may not look at.
bool FileExists(const VXString& path);
bool DirectoryExists(const VXString& path);
}  // namespace SUFileUtility
