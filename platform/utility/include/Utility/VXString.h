// VXString: the wide string of the whole server, one code point per element,
// and the one place where it meets the other encoding forms (UTF-8 for narrow
// text, files and blobs; UTF-16 for the XML parser). Every conversion in the
// server goes through the functions below, which are built on ICU's macros.
//
//   VXString name = U"Orders";
//   std::string utf8 = ToNarrow(name);      // "Orders"
//   VXString back = ToVXString(utf8);       // U"Orders"
//   std::u16string x = ToUtf16(name);       // throws on what UTF-16 cannot carry
//
// Two policies, chosen by the caller:
// - Lenient (ToVXString, ToNarrow, AppendUtf8): for text shown to people.
//   Nothing fails; what the target form cannot carry becomes U+FFFD, so a
//   damaged name stays visible instead of vanishing.
// - Exact (ToUtf8Exact, ToUtf16; FromUtf16 is always exact): for text that
//   is stored and read back. An element that is not a Unicode scalar value
//   (a surrogate code point, or a value beyond U+10FFFF) is refused with an
//   UnencodableTextError naming it and its position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

using VXString = std::u32string;
using VXStringVector = std::vector<VXString>;
// A qualified name: one segment per level, outermost container first.
using QualifiedName = VXStringVector;
using ByteVector = std::vector<std::uint8_t>;
using uint8 = std::uint8_t;

// Text that an exact conversion cannot carry.
class UnencodableTextError : public std::invalid_argument {
 public:
  UnencodableTextError(std::size_t position, char32_t value, const char* why);
  std::size_t GetPosition() const { return m_position; }
  char32_t GetValue() const { return m_value; }

 private:
  std::size_t m_position;
  char32_t m_value;
};

// Whether c is a Unicode scalar value: at most U+10FFFF and not a surrogate.
constexpr bool IsScalarValue(char32_t c) { return c < 0xD800 || (c > 0xDFFF && c <= 0x10FFFF); }
// Position of the first element of text that is not a scalar value; npos
// when every element is one.
std::size_t FindNonScalarValue(std::u32string_view text);

// ---- UTF-8 --------------------------------------------------------------------

// UTF-8 to UTF-32. Each maximal ill-formed part (a stray byte, a cut-off or
// overlong sequence, an encoded surrogate) becomes one U+FFFD.
VXString ToVXString(std::string_view utf8);
// UTF-32 to UTF-8. Elements that are not scalar values become U+FFFD.
std::string ToNarrow(std::u32string_view wide);
// Appends the UTF-8 form of one code point (U+FFFD for a non-scalar value).
void AppendUtf8(std::string& out, char32_t cp);
// UTF-32 to UTF-8, refusing non-scalar values (UnencodableTextError).
std::string ToUtf8Exact(std::u32string_view wide);
// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates).
bool IsValidUtf8(std::string_view bytes);

// ---- UTF-16 -------------------------------------------------------------------

// UTF-16 to UTF-32, appended to out. A surrogate without its partner is
// kept as the code point of that surrogate, so nothing is lost.
void AppendFromUtf16(VXString& out, std::u16string_view utf16);
VXString FromUtf16(std::u16string_view utf16);
// UTF-32 to UTF-16, refusing non-scalar values (UnencodableTextError).
std::u16string ToUtf16(std::u32string_view wide);
