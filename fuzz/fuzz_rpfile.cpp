// Repository files from arbitrary bytes: the loader either refuses them with
// an RpFileError or returns a repository that saves and loads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "objectmodel/RpFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<ARpGateway> rp;
  try {
    rp = RpFile::LoadFromMemory(reinterpret_cast<const char*>(data), size, "fuzz");
  } catch (const RpFileError&) {
    return 0;
  }
  const std::string text = RpFile::SaveToString(*rp);
  std::unique_ptr<ARpGateway> back = RpFile::LoadFromMemory(text.data(), text.size(), "saved");
  std::string diff;
  if (RpFile::FindFirstDifference(*rp, *back, diff)) std::abort();
  return 0;
}
