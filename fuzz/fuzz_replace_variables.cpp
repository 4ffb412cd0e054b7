// Feeds arbitrary text to variable substitution over a small repository and
// session. Nothing may crash; only the three undefined-variable messages may
// be thrown, and only with errors on; and one pass must give what replacing
// each reference in place, from the last to the first, gives (the value of
// a reference being the pass applied to the reference's own text), on the
// error path too.
#include <cstddef>
#include <cstdint>

#include "Expr/ToStringVisitor.h"
#include "FuzzText.h"
#include "Metadata/SMConstants.h"
#include "Metadata/SMUtil.h"
#include "Metadata/SMVariables.h"
#include "SMUtilSubstitution.h"
#include "Utility/ErrorMessage.h"
#include "objectmodel/Interfaces.h"
#include "objectmodel/RpBuilder.h"

namespace {

ARpGateway& Repository() {
  static ARpGateway* rp = [] {
    auto* g = new ARpGateway();
    RpBuilder b(*g);
    const auto variable = [&](const VXString& name, int type, const VXString& expr, VoidID parent) {
      b.Add(kTIDARpVariable, name, parent)
          .Set(RpProp::kVariableType, std::int64_t{type})
          .Set(RpProp::kExpr, ToStringVisitor::ExprFrom(expr));
    };
    variable(U"Y", ARpVariable::kStatic, U"2024", VoidID::NullID);
    variable(U"Q", ARpVariable::kStatic, U"'it''s (VALUEOF(Y))'", VoidID::NullID);
    variable(U"D", ARpVariable::kDynamic, U"1", VoidID::NullID);
    variable(U"T", ARpVariable::kStatic, U"1", b.Add(kTIDASessionVariableBlock, U"A"));
    variable(U"T", ARpVariable::kStatic, U"2", b.Add(kTIDASessionVariableBlock, U"B"));
    const auto single = [&](const VXString& name, const VXString& value) {
      g->SetSessionVariableValue({U"S", name}, Heap<PropertyValue>(new PropertyValueString(value)));
    };
    single(U"N", U"O'Neil");
    single(U"R", U"VALUENAMEOF(S.N) valueof(Y)");
    g->SetSessionVariableValue({U"S", U"L"}, Heap<PropertyValue>(new PropertyValueStringVector({U"a", U"b'c"})));
    g->SetSessionVariableValue({U"S", U"E"}, Heap<PropertyValue>(new PropertyValueStringVector({})));
    return g;
  }();
  return *rp;
}

bool IsUndefinedMessage(const ErrorMessage& e) {
  const MessageId id = e.GetMessageNumber();
  return id == 23005 || id == 23006 || id == 23010;
}

// One pass; false when it threw (the text then holds what the pass left).
bool Pass(VXString& text, bool bStrict, const char32_t* pattern) {
  try {
    ReplaceVariableWithValueAux(&Repository(), text, bStrict, false, pattern, DummyReplaceValueOfWithQuotedStrings,
                                false);
    return true;
  } catch (const ErrorMessage& e) {
    FuzzCheck(bStrict && IsUndefinedMessage(e));
    return false;
  }
}

void CheckPassAgainstInPlaceReplacement(const VXString& text, bool bStrict, const char32_t* pattern) {
  VariablePositions refs;
  FindVariablesAux(text, refs, pattern, 0);
  VXString expected = text;
  bool bExpectedOk = true;
  for (auto it = refs.rbegin(); it != refs.rend(); ++it) {
    VXString value = text.substr(it->m_position, it->m_endPosition - it->m_position);
    // The reference read alone must be the same reference, or its own pass
    // is not its value.
    VariablePositions own;
    FindVariablesAux(value, own, pattern, 0);
    if (own.empty() || own[0].m_position != 0 || own[0].m_endPosition != value.size() ||
        own[0].m_qualifier != it->m_qualifier || own[0].m_varName != it->m_varName) {
      return;
    }
    if (!Pass(value, bStrict, pattern)) {
      bExpectedOk = false;
      break;
    }
    expected.replace(it->m_position, it->m_endPosition - it->m_position, value);
  }
  VXString actual = text;
  FuzzCheck(Pass(actual, bStrict, pattern) == bExpectedOk);
  FuzzCheck(actual == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size > 4096) return 0;
  const std::uint8_t flags = data[0];
  const bool bStrict = flags & 1;
  const bool bEscape = flags & 2;
  const char32_t* const patterns[] = {_S_VALUEOF_BRACKET, kValueListOfStr, kValueNameOfStr};
  const char32_t* pattern = patterns[(flags >> 2) % 3];
  const VXString text = FuzzTextFrom(data + 1, size - 1);

  VXString all = text;
  try {
    MetadataUtil::ReplaceVariableWithValue(&Repository(), all, bStrict, false, bEscape);
  } catch (const ErrorMessage& e) {
    FuzzCheck(bStrict && IsUndefinedMessage(e));
  }
  CheckPassAgainstInPlaceReplacement(text, bStrict, pattern);
  return 0;
}
