// Fuzz target: reading an object id from its text form ("type:number").
// Whatever the bytes (read as UTF-8, or as raw code points when the first
// byte is odd), FromString either refuses or gives an id whose own text
// reads back to the same id; an accepted text holds only an optional minus,
// digits, one colon and digits. A refused text leaves the id alone.
#include <cstddef>
#include <cstdint>

#include "Utility/VoidID.h"

namespace {
void Check(bool ok) {
  if (!ok) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  VXString text;
  if (data[0] & 1) {
    // Any 32-bit values, surrogates and values past Unicode included.
    for (std::size_t i = 1; i + 4 <= size; i += 4) {
      text.push_back(static_cast<char32_t>(std::uint32_t{data[i]} << 24 | std::uint32_t{data[i + 1]} << 16 |
                                           std::uint32_t{data[i + 2]} << 8 | data[i + 3]));
    }
  } else {
    text = ToVXString(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  }
  const VoidID untouched(-7, 7);
  VoidID id = untouched;
  if (!VoidID::FromString(text, id)) {
    Check(id == untouched);
    return 0;
  }
  std::size_t colons = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (c == U':') {
      ++colons;
    } else {
      Check((c >= U'0' && c <= U'9') || (c == U'-' && i == 0));
    }
  }
  Check(colons == 1);
  VoidID back;
  Check(VoidID::FromString(id.ToString(), back) && back == id);
  return 0;
}
