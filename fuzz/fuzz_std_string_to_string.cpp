// Fuzz target: narrow text in a code page to wide text (StdStringToString).
// The first two bytes pick the code page: the common single-byte, multi-byte
// and stateful ones, UTF-8, the refused UTF-16 numbers, or any number at all.
// Every result must be Unicode text (no surrogates, nothing past U+10FFFF);
// a single-byte Latin-1 text keeps one character per byte, each the byte's
// value, and ASCII text comes through unchanged in every ASCII-based page.
// Only pages that are not narrow (UTF-16, UTF-32) may be refused; a lone
// surrogate from a Unicode byte form (SCSU, BOCU-1) comes out as U+FFFD.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <string_view>

#include "FuzzText.h"
#include "Utility/BaseStringUtil.h"

namespace {
constexpr int kCodePages[] = {0,   65001, 1252,  1250, 1251, 1253, 28591, 28592, 28605, 20127, 932, 936,
                              949, 950,   54936, 37,   500,  1140, 50220, 51932, 1200,  1201,  437, 850};
// Pages of the table whose first 128 byte values are ASCII (EBCDIC pages and
// ISO-2022 escapes are not; a number outside the table is not known to be).
constexpr int kAsciiBased[] = {0,     65001, 1252, 1250, 1251, 1253,  28591, 28592, 28605,
                               20127, 932,   936,  949,  950,  54936, 51932, 437,   850};
bool IsAsciiBased(int codePage) {
  return std::find(std::begin(kAsciiBased), std::end(kAsciiBased), codePage) != std::end(kAsciiBased);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int selector = (data[0] << 8) | data[1];
  const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
  // Half the inputs take a page from the table, the rest any number.
  const int codePage = (selector & 0x8000) ? kCodePages[selector % std::size(kCodePages)] : (selector & 0x7fff) - 64;
  VXString wide;
  try {
    wide = BaseStringUtil::StdStringToString(text, codePage);
  } catch (const std::invalid_argument&) {
    // Only pages that are not narrow (UTF-16, UTF-32) are refused.
    FuzzCheck(!IsAsciiBased(codePage));
    return 0;
  }
  FuzzCheck(codePage != 1200 && codePage != 1201);
  for (char32_t c : wide) FuzzCheck(c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF));
  if (codePage == 28591) {
    FuzzCheck(wide.size() == text.size());
    for (std::size_t i = 0; i < text.size(); ++i) FuzzCheck(wide[i] == static_cast<unsigned char>(text[i]));
  }
  bool bAscii = true;
  for (char c : text) bAscii = bAscii && static_cast<unsigned char>(c) < 0x80;
  if (bAscii && IsAsciiBased(codePage)) {
    FuzzCheck(wide.size() == text.size());
    for (std::size_t i = 0; i < text.size(); ++i) FuzzCheck(wide[i] == static_cast<unsigned char>(text[i]));
  }
  return 0;
}
