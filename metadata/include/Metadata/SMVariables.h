// Variable references in text: the records the scanner produces and the
// scanning pass that MetadataUtil::FindVariables and the substitution code
// share.
//
//   VariablePositions refs;
//   MetadataUtil::FindVariables(U"a VALUEOF(VX_SESSION.USER) b", refs);
//   // refs[0]: m_position 2, m_endPosition 26, m_qualifier U"VX_SESSION", m_varName U"USER"
//
// Openings are matched ignoring case; the recorded texts keep the case in
// which they were written and are neither trimmed nor unquoted. A reference
// inside a quoted part of the text is found too, with positions counted in
// the whole text. Text that is not a complete reference is skipped, never an
// error: an opening without its closing parenthesis ends the scan and keeps
// what was already found.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "Metadata/SMConstants.h"
#include "Utility/VXString.h"

// One reference found in a text: text[m_position, m_endPosition) is the whole
// reference, from the V of its opening word to its closing parenthesis.
struct VariableTokenInfo {
  std::size_t m_position = 0;
  std::size_t m_endPosition = 0;
  VXString m_qualifier;  // before the first "." inside the parentheses; empty without one
  VXString m_varName;    // after the first ".", or the whole inside

  bool operator==(const VariableTokenInfo&) const = default;
};

// References in the order found.
using VariablePositions = std::vector<VariableTokenInfo>;

// Openings of the list and name forms; lower case like _S_VALUEOF_BRACKET.
inline constexpr char32_t kValueListOfStr[] = U"valuelistof(";
inline constexpr char32_t kValueNameOfStr[] = U"valuenameof(";

// A bundle variable may carry its key after this delimiter:
// KEX_BUNDLE_Title #KEY# sales.title has the key sales.title.
inline constexpr char32_t KEX_BUNDLE_DELIMITER[] = U"#KEY#";
inline constexpr std::size_t KEX_BUNDLE_DELIMITER_LENGTH = 5;

// One scanning pass for one opening word (null means _S_VALUEOF_BRACKET; an
// empty pattern finds nothing). Appends to positions; nAddOffset is added to
// every recorded position, for scanning a piece of a larger text.
void FindVariablesAux(const VXString& inputOutput, VariablePositions& positions, const char32_t* patternToMatch,
                      std::size_t nAddOffset);

// False when no opening of a reference (VALUEOF(, VALUELISTOF( or
// VALUENAMEOF(, in any case, compared as the scanner compares: one character
// at a time in lower case) occurs anywhere in text, quoted parts included.
// Such a text holds no reference, so callers may skip the full scan; most
// display names are plain text.
bool MayHoldVariableReference(std::u32string_view text) noexcept;

// True when variables holds exactly one reference, it is qualified, and its
// name begins with S_KEX_BUNDLE_PREFIX (ignoring case); variable then gets a
// copy of it. Otherwise false and variable is untouched.
bool SetVariableTokenInfoIfIsSingleKEXBundleVariable(const VariablePositions& variables, VariableTokenInfo& variable);
