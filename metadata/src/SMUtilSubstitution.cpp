// Variable substitution: VALUEOF / VALUELISTOF / VALUENAMEOF references
// replaced by the values of the variables they name, colon variables by
// plain text, and the personalization of a connection pool's scripts.
#include "SMUtilSubstitution.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <climits>
#include <deque>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

#include "Metadata/SMConstants.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "Metadata/SMVariables.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/ErrorMessage.h"
#include "Utility/SystemUtility.h"
#include "Utility/VXAssert.h"
#include "objectmodel/GatewayOptions.h"
#include "objectmodel/Interfaces.h"
#include "objectmodel/Ref.h"
#include "objectmodel/RpGateway.h"

namespace {

constexpr const char* kSrc = "server/Metadata/Src/SMUtil.cpp";

// Names that answer when no repository variable has them.
const VXString g_sHALOHostName = U"HALO_HOST_NAME";
const VXString g_sHALOInstanceName = U"HALO_INSTANCE_NAME";
const VXString g_sHALOComponentName = U"HALO_COMPONENT_NAME";
// Copied at load time; the object model is loaded before this library.
const VXString kPUser = GlobalRpVariables::kPUser;

// ---- quoting functions ------------------------------------------------------

VXString Escaped(VXString text) {
  BaseStringUtil::ReplacePatternInString(text, U"'", U"''");
  return text;
}

VXString EscapedIf(VXString text, bool bEscape) { return bEscape ? Escaped(std::move(text)) : text; }

VXString Quoted(const VXString& text) { return U"'" + text + U"'"; }

// The entries of a list value; null for a single value.
const VXStringVector* ListOf(const PropertyValue& value) {
  if (value.GetKind() != PropertyValue::kStringVector) return nullptr;
  const auto* list = dynamic_cast<const PropertyValueStringVector*>(&value);
  return list ? &list->GetStrings() : nullptr;
}

// Entry valueIndex of the value (a single value has entry 0 only); false
// when there is none.
bool EntryAt(const PropertyValue& value, int valueIndex, VXString& entry) {
  if (valueIndex < 0) return false;
  if (const VXStringVector* list = ListOf(value)) {
    if (static_cast<std::size_t>(valueIndex) >= list->size()) return false;
    entry = (*list)[static_cast<std::size_t>(valueIndex)];
    return true;
  }
  if (valueIndex != 0) return false;
  entry = value.StringFrom();
  return true;
}

// VALUEOF: the bare text, or with a position the entry as an SQL literal
// (always escaped, since it is quoted) or NULL.
VXString ReplaceValueOfWithQuotedStrings(Heap<PropertyValue> pValue, const VXString&, int valueIndex,
                                         bool bEscapeSingleQuote) {
  if (valueIndex == -1) return EscapedIf(pValue->StringFrom(), bEscapeSingleQuote);
  VXString entry;
  return EntryAt(*pValue, valueIndex, entry) ? Quoted(Escaped(std::move(entry))) : VXString(U"NULL");
}

// VALUELISTOF: every entry as a quoted literal, joined by ","; the position
// plays no part.
VXString ReplaceValueListOfWithQuotedStrings(Heap<PropertyValue> pValue, const VXString&, int,
                                             bool bEscapeSingleQuote) {
  const VXStringVector* list = ListOf(*pValue);
  if (!list) return Quoted(EscapedIf(pValue->StringFrom(), bEscapeSingleQuote));
  VXString out;
  for (std::size_t i = 0; i < list->size(); ++i) {
    if (i > 0) out += U',';
    out += Quoted(EscapedIf((*list)[i], bEscapeSingleQuote));
  }
  return out;
}

// VALUENAMEOF: the bare text, or with a position the entry unquoted (always
// escaped) or the literal 'NULL', since the caller quotes names itself.
VXString ReplaceValueNameOfWithQuotedStrings(Heap<PropertyValue> pValue, const VXString&, int valueIndex,
                                             bool bEscapeSingleQuote) {
  if (valueIndex == -1) return EscapedIf(pValue->StringFrom(), bEscapeSingleQuote);
  VXString entry;
  return EntryAt(*pValue, valueIndex, entry) ? Escaped(std::move(entry)) : VXString(U"'NULL'");
}

// The position in front of the block of VALUEOF(2, BLOCK.NAME): -2 unless
// it is all decimal digits. The server's narrow code pages keep the ASCII
// digits as their only digit characters, so the test is made on the code
// points. A position too large for an int names an entry no list has.
int ParsePosition(std::u32string_view text) {
  if (text.empty()) return -2;
  long long n = 0;
  for (char32_t c : text) {
    if (c < U'0' || c > U'9') return -2;
    n = std::min<long long>(n * 10 + (c - U'0'), INT_MAX);
  }
  return static_cast<int>(n);
}

// ---- one pass ---------------------------------------------------------------

// The text of a pass while its references are replaced from the last to the
// first: m_base[0, m_prefixEnd) followed by the pieces of m_tail, the last
// piece first. Replacing moves no text, so a pass is linear however many
// references the text holds; Assemble writes the result once. The meaning
// is that of replacing [begin, end) in place each time, including a range
// that reaches into text already replaced (a reference nested in another).
class PassText {
 public:
  explicit PassText(const VXString& original) : m_base(original.data()), m_prefixEnd(original.size()) {}

