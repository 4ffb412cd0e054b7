// References nested in references: each is replaced in place from the last
// to the first, with positions of the text as given, so an outer reference
// whose range now runs past the end takes the rest of the text with it.
// Deep nesting gives the same answer as shallow nesting, and the pass finds
// the same references the scanner lists.
#include <gtest/gtest.h>

#include "Metadata/SMUtil.h"
#include "Metadata/SMVariables.h"
#include "SMUtilSubstitution.h"
#include "objectmodel/RpGateway.h"

namespace {

std::u32string Nested(std::size_t depth, const std::u32string& inner) {
  std::u32string text;
  for (std::size_t i = 0; i < depth; ++i) text += U"VALUEOF(";
  text += inner;
  text.append(depth, U')');
  return text;
}

TEST(SubstitutionNesting, OuterReferencesTakeTheRestOfTheText) {
  ARpGateway rp;
  struct Case {
    std::u32string text;
    std::u32string expected;
  };
  const Case cases[] = {
      // Inner VALUEOF(X) (undefined) goes; the outer range [2, 21) then
      // reaches past the shortened text's end.
      {U"a VALUEOF(VALUEOF(X)) b", U"a "},      {U"a VALUEOF(X) b", U"a  b"},
      {U"a " + Nested(3, U"X") + U" b", U"a "}, {U"a " + Nested(1500, U"X") + U" b", U"a "},
      {U"a " + Nested(1500, U"X"), U"a "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.size());
    VXString text = c.text;
    MetadataUtil::ReplaceVariableWithValue(&rp, text, false, false, false);
    EXPECT_EQ(text, c.expected);
  }
}

TEST(SubstitutionNesting, SpansAreTheScannersReferences) {
  for (const std::u32string& text : {std::u32string(U"x VALUEOF(A.B) 'VALUEOF(C)' VALUEOF(D(E)) VALUEOF("),
                                     Nested(40, U"Q.R"), std::u32string(U"none")}) {
    VariablePositions refs;
    FindVariablesAux(text, refs, nullptr, 0);
    std::vector<VariableSpan> spans;
    FindVariableSpans(text, nullptr, spans);
    ASSERT_EQ(spans.size(), refs.size());
    for (std::size_t i = 0; i < refs.size(); ++i) {
      EXPECT_EQ(spans[i].m_position, refs[i].m_position);
      EXPECT_EQ(spans[i].m_endPosition, refs[i].m_endPosition);
      const std::u32string parameter = text.substr(spans[i].m_paramBegin, spans[i].m_paramEnd - spans[i].m_paramBegin);
      EXPECT_EQ(parameter,
                refs[i].m_qualifier.empty() ? refs[i].m_varName : refs[i].m_qualifier + U"." + refs[i].m_varName);
    }
  }
}

}  // namespace
