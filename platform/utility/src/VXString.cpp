#include "Utility/VXString.h"

#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <cstdio>

#include "Utility/Utf16Widen.h"

namespace {
constexpr char32_t kReplacement = 0xFFFD;

std::string Describe(std::size_t position, char32_t value, const char* why) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(value));
  return std::string("the text cannot be encoded: ") + code + " at position " + std::to_string(position) + " " + why;
}

constexpr const char* kNotScalar = "is not a Unicode character (a surrogate or beyond U+10FFFF)";

// Writes a scalar value; the caller has checked it is one.
void AppendScalarUtf8(std::string& out, char32_t cp) {
  char buf[U8_MAX_LENGTH];
  std::size_t n = 0;
  U8_APPEND_UNSAFE(buf, n, static_cast<UChar32>(cp));
  out.append(buf, n);
}
}  // namespace

UnencodableTextError::UnencodableTextError(std::size_t position, char32_t value, const char* why)
    : std::invalid_argument(Describe(position, value, why)), m_position(position), m_value(value) {}

std::size_t FindNonScalarValue(std::u32string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsScalarValue(text[i])) return i;
  }
  return std::u32string_view::npos;
}

VXString ToVXString(std::string_view utf8) {
  VXString out;
  out.reserve(utf8.size());
  const auto* s = reinterpret_cast<const std::uint8_t*>(utf8.data());
  const std::size_t length = utf8.size();
  for (std::size_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT_OR_FFFD(s, i, length, c);
    out.push_back(static_cast<char32_t>(c));
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else {
    AppendScalarUtf8(out, IsScalarValue(cp) ? cp : kReplacement);
  }
}

std::string ToNarrow(std::u32string_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (char32_t cp : wide) AppendUtf8(out, cp);
  return out;
}

std::string ToUtf8Exact(std::u32string_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const char32_t cp = wide[i];
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (IsScalarValue(cp)) {
      AppendScalarUtf8(out, cp);
    } else {
      throw UnencodableTextError(i, cp, kNotScalar);
    }
  }
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::size_t length = bytes.size();
  for (std::size_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(s, i, length, c);
    if (c < 0) return false;
  }
  return true;
}

void AppendFromUtf16(VXString& out, std::u16string_view utf16) {
  // Sized once and written in place: every name of a large repository file
  // passes here.
  const std::size_t start = out.size();
  out.resize(start + utf16.size());
  out.resize(start + WidenUtf16(utf16, out.data() + start));
}

VXString FromUtf16(std::u16string_view utf16) {
  VXString out;
  AppendFromUtf16(out, utf16);
  return out;
}

std::u16string ToUtf16(std::u32string_view wide) {
  std::u16string out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const char32_t cp = wide[i];
    if (cp < 0x10000 && IsScalarValue(cp)) {
      out.push_back(static_cast<char16_t>(cp));
    } else if (IsScalarValue(cp)) {
      out.push_back(U16_LEAD(cp));
      out.push_back(U16_TRAIL(cp));
    } else {
      throw UnencodableTextError(i, cp, kNotScalar);
    }
  }
  return out;
}
