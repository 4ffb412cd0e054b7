// Fuzz target: reading a truth value from text (BooleanFrom). The text is
// either recognised (the answer does not depend on the default) or not (the
// answer is the default); surrounding white space and letter case never
// change the answer; a recognised text is one of the words or an integer.
#include <cstddef>
#include <cstdint>

#include "FuzzText.h"
#include "Utility/BaseStringUtil.h"

namespace {
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
  const VXString text = FuzzTextFrom(data, size);
  const bool whenTrue = BaseStringUtil::BooleanFrom(text, true);
  const bool whenFalse = BaseStringUtil::BooleanFrom(text, false);
  const bool bRecognised = whenTrue == whenFalse;
  if (IsWordOrInteger(text)) FuzzCheck(bRecognised);
  FuzzCheck(BaseStringUtil::BooleanFrom(U" \t" + text + U"\n ", true) == whenTrue);
  FuzzCheck(BaseStringUtil::BooleanFrom(U" \t" + text + U"\n ", false) == whenFalse);
  FuzzCheck(BaseStringUtil::BooleanFrom(BaseStringUtil::ToUpperCase(text), true) == whenTrue ||
            !IsWordOrInteger(BaseStringUtil::ToUpperCase(text)));
  return 0;
}
