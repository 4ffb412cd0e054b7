#include "Utility/SUInstallDir.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>

namespace {
// Any function of this library: dladdr names the file it was loaded from.
void Anchor() {}

std::string FromLoadedLibrary() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&Anchor), &info) == 0 || info.dli_fname == nullptr || !*info.dli_fname) {
    return ".";
  }
  std::error_code ec;
  std::filesystem::path lib = std::filesystem::weakly_canonical(info.dli_fname, ec);
  if (ec) lib = info.dli_fname;
  // SMUTIL_LIB_TO_DATA is the install layout's path from the library
  // directory to the data directory, relative, so a moved prefix still works.
  return (lib.parent_path() / SMUTIL_LIB_TO_DATA).lexically_normal().string();
}
}  // namespace

namespace SUInstallDir {
std::string DataDirectory() {
  if (const char* env = std::getenv("SMUTIL_DATA_DIR"); env && *env) return env;
  // The library file does not move while it is loaded.
  static const std::string dir = FromLoadedLibrary();
  return dir;
}

std::string DataFile(const std::string& name) { return DataDirectory() + "/" + name; }
}  // namespace SUInstallDir
