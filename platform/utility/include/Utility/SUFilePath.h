// SUFilePath: path text operations (no file-system access). Both `/` and `\`
// separate directories, so Windows paths stored in repositories work too.
//
//   SUFilePath::VXPathStripExtension(U"rp/Sales.rpd");    // U"rp/Sales"
//   SUFilePath::VXPathJoin(U"home", U"lib");              // U"home/lib"
#pragma once

#include "Utility/VXString.h"

namespace SUFilePath {
// The path without the extension of its last component: the text from the
// last "." of that component on. A component that only starts with "."
// (".profile") has no extension; directories are never touched.
VXString VXPathStripExtension(const VXString& path);
// The last component ("Sales.rpd" of "rp/Sales.rpd").
VXString VXPathFileName(const VXString& path);
// a, one "/", and b; no separator is doubled, an empty side gives the other.
VXString VXPathJoin(const VXString& a, const VXString& b);
}  // namespace SUFilePath