  // value must outlive this object.
  void Replace(std::size_t begin, std::size_t end, std::u32string_view value) {
    // The scanner records references in text order, so each one begins
    // before the one replaced last.
    if (begin >= m_prefixEnd) VXAssert::handleAssert(kSrc, __LINE__, "begin < m_prefixEnd");
    if (end <= m_prefixEnd) {
      if (end < m_prefixEnd) m_tail.emplace_back(m_base + end, m_prefixEnd - end);
    } else {
      DropFront(end - m_prefixEnd);
    }
    if (!value.empty()) m_tail.push_back(value);
    m_prefixEnd = begin;
  }

  VXString Assemble() const {
    std::size_t total = m_prefixEnd;
    for (std::u32string_view piece : m_tail) total += piece.size();
    VXString out;
    out.reserve(total);
    out.append(m_base, m_prefixEnd);
    for (auto it = m_tail.rbegin(); it != m_tail.rend(); ++it) out.append(*it);
    return out;
  }

 private:
  // Drops count characters from the front of the replaced part (all of it
  // when it is shorter), as an in-place replace whose range runs past the
  // end of the text would.
  void DropFront(std::size_t count) {
    while (count > 0 && !m_tail.empty()) {
      std::u32string_view& front = m_tail.back();
      if (front.size() > count) {
        front.remove_prefix(count);
        return;
      }
      count -= front.size();
      m_tail.pop_back();
    }
  }

  const char32_t* m_base;
  std::size_t m_prefixEnd;
  std::vector<std::u32string_view> m_tail;
};

// Finds the values of the references of one pass. Repository variables and
// built-in names are computed once per pass and kept in m_cache, whose
// entries stay where they are so that a PassText may point into them.
class PassValues {
 public:
  PassValues(ARpGateway* pRp, bool bErrorOnUndefined, ReplaceVariablesByQuotedStringsFunc pQuote, bool bEscape,
             SubstitutionPassCounts* pCounts)
      : m_pRp(pRp), m_bErrorOnUndefined(bErrorOnUndefined), m_pQuote(pQuote), m_bEscape(bEscape), m_pCounts(pCounts) {}

  // The replacement of ref; empty for an undefined variable (which throws
  // instead with m_bErrorOnUndefined).
  std::u32string_view ValueOf(const VariableTokenInfo& ref) {
    return ref.m_qualifier.empty() ? RepositoryValue(ref.m_varName) : SessionValue(ref);
  }

