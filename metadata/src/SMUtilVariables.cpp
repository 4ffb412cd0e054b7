// Variable references in text: finding VALUEOF / VALUELISTOF / VALUENAMEOF
// references, and the small parsers of resource-bundle and multi-source
// variable names.
#include <string_view>

#include "Metadata/SMConstants.h"
#include "Metadata/SMUtil.h"
#include "Metadata/SMVariables.h"
#include "Utility/BaseStringUtil.h"
#include "objectmodel/Interfaces.h"
#include "objectmodel/Ref.h"

namespace {

// The opening quote of a quote that is never closed, at or after start, or
// npos. FindFirstUnquoted reports only closed quoted parts, and in order, so
// the first quote character outside all of them is the unclosed one.
std::size_t FindUnclosedQuote(std::u32string_view text, std::size_t start,
                              const std::vector<BaseStringUtil::QuotedPart>& closedParts) {
  auto part = closedParts.begin();
  for (std::size_t i = start; i < text.size(); ++i) {
    while (part != closedParts.end() && part->second < i) ++part;
    if (part != closedParts.end() && part->first <= i) {
      i = part->second;
      continue;
    }
    if (text[i] == U'\'' || text[i] == U'"') return i;
  }
  return std::u32string_view::npos;
}

void AppendReference(std::u32string_view text, std::size_t found, std::size_t paramStart, std::size_t closing,
                     std::size_t nAddOffset, VariablePositions& positions) {
  VariableTokenInfo info;
  info.m_position = found + nAddOffset;
  info.m_endPosition = closing + 1 + nAddOffset;
  const std::u32string_view parameter = text.substr(paramStart, closing - paramStart);
  const std::size_t dot = parameter.find(U'.');
  if (dot == std::u32string_view::npos) {
    info.m_varName = VXString(parameter);
  } else {
    info.m_qualifier = VXString(parameter.substr(0, dot));
    info.m_varName = VXString(parameter.substr(dot + 1));
  }
  positions.push_back(std::move(info));
}

// How deep quoted parts inside quoted parts are searched. A run of quote
// characters reads as parts nested one in another (six quotes hold four,
// which hold two), so without a bound a long run would cost quadratic time
// and a stack frame per level; real texts nest quotes two or three deep.
constexpr int kMaxQuoteNesting = 16;

// One pass over text, whose lower-cased copy is lowerCaseStr. Quoted parts are
// scanned as views of the same two strings: case mapping keeps lengths, so the
// text is lower-cased once for the whole pass, however deep the quotes go.
void ScanPass(std::u32string_view text, std::u32string_view lowerCaseStr, VariablePositions& positions,
              std::u32string_view pattern, std::size_t nAddOffset, int depth) {
  const std::size_t kTokenSize = pattern.size();
  const bool bSearchQuoted = depth < kMaxQuoteNesting;
  std::vector<BaseStringUtil::QuotedPart> quotedParts;
  std::size_t startPos = 0;
  while (true) {
    quotedParts.clear();
    const std::size_t found = BaseStringUtil::FindFirstUnquoted(lowerCaseStr, pattern, startPos, &quotedParts);
    const bool bFound = found < lowerCaseStr.size();
    // References inside quoted strings count too; their records go in as the
    // search passes over them, so records stay in text order.
    for (const auto& [open, close] : quotedParts) {
      // A reference needs its opening word and ")"; shorter parts hold none.
      if (!bSearchQuoted || close - open - 1 <= kTokenSize) continue;
      ScanPass(text.substr(open + 1, close - open - 1), lowerCaseStr.substr(open + 1, close - open - 1), positions,
               pattern, nAddOffset + open + 1, depth + 1);
    }
    if (!bFound) {
      // A lone apostrophe ("Customer's VALUEOF(...)") opens a quote that never
      // closes; what follows it is still scanned, as the inside of a quote
      // running to the end, so one stray quote does not hide the references.
      const std::size_t unclosed = FindUnclosedQuote(lowerCaseStr, startPos, quotedParts);
      if (bSearchQuoted && unclosed != std::u32string_view::npos && text.size() - unclosed - 1 > kTokenSize) {
        ScanPass(text.substr(unclosed + 1), lowerCaseStr.substr(unclosed + 1), positions, pattern,
                 nAddOffset + unclosed + 1, depth + 1);
      }
      return;
    }
    const std::size_t paramStart = found + kTokenSize;
    const std::size_t closing = BaseStringUtil::FindClosingParenthesis(lowerCaseStr, paramStart);
    if (closing >= lowerCaseStr.size()) return;
    AppendReference(text, found, paramStart, closing, nAddOffset, positions);
    // Resume right after the opening word, so references nested in this one's
    // parentheses are found as well.
    startPos = paramStart;
  }
}

}  // namespace

