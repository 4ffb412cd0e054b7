// Feeds arbitrary bytes to the system-configuration reader; only
// SystemConfigError may escape.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Utility/SUSystemConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const SUSystemConfig cfg =
        SUSystemConfig::Parse(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz", "/base");
    if (cfg.GetCatalogDelimiter().empty()) __builtin_trap();
  } catch (const SystemConfigError&) {
  }
  return 0;
}