 private:
  std::u32string_view RepositoryValue(const VXString& varName) {
    const auto cached = m_cache.find(varName);
    if (cached != m_cache.end()) {
      if (m_pCounts) ++m_pCounts->m_cacheHits;
      return cached->second;
    }
    if (m_pCounts) ++m_pCounts->m_repositoryEvaluations;
    VoidIDVector ids;
    if (m_pRp) m_pRp->LookupObjects(TypedObjectNameCondition(kTIDARpVariable, varName, false), ids);
    if (ids.size() == 1) {
      const Ref<ARpVariable> var(m_pRp->GetObject(ids.front()));
      if (!var.IsNull() && var->GetVariableType() == ARpVariable::kStatic) {
        return Cache(varName, ToPrettyStringVisitor::StringFromWithoutSingleQuote(var->GetExpr(), m_pRp));
      }
      if (m_bErrorOnUndefined) SUGThrow(kSrc, 2299, ErrorMessage(23005, {varName}));
      return {};
    }
    if (ids.empty()) {
      if (varName == g_sHALOHostName) return Cache(varName, SystemUtility::GetHostName());
      if (varName == g_sHALOInstanceName) return Cache(varName, SystemUtility::GetInstanceName());
      if (varName == g_sHALOComponentName) return Cache(varName, SystemUtility::GetComponentName());
      if (m_bErrorOnUndefined) SUGThrow(kSrc, 2328, ErrorMessage(23005, {varName}));
      return {};
    }
    if (m_bErrorOnUndefined) SUGThrow(kSrc, 2332, ErrorMessage(23010, {varName}));
    return {};
  }

  std::u32string_view Cache(const VXString& varName, VXString value) {
    return m_cache.emplace(varName, std::move(value)).first->second;
  }

  std::u32string_view SessionValue(const VariableTokenInfo& ref) {
    int valueIndex = -1;
    VXString block = ref.m_qualifier;
    const std::size_t comma = ref.m_qualifier.find(U',');
    if (comma != VXString::npos) {
      const std::u32string_view qualifier = ref.m_qualifier;
      valueIndex = ParsePosition(BaseStringUtil::TrimBoth(qualifier.substr(0, comma)));
      block = BaseStringUtil::TrimBoth(qualifier.substr(comma + 1));
    }
    Heap<PropertyValue> value;
    if (!m_pRp || !m_pRp->GetSessionVariableValue({block, ref.m_varName}, value) || !value) {
      if (m_bErrorOnUndefined) SUGThrow(kSrc, 2388, ErrorMessage(23006, {block, ref.m_varName}));
      return {};
    }
    m_sessionValues.push_back(m_pQuote(std::move(value), ref.m_varName, valueIndex, m_bEscape));
    return m_sessionValues.back();
  }

  ARpGateway* m_pRp;
  bool m_bErrorOnUndefined;
  ReplaceVariablesByQuotedStringsFunc m_pQuote;
  bool m_bEscape;
  SubstitutionPassCounts* m_pCounts;
  std::map<VXString, VXString> m_cache;
  std::deque<VXString> m_sessionValues;  // a deque keeps its elements in place as it grows
};

}  // namespace

void ReplaceVariableWithValueAux(ARpGateway* pRp, VXString& inputOutput, bool errorOnUndefinedVars,
                                 bool /*enablePropertyMapLock*/, const char32_t* pattern,
                                 ReplaceVariablesByQuotedStringsFunc pReplaceVariablesByQuotedStringsFunc,
                                 bool bEscapeSingleQuote, SubstitutionPassCounts* pCounts) {
  std::vector<VariableSpan> refs;
  FindVariableSpans(inputOutput, pattern, refs);
  if (refs.empty()) return;
  PassValues values(pRp, errorOnUndefinedVars, pReplaceVariablesByQuotedStringsFunc, bEscapeSingleQuote, pCounts);
  PassText text(inputOutput);
  // One reference's record at a time, from the original text: memory stays
  // linear in the text however deep references nest.
  VariableTokenInfo ref;
  const std::u32string_view original = inputOutput;
  try {
    for (auto it = refs.rbegin(); it != refs.rend(); ++it) {
      const std::u32string_view parameter = original.substr(it->m_paramBegin, it->m_paramEnd - it->m_paramBegin);
      const std::size_t dot = parameter.find(U'.');
      ref.m_position = it->m_position;
      ref.m_endPosition = it->m_endPosition;
      ref.m_qualifier.assign(dot == std::u32string_view::npos ? std::u32string_view() : parameter.substr(0, dot));
      ref.m_varName.assign(dot == std::u32string_view::npos ? parameter : parameter.substr(dot + 1));
      text.Replace(ref.m_position, ref.m_endPosition, values.ValueOf(ref));
    }
  } catch (...) {
    // The references after the one that failed stay replaced.
    inputOutput = text.Assemble();
    throw;
  }
  inputOutput = text.Assemble();
}

