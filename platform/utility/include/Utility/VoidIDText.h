// VoidIDText: reads an id written TYPE:NUMBER (as VoidID::ToString writes
// it), from text of any character type, for every reader of ids in text:
// repository files, their text comparison, command lines.
//
//   VoidID id;
//   VoidIDText::Parse(std::string_view("3001:42"), id);   // true: type 3001, number 42
//   VoidIDText::Parse(std::u32string_view(U"-7:1"), id);  // true: the type may be negative
//   VoidIDText::Parse(std::string_view("3001:"), id);     // false, id unchanged
#pragma once

#include <cstdint>
#include <string_view>

#include "Utility/VoidID.h"

namespace VoidIDText {
// Both parts decimal, the type with an optional minus sign, and nothing
// else: no blanks, no plus sign, at most 11 digits a part, the type within
// 32 bits signed and the number within 32 bits unsigned. atEnd(p) tells
// whether p is past the text (its end, or a NUL that ends it, which spares
// measuring it first). id is written only when the whole text is an id.
template <class CharT, class AtEnd>
bool ParseFrom(const CharT* p, AtEnd atEnd, VoidID& id) {
  const auto digit = [&] { return !atEnd(p) && *p >= CharT('0') && *p <= CharT('9'); };
  const bool bNeg = !atEnd(p) && *p == CharT('-');
  p += bNeg;
  std::int64_t type = 0;
  int digits = 0;
  for (; digit() && digits < 11; ++p, ++digits) type = type * 10 + (*p - CharT('0'));
  if (digits == 0 || atEnd(p) || *p != CharT(':')) return false;
  if (bNeg) type = -type;
  ++p;
  std::uint64_t num = 0;
  digits = 0;
  for (; digit() && digits < 11; ++p, ++digits) num = num * 10 + static_cast<std::uint64_t>(*p - CharT('0'));
  if (digits == 0 || !atEnd(p) || type < INT32_MIN || type > INT32_MAX || num > UINT32_MAX) return false;
  id = VoidID(static_cast<TypeID>(type), static_cast<std::uint32_t>(num));
  return true;
}

// The whole of text.
template <class CharT>
bool Parse(std::basic_string_view<CharT> text, VoidID& id) {
  const CharT* const end = text.data() + text.size();
  return ParseFrom(
      text.data(), [end](const CharT* p) { return p == end; }, id);
}
}  // namespace VoidIDText
