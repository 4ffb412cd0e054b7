// Where the library's data files (message catalogue, default configuration,
// sample repository, sample queries) are found at run time.
//
//   SUInstallDir::DataFile("messages.txt")   // e.g. /opt/smutil/share/smutil/messages.txt
#pragma once

#include <string>

namespace SUInstallDir {
// SMUTIL_DATA_DIR when it is set; otherwise the data directory of the
// installation this library was loaded from, found from the library's own
// file (`<libdir>/../share/smutil` for the usual layout). The build tree is
// laid out like an installation, so a library run from it finds the
// project's samples the same way.
std::string DataDirectory();
// DataDirectory() + "/" + name.
std::string DataFile(const std::string& name);
}  // namespace SUInstallDir
