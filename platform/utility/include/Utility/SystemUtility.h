// SystemUtility: what the server knows about its process and host: the
// environment, the host, instance and component names, the installation home
// directory, the multibyte code page and the instance mode.
//
//   SystemUtility::Getenv(U"RIP_AND_REPLACE_MODE");   // U"" when unset
//   SystemUtility::GetHostName();                     // U"build-01"
//
// Names come from the environment first (SMUTIL_INSTANCE_NAME,
// SMUTIL_COMPONENT_NAME, SMUTIL_HOME, SMUTIL_LEGACY_INSTANCE_MODE), then from
// the system configuration (SUSystemConfig), then from the defaults given
// below. Nothing is cached, so a test may change the environment.
#pragma once

#include "Utility/VXString.h"

namespace SystemUtility {
// The value of an environment variable; empty when it is not set.
VXString Getenv(const VXString& name);
// Whether the variable is set (an empty value counts as set).
bool hasEnv(const VXString& name);

// The host's name (gethostname); "localhost" when the system cannot say.
VXString GetHostName();
// The server instance's name; "smutil1" by default.
VXString GetInstanceName();
// The component's name within the instance; "smutil" by default.
VXString GetComponentName();
// The installation home: SMUTIL_HOME, else the configured HomeDirectory,
// else the data directory (SUInstallDir).
VXString GetZirconBIHomeDirectory();
// The code page of narrow text (65001, UTF-8, by default).
int GetMultiByteCodePage();
// Whether the server runs in the legacy single-instance layout.
bool IsLegacyInstanceMode();
}  // namespace SystemUtility
