// Feeds arbitrary text to variable substitution over a small repository and
// session. Nothing may crash; only the three undefined-variable messages may
// be thrown, and only with errors on; and one pass must give what replacing
// each reference in place, from the last to the first, gives (the value of
// a reference being the pass applied to the reference's own text), on the
// error path too.
#include <algorithm>
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

ARpGateway& FuzzRepository() {
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
    ReplaceVariableWithValueAux(&FuzzRepository(), text, bStrict, false, pattern, DummyReplaceValueOfWithQuotedStrings,
                                false);
    return true;
  } catch (const ErrorMessage& e) {
    FuzzCheck(bStrict && IsUndefinedMessage(e));
    return false;
  }
}

bool InPlace(const VXString& text, const VariablePositions& refs, std::size_t from, bool bStrict,
             const char32_t* pattern, VXString& out);

// The value of the reference that text (the reference's own text) is, or
// false when it throws or cannot be told. The pass over the reference's text
// replaces the references nested in it first (giving inner) and then the
// range of the whole reference in that text: the value followed by what is
// left of inner past that range.
bool ValueOf(const VXString& text, bool bStrict, const char32_t* pattern, const VariableTokenInfo& ref, VXString& value,
             bool& bThrew) {
  VariablePositions own;
  FindVariablesAux(text, own, pattern, 0);
  // Read alone it must be the same reference.
  if (own.empty() || own[0].m_position != 0 || own[0].m_endPosition != text.size() ||
      own[0].m_qualifier != ref.m_qualifier || own[0].m_varName != ref.m_varName) {
    return false;
  }
  VXString inner;
  if (!InPlace(text, own, 1, bStrict, pattern, inner)) return false;
  VXString whole = text;
  if (!Pass(whole, bStrict, pattern)) {
    bThrew = true;
    return false;
  }
  const std::size_t rest = inner.size() - std::min(inner.size(), text.size());
  FuzzCheck(whole.size() >= rest && whole.compare(whole.size() - rest, rest, inner, inner.size() - rest, rest) == 0);
  value = whole.substr(0, whole.size() - rest);
  return true;
}

// refs[from..] of text replaced in place from the last to the first; false
// when a value throws or cannot be told (out then holds the replacements so
// far).
bool InPlace(const VXString& text, const VariablePositions& refs, std::size_t from, bool bStrict,
             const char32_t* pattern, VXString& out) {
  out = text;
  for (std::size_t k = refs.size(); k-- > from;) {
    const VariableTokenInfo& ref = refs[k];
    VXString value;
    bool bThrew = false;
    if (!ValueOf(text.substr(ref.m_position, ref.m_endPosition - ref.m_position), bStrict, pattern, ref, value,
                 bThrew)) {
      return false;
    }
    out.replace(ref.m_position, ref.m_endPosition - ref.m_position, value);
  }
  return true;
}

// The pass against replacing in place; skipped when some reference's value
// cannot be told (it reads differently alone).
void CheckPassAgainstInPlaceReplacement(const VXString& text, bool bStrict, const char32_t* pattern) {
  VariablePositions refs;
  FindVariablesAux(text, refs, pattern, 0);
  VXString expected = text;
  bool bExpectedOk = true;
  for (auto it = refs.rbegin(); it != refs.rend(); ++it) {
    VXString value;
    bool bThrew = false;
    if (!ValueOf(text.substr(it->m_position, it->m_endPosition - it->m_position), bStrict, pattern, *it, value,
                 bThrew)) {
      if (!bThrew) return;
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
  if (size < 2 || size > 2048) return 0;
  const std::uint8_t flags = data[0];
  const bool bStrict = flags & 1;
  const bool bEscape = flags & 2;
  const char32_t* const patterns[] = {_S_VALUEOF_BRACKET, kValueListOfStr, kValueNameOfStr};
  const char32_t* pattern = patterns[(flags >> 2) % 3];
  const VXString text = FuzzTextFrom(data + 1, size - 1);

  VXString all = text;
  try {
    MetadataUtil::ReplaceVariableWithValue(&FuzzRepository(), all, bStrict, false, bEscape);
  } catch (const ErrorMessage& e) {
    FuzzCheck(bStrict && IsUndefinedMessage(e));
  }
  CheckPassAgainstInPlaceReplacement(text, bStrict, pattern);
  return 0;
}
