// Query files from arbitrary text over a small repository: the reader either
// refuses the text with a QueryFileError or gives queries whose byte form
// reads back as the same query.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "FuzzRepository.h"
#include "FuzzText.h"
#include "Metadata/SMQueryFile.h"

namespace {

QueryFileTypes Types() {
  QueryFileTypes types;
  types.parse = [](const std::string& text, TypeID& type, std::string& why) {
    if (text == "C") {
      type = kTIDAColumn;
    } else if (text == "T") {
      type = kTIDATable;
    } else if (text == "SA") {
      type = kTIDACatalogFolder;
    } else {
      why = "unknown type '" + text + "'";
      return false;
    }
    return true;
  };
  types.label = [](TypeID type) { return "type " + std::to_string(type); };
  return types;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 0 && (data[0] & 1)) return 0;  // query files are UTF-8 text
  const std::string text = ToNarrow(FuzzTextFrom(data, size));
  QueryFileReader reader(&FuzzRepository(), Types());
  try {
    reader.Read(text);
  } catch (const QueryFileError&) {
    return 0;
  }
  const AbstractListQuerySpec& query = reader.Get("");
  ByteVector bytes;
  try {
    bytes = query.ToByteVector();
  } catch (const std::length_error&) {
    return 0;  // nested deeper than the byte form allows
  }
  FuzzCheck(AbstractListQuerySpec::FromByteVector(bytes)->Equals(query));
  return 0;
}
