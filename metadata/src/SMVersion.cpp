#include "Metadata/SMVersion.h"

// SMUTIL_VERSION is the project's version, given to this file alone by the build.
const char* SMUtilVersion() { return SMUTIL_VERSION; }
