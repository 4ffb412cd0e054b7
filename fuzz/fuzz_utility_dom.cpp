// Arbitrary bytes as an XML document: the parser must report problems through
// the error reporter and never crash, hang on entity expansion or throw.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Utility/SUGDOM.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SUGDomErrorReporter errors;
  auto doc = SUGDOM::ParseMemoryDocument(std::string_view(reinterpret_cast<const char*>(data), size), U"fuzz.xml", U"",
                                         errors);
  if (doc) {
    for (auto* e : SUGDOM::GetChildElements(doc->GetDocumentElement())) {
      SUGDOM::GetElementName(e);
      SUGDOM::GetAttribute(e, U"prefix");
    }
  } else if (!errors.HasErrors()) {
    __builtin_trap();
  }
  return 0;
}
