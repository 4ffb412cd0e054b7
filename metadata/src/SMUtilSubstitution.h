// One substitution pass with a caller's quoting function, for the library's
// own callers that need a pass other than the three of
// MetadataUtil::ReplaceVariableWithValue (the custom display names put the
// plain value text in, with DummyReplaceValueOfWithQuotedStrings). Not
// installed: the public entry is ReplaceVariableWithValue.
//
//   ReplaceVariableWithValueAux(pRp, text, false, false, _S_VALUEOF_BRACKET,
//                               DummyReplaceValueOfWithQuotedStrings, false);
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "Utility/VXString.h"
#include "objectmodel/PropertyValue.h"

class ARpGateway;

// Turns the value of a session variable into the text that replaces its
// reference. valueIndex is -1 when the reference gives no position, -2 when
// the position is not a decimal number, otherwise the position. The value is
// the function's to keep or drop.
using ReplaceVariablesByQuotedStringsFunc = VXString (*)(Heap<PropertyValue> pValue, const VXString& varName,
                                                         int valueIndex, bool bEscapeSingleQuote);

// Where one reference stands: the text from m_position up to m_endPosition,
// its parameter from m_paramBegin up to m_paramEnd. The substitution pass
// records references so, without the copies of their names that
// VariableTokenInfo holds: nested references would make those copies add up
// to the square of the nesting depth.
struct VariableSpan {
  std::size_t m_position, m_endPosition, m_paramBegin, m_paramEnd;
};
// The references of one opening word (null: _S_VALUEOF_BRACKET), in the
// order and at the places FindVariablesAux finds them.
void FindVariableSpans(std::u32string_view text, const char32_t* patternToMatch, std::vector<VariableSpan>& spans);

// What one pass did, for callers that want to see its cache at work.
struct SubstitutionPassCounts {
  // Repository variables looked up and rendered, and built-in names read.
  std::size_t m_repositoryEvaluations = 0;
  // References answered from the pass's cache instead.
  std::size_t m_cacheHits = 0;
};

// Replaces every reference that opens with pattern (a lower-case opening
// such as kValueListOfStr) by its value: repository variables and built-in
// names by their text as it is, session variables through
// pReplaceVariablesByQuotedStringsFunc. References are evaluated from the
// last to the first. With errorOnUndefinedVars an undefined, ambiguous or
// non-static variable throws ErrorMessage 23005, 23006 or 23010, and
// inputOutput then holds the replacements of the references after it and
// the original text from it on; without, the reference is removed. Text
// that a value brings in is not searched again. Linear in the length of the
// text and of the values put in. A null gateway is an empty repository with
// an empty session.
void ReplaceVariableWithValueAux(ARpGateway* pRp, VXString& inputOutput, bool errorOnUndefinedVars,
                                 bool enablePropertyMapLock, const char32_t* pattern,
                                 ReplaceVariablesByQuotedStringsFunc pReplaceVariablesByQuotedStringsFunc,
                                 bool bEscapeSingleQuote, SubstitutionPassCounts* pCounts = nullptr);

// The value's text as it is: no quotes, no escaping, no position.
VXString DummyReplaceValueOfWithQuotedStrings(Heap<PropertyValue> pValue, const VXString& varName, int valueIndex,
                                              bool bEscapeSingleQuote);
