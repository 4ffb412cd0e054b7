// The library's version, for hosts that log what they loaded.
//
//   ServerLog::LogTrace(U"metadata utilities " + ToVXString(SMUtilVersion()), 1);
#pragma once

// "MAJOR.MINOR.PATCH" of the loaded library; the installed package's
// smutilConfigVersion.cmake gives the same number at build time.
const char* SMUtilVersion();
