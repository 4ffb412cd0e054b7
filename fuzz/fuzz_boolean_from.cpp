// Fuzz target: reading a truth value from text (BooleanFrom). The text is
// either recognised (the answer does not depend on the default) or not (the
// answer is the default); surrounding white space and letter case never
// change the answer; a recognised text is one of the words or an integer.
#include <cstddef>
#include <cstdint>

#include "Utility/BaseStringUtil.h"

namespace {
void Check(bool ok) {
  if (!ok) __builtin_trap();
}

bool IsWordOrInteger(std::u32string_view text) {
  const VXString t = BaseStringUtil::ToLowerCase(BaseStringUtil::TrimBoth(text));
  for (const char32_t* word : {U"true", U"yes", U"on", U"t", U"y", U"false", U"no", U"off", U"f", U"n"}) {
    if (t == word) return true;
  }
  std::size_t i = (!t.empty() && (t[0] == U'+' || t[0] == U'-')) ? 1 : 0;
  if (i == t.size()) return false;
  for (; i < t.size(); ++i) {
    if (t[i] < U'0' || t[i] > U'9') return false;
  }
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  VXString text;
  if (data[0] & 1) {
    for (std::size_t i = 1; i + 4 <= size; i += 4) {
      text.push_back(static_cast<char32_t>(std::uint32_t{data[i]} << 24 | std::uint32_t{data[i + 1]} << 16 |
                                           std::uint32_t{data[i + 2]} << 8 | data[i + 3]));
    }
  } else {
    text = ToVXString(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  }
  const bool whenTrue = BaseStringUtil::BooleanFrom(text, true);
  const bool whenFalse = BaseStringUtil::BooleanFrom(text, false);
  const bool bRecognised = whenTrue == whenFalse;
  if (IsWordOrInteger(text)) Check(bRecognised);
  Check(BaseStringUtil::BooleanFrom(U" \t" + text + U"\n ", true) == whenTrue);
  Check(BaseStringUtil::BooleanFrom(U" \t" + text + U"\n ", false) == whenFalse);
  Check(BaseStringUtil::BooleanFrom(BaseStringUtil::ToUpperCase(text), true) == whenTrue ||
        !IsWordOrInteger(BaseStringUtil::ToUpperCase(text)));
  return 0;
}
