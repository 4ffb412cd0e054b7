#include "Metadata/SMVersion.h"

const char* SMUtilVersion() { return "0.1.0"; }
