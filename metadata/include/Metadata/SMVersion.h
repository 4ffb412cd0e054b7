// The library's version, for hosts that log what they loaded.
#pragma once

const char* SMUtilVersion();
