// The library's version, for hosts that log what they loaded.
//
//   ServerLog::LogTrace(U"metadata utilities " + ToVXString(SMUtilVersion()), 1);
#pragma once

const char* SMUtilVersion();