void FindVariablesAux(const VXString& inputOutput, VariablePositions& positions, const char32_t* patternToMatch,
                      std::size_t nAddOffset) {
  const std::u32string_view pattern = patternToMatch != nullptr ? patternToMatch : _S_VALUEOF_BRACKET;
  // An empty opening would match everywhere without moving the search on.
  if (pattern.empty()) return;
  const VXString lowerCaseStr = BaseStringUtil::ToLowerCase(inputOutput);
  ScanPass(inputOutput, lowerCaseStr, positions, pattern, nAddOffset, 0);
}

bool SetVariableTokenInfoIfIsSingleKEXBundleVariable(const VariablePositions& variables, VariableTokenInfo& variable) {
  if (variables.size() != 1) return false;
  const VariableTokenInfo& only = variables.front();
  if (only.m_qualifier.empty() || !MetadataUtil::BeginsWithKEXBundlePrefix(only.m_varName)) return false;
  variable = only;
  return true;
}

void MetadataUtil::FindVariables(const VXString& inputOutput, VariablePositions& positions,
                                 const char32_t* patternToMatch, std::size_t nAddOffset) {
  if (patternToMatch != nullptr) {
    FindVariablesAux(inputOutput, positions, patternToMatch, nAddOffset);
    return;
  }
  FindVariablesAux(inputOutput, positions, _S_VALUEOF_BRACKET, nAddOffset);
  FindVariablesAux(inputOutput, positions, kValueListOfStr, nAddOffset);
}

bool MetadataUtil::HasVariablesStartedWithPattern(const VXString& customName, const VXString& pattern,
                                                  VariableTokenInfo& variable) {
  VariablePositions found;
  FindVariables(customName, found, nullptr, 0);
  if (found.size() != 1) return false;
  const VariableTokenInfo& only = found.front();
  if (only.m_qualifier.empty() || !BaseStringUtil::CaseInsensitiveFindPatternAtStart(only.m_varName, pattern)) {
    return false;
  }
  variable = only;
  return true;
}

bool MetadataUtil::BeginsWithKEXBundlePrefix(const VXString& varName) {
  return BaseStringUtil::CaseInsensitiveFindPatternAtStart(varName, S_KEX_BUNDLE_PREFIX);
}

VXString MetadataUtil::GetStringAfterKEXBundlePrefix(const VXString& varName) {
  // The prefix is not checked; a name shorter than it leaves nothing.
  if (varName.size() <= KEX_BUNDLE_LENGTH) return VXString();
  return BaseStringUtil::TrimBoth(std::u32string_view(varName).substr(KEX_BUNDLE_LENGTH));
}

VXString MetadataUtil::GetKeyFromKEXBundleVariable(const VXString& varName) {
  const std::size_t at = varName.find(KEX_BUNDLE_DELIMITER);
  if (at == VXString::npos) return varName;
  return BaseStringUtil::TrimBoth(std::u32string_view(varName).substr(at + KEX_BUNDLE_DELIMITER_LENGTH));
}

bool MetadataUtil::ParseMultiVar(const VXString& sMultiVarName, VXString& sVarName, VXString& sSourceName) {
  const std::u32string_view token = _S_MULTI_VAR_TOKEN;
  const std::size_t idx = sMultiVarName.find(token);
  // A name that starts with the token has no variable part.
  if (sMultiVarName.empty() || idx == VXString::npos || idx == 0) return false;
  sVarName = sMultiVarName.substr(0, idx);
  sSourceName = sMultiVarName.substr(idx + token.size());
  return true;
}

bool MetadataUtil::ParseMultiVar(const Ref<ARpVariable>& var, VXString& sVarName, VXString& sSourceName) {
  // Only session variables come from several sources.
  if (var.IsNull()) return false;
  const Ref<ASessionVariableBlock> block = var->GetInitBlock();
  if (block.IsNull() || block->GetBlockType() != ASessionVariableBlock::kSessionScope) return false;
  return ParseMultiVar(var->GetName(), sVarName, sSourceName);
}