VXString DummyReplaceValueOfWithQuotedStrings(Heap<PropertyValue> pValue, const VXString&, int, bool) {
  return pValue->StringFrom();
}

void MetadataUtil::ReplaceVariableWithValue(ARpGateway* pRp, VXString& inputOutput, bool errorOnUndefinedVars,
                                            bool enablePropertyMapLock, bool bEscapeSingleQuote) {
  ReplaceVariableWithValueAux(pRp, inputOutput, errorOnUndefinedVars, enablePropertyMapLock, _S_VALUEOF_BRACKET,
                              ReplaceValueOfWithQuotedStrings, bEscapeSingleQuote);
  ReplaceVariableWithValueAux(pRp, inputOutput, errorOnUndefinedVars, enablePropertyMapLock, kValueListOfStr,
                              ReplaceValueListOfWithQuotedStrings, bEscapeSingleQuote);
  ReplaceVariableWithValueAux(pRp, inputOutput, errorOnUndefinedVars, enablePropertyMapLock, kValueNameOfStr,
                              ReplaceValueNameOfWithQuotedStrings, bEscapeSingleQuote);
}

void MetadataUtil::ReplaceColonVariableWithValue(VXString& inputOutput, const VXString& colonVariable,
                                                 const VXString& value) {
  if (colonVariable.empty()) return;
  std::size_t at = inputOutput.find(colonVariable);
  if (at == VXString::npos) return;
  // Built in one go; the search goes on in the given text, so text that
  // value brings in is never searched.
  VXString out;
  out.reserve(inputOutput.size());
  std::size_t from = 0;
  for (; at != VXString::npos; at = inputOutput.find(colonVariable, from)) {
    out.append(inputOutput, from, at - from);
    out += value;
    from = at + colonVariable.size();
  }
  out.append(inputOutput, from);
  inputOutput = std::move(out);
}

bool MetadataUtil::IsSessionVariablePopulated(ARpGateway* pRpGateway, const std::pair<VXString, VXString>& stringPair) {
  if (stringPair.first.empty() || !pRpGateway) return false;
  Heap<PropertyValue> value;
  return pRpGateway->GetSessionVariableValue(stringPair, value) && value;
}

bool MetadataUtil::IsSessionVariablePopulated(ARpGateway* pRpGateway, const VariableTokenInfo& variable) {
  if (variable.m_qualifier.empty()) return false;
  return IsSessionVariablePopulated(pRpGateway, {variable.m_qualifier, variable.m_varName});
}

void MetadataUtil::Personalize(ARpGateway* pSecureRp, const Ref<AConnectionPool>& poolMeta,
                               GatewayOptions& gatewayOptions) {
  if (poolMeta.IsNull()) VXAssert::handleAssert(kSrc, __LINE__, "!poolMeta.IsNull()");
  poolMeta->GetEnabledPostConnectStrings(gatewayOptions.m_postConnectStrings);
  poolMeta->GetEnabledPreDisConnectStrings(gatewayOptions.m_preDisconnectStrings);
  poolMeta->GetEnabledBeforeQueryStrings(gatewayOptions.m_beforeQueryStrings);
  poolMeta->GetEnabledAfterQueryStrings(gatewayOptions.m_afterQueryStrings);

  VXString user;
  VXString password;
  RetrieveUserNamePassword(pSecureRp, user, password);
  // Only the name is wanted here.
  OPENSSL_cleanse(password.data(), password.size() * sizeof(char32_t));

  for (VXStringVector* list : {&gatewayOptions.m_postConnectStrings, &gatewayOptions.m_preDisconnectStrings,
                               &gatewayOptions.m_beforeQueryStrings, &gatewayOptions.m_afterQueryStrings}) {
    for (VXString& script : *list) {
      ReplaceColonVariableWithValue(script, kPUser, user);
      // A second round expands the references that the values of the first
      // brought in (a variable whose value names another).
      ReplaceVariableWithValue(pSecureRp, script, true, true, true);
      ReplaceVariableWithValue(pSecureRp, script, true, true, true);
    }
  }
}
