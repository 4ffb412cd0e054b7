// Fuzz target: reading an object id from its text form ("type:number").
// Whatever the bytes (read as UTF-8, or as raw code points when the first
// byte is odd), FromString either refuses or gives an id whose own text
// reads back to the same id; an accepted text holds only an optional minus,
// digits, one colon and digits. A refused text leaves the id alone.
#include <cstddef>
#include <cstdint>

#include "FuzzText.h"
#include "Utility/VoidID.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const VXString text = FuzzTextFrom(data, size);
  const VoidID untouched(-7, 7);
  VoidID id = untouched;
  if (!VoidID::FromString(text, id)) {
    FuzzCheck(id == untouched);
    return 0;
  }
  std::size_t colons = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (c == U':') {
      ++colons;
    } else {
      FuzzCheck((c >= U'0' && c <= U'9') || (c == U'-' && i == 0));
    }
  }
  FuzzCheck(colons == 1);
  VoidID back;
  FuzzCheck(VoidID::FromString(id.ToString(), back) && back == id);
  return 0;
}
