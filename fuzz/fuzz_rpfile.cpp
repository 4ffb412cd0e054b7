// Repository files from arbitrary bytes: the loader either refuses them with
// an RpFileError or returns a repository that saves and loads back the same.
// A file without a document type declaration is read with the scanner that
// checks well-formedness only; given an empty declaration it is read with the
// full scanner instead, and both must accept it or refuse it alike, and
// accepted, give the same repository.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Utility/SUGDOM.h"
#include "objectmodel/RpFile.h"

namespace {

std::unique_ptr<ARpGateway> LoadOrNull(const std::string_view text, const char* name) {
  try {
    return RpFile::LoadFromMemory(text.data(), text.size(), name);
  } catch (const RpFileError&) {
    return nullptr;
  }
}

// The text with an empty document type declaration after its XML
// declaration (or at its start), which sends it to the full scanner.
std::string WithDeclaration(std::string_view text) {
  std::size_t at = 0;
  if (text.starts_with("<?xml")) {
    const std::size_t end = text.find("?>");
    at = end == std::string_view::npos ? text.size() : end + 2;
  }
  return std::string(text.substr(0, at)) + "<!DOCTYPE repository>" + std::string(text.substr(at));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<ARpGateway> rp = LoadOrNull(text, "fuzz");
  std::string diff;
  if (SUGDOM::HasPlainProlog(text) && !text.starts_with("\xEF\xBB\xBF")) {
    std::unique_ptr<ARpGateway> full = LoadOrNull(WithDeclaration(text), "full");
    if (!rp != !full) std::abort();
    if (rp && RpFile::FindFirstDifference(*rp, *full, diff)) std::abort();
  }
  if (!rp) return 0;
  const std::string saved = RpFile::SaveToString(*rp);
  std::unique_ptr<ARpGateway> back = RpFile::LoadFromMemory(saved.data(), saved.size(), "saved");
  if (RpFile::FindFirstDifference(*rp, *back, diff)) std::abort();
  return 0;
}
