// The small text readers and scanners of the utilities: date and time
// literals, GUID text, wildcard patterns, quote-aware searching and printf
// formats. The first byte picks the reader; the rest is its input.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "FuzzText.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/TYSGUIDGenerator.h"
#include "Utility/VXDateTime.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view narrow(reinterpret_cast<const char*>(data + 1), size - 1);
  const VXString wide = ToVXString(narrow);
  switch (data[0] % 6) {
    case 0: {
      VXDateTime ts;
      if (VXDateTime::FromString(narrow, ts))
        FuzzCheck(ts.IsValid() && ts.GetDate().ToString() == narrow.substr(0, 10));
      VXDate d;
      if (VXDate::FromString(narrow, d)) {
        FuzzCheck(d.ToString() == narrow);
        FuzzCheck(ToNarrow(DateTimeMetaData::Convert(d, DateTimeMetaData::global_stdInternationalDateFormat)) ==
                  narrow);
      }
      VXTime t;
      if (VXTime::FromString(narrow, t)) FuzzCheck(t.IsValid());
      break;
    }
    case 1: {
      ByteVector g;
      if (TYSGUIDGenerator::GUIDStringToByteVector(wide, g)) {
        ByteVector back;
        FuzzCheck(TYSGUIDGenerator::GUIDStringToByteVector(TYSGUIDGenerator::ByteVectorToGUIDString(g), back) &&
                  back == g);
      }
      break;
    }
    case 2: {
      const std::size_t cut = wide.size() / 2;
      BaseStringUtil::IsWildcardCaseInsensitiveMatch(wide.substr(0, cut), wide.substr(cut));
      FuzzCheck(BaseStringUtil::IsWildcardCaseInsensitiveMatch(wide, U"*"));
      break;
    }
    case 3: {
      std::vector<BaseStringUtil::QuotedPart> parts;
      for (std::size_t start = 0;;) {
        const std::size_t found = BaseStringUtil::FindFirstUnquoted(wide, U"(", start, &parts);
        if (found == VXString::npos) break;
        FuzzCheck(found >= start && found < wide.size());
        const std::size_t close = BaseStringUtil::FindClosingParenthesis(wide, found + 1);
        FuzzCheck(close == VXString::npos || (close > found && wide[close] == U')'));
        start = found + 1;
      }
      for (const auto& [open, close] : parts)
        FuzzCheck(open < close && close < wide.size() && wide[open] == wide[close]);
      break;
    }
    case 4: {
      try {
        BaseStringUtil::VXString_sprintf(wide, 42, U"text", 2.5);
      } catch (const std::invalid_argument&) {
      }
      break;
    }
    default: {
      FuzzCheck(BaseStringUtil::ToLowerCase(wide).size() == wide.size());
      FuzzCheck(BaseStringUtil::ToFoldedCase(BaseStringUtil::ToUpperCase(wide)).size() == wide.size());
      VXString copy = wide;
      BaseStringUtil::ReplaceSubstring(copy, U"a", U"bb", true, false);
      BaseStringUtil::EscapeXMLChars(wide);
      BaseStringUtil::Tokenize(wide, U".'", true, true);
      break;
    }
  }
  return 0;
}
