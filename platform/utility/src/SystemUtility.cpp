#include "Utility/SystemUtility.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include "Utility/BaseStringUtil.h"
#include "Utility/SUFilePath.h"
#include "Utility/SUFileUtility.h"
#include "Utility/SUInstallDir.h"
#include "Utility/SUSystemConfig.h"

namespace {
VXString FromEnvOrConfig(const char* env, const VXString& configured, const VXString& fallback) {
  if (const char* v = std::getenv(env); v && *v) return ToVXString(v);
  return configured.empty() ? fallback : configured;
}

bool IsSeparator(char32_t c) { return c == U'/' || c == U'\\'; }

std::size_t FileNameStart(const VXString& path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return i;
  }
  return 0;
}
}  // namespace

namespace SystemUtility {
VXString Getenv(const VXString& name) {
  const char* v = std::getenv(ToNarrow(name).c_str());
  return v ? ToVXString(v) : VXString();
}

bool hasEnv(const VXString& name) { return std::getenv(ToNarrow(name).c_str()) != nullptr; }

VXString GetHostName() {
  char buf[HOST_NAME_MAX + 1] = {};
  if (gethostname(buf, sizeof buf - 1) != 0 || buf[0] == '\0') return U"localhost";
  return ToVXString(buf);
}

VXString GetInstanceName() {
  return FromEnvOrConfig("SMUTIL_INSTANCE_NAME", SUSystemConfig::GetSystemConfig()->GetInstanceName(), U"smutil1");
}

VXString GetComponentName() {
  return FromEnvOrConfig("SMUTIL_COMPONENT_NAME", SUSystemConfig::GetSystemConfig()->GetComponentName(), U"smutil");
}

VXString GetZirconBIHomeDirectory() {
  return FromEnvOrConfig("SMUTIL_HOME", SUSystemConfig::GetSystemConfig()->GetHomeDirectory(),
                         ToVXString(SUInstallDir::DataDirectory()));
}

int GetMultiByteCodePage() { return SUSystemConfig::GetSystemConfig()->GetMultiByteCodePage(); }

bool IsLegacyInstanceMode() {
  if (const char* v = std::getenv("SMUTIL_LEGACY_INSTANCE_MODE"); v && *v) {
    return BaseStringUtil::BooleanFrom(ToVXString(v), false);
  }
  return SUSystemConfig::GetSystemConfig()->IsLegacyInstanceMode();
}
}  // namespace SystemUtility

namespace SUFileUtility {
bool FileExists(const VXString& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(ToNarrow(path), ec);
}

bool DirectoryExists(const VXString& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_directory(ToNarrow(path), ec);
}
}  // namespace SUFileUtility

namespace SUFilePath {
VXString VXPathStripExtension(const VXString& path) {
  const std::size_t start = FileNameStart(path);
  const std::size_t dot = path.rfind(U'.');
  if (dot == VXString::npos || dot <= start) return path;
  return path.substr(0, dot);
}

VXString VXPathFileName(const VXString& path) { return path.substr(FileNameStart(path)); }

VXString VXPathJoin(const VXString& a, const VXString& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  VXString out = a;
  while (out.size() > 1 && IsSeparator(out.back())) out.pop_back();
  std::size_t skip = 0;
  while (skip < b.size() && IsSeparator(b[skip])) ++skip;
  if (!IsSeparator(out.back())) out.push_back(U'/');
  return out + b.substr(skip);
}
}  // namespace SUFilePath
