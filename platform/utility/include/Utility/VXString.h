// VXString: the wide string of the whole server, one code point per element.
//
//   VXString name = U"Orders";
//   std::string utf8 = ToNarrow(name);      // "Orders"
//   VXString back = ToVXString(utf8);       // U"Orders"
//
// Narrow text is UTF-8 everywhere; this header is the one place where narrow
// and wide text meet. Malformed UTF-8 never fails: each bad byte becomes
// U+FFFD, so a damaged name stays visible instead of vanishing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using VXString = std::u32string;
using VXStringVector = std::vector<VXString>;
// A qualified name: one segment per level, outermost container first.
using QualifiedName = VXStringVector;
using ByteVector = std::vector<std::uint8_t>;
using uint8 = std::uint8_t;

// UTF-8 to UTF-32. Invalid sequences become U+FFFD.
VXString ToVXString(std::string_view utf8);
// UTF-32 to UTF-8. Code points outside Unicode become U+FFFD.
std::string ToNarrow(std::u32string_view wide);
// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t cp);
// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates).
bool IsValidUtf8(std::string_view bytes);
