// XmlText: which characters XML 1.0 can carry, and the references that stand
// for markup characters in text, for every writer of XML or HTML here
// (repository files, XML descriptions, the dictionary site).
//
//   XmlText::IsXmlChar(U'\t');                                  // true
//   XmlText::IsXmlChar(0xFFFE);                                 // false
//   XmlText::MarkupReference(U'<', XmlText::Apostrophe::kKeep); // "&lt;"
//   XmlText::MarkupReference(U'a', XmlText::Apostrophe::kKeep); // "" (plain text)
#pragma once

#include <string_view>

namespace XmlText {
// The Char production of XML 1.0: tab, line feed, carriage return,
// U+0020-U+D7FF, U+E000-U+FFFD and U+10000-U+10FFFF. Anything else (other
// controls, surrogates, U+FFFE, U+FFFF, values past U+10FFFF) cannot stand in
// a document, not even as a character reference.
constexpr bool IsXmlChar(char32_t c) noexcept {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

// How an apostrophe is written: as itself (text that is never put between
// single quotes), as &apos;, or as &#39; (which HTML 4 also reads).
enum class Apostrophe { kKeep, kNamed, kNumeric };

// The reference for a markup character, valid in element content and in
// attribute values between either quote: & < > " and, as asked, the
// apostrophe. Empty for every other character, which stands as itself.
constexpr std::string_view MarkupReference(char32_t c, Apostrophe apostrophe) noexcept {
  switch (c) {
    case U'&':
      return "&amp;";
    case U'<':
      return "&lt;";
    case U'>':
      return "&gt;";
    case U'"':
      return "&quot;";
    case U'\'':
      return apostrophe == Apostrophe::kNamed ? "&apos;" : apostrophe == Apostrophe::kNumeric ? "&#39;" : "";
    default:
      return "";
  }
}
}  // namespace XmlText
