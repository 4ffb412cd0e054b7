// Variable references in text: finding VALUEOF / VALUELISTOF / VALUENAMEOF
// references, and the small parsers of resource-bundle and multi-source
// variable names.
#include <iterator>
#include <string_view>
#include <vector>

#include "Metadata/SMConstants.h"
#include "Metadata/SMUtil.h"
#include "Metadata/SMVariables.h"
#include "SMUtilSubstitution.h"
#include "Utility/BaseStringUtil.h"
#include "objectmodel/Interfaces.h"
#include "objectmodel/Ref.h"

namespace {

bool IsQuote(char32_t c) { return c == U'\'' || c == U'"'; }

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

// Finds the opening words in the text as if the text were lower-cased, one
// character at a time: a pass never copies the text, however long it is.
// One pass may look for two words at once (VALUEOF and VALUELISTOF): neither
// holds a quote or the other's first letter past its own first character, so
// moving past one word's match never skips a place where the other starts.
class OpeningMatcher {
 public:
  static constexpr std::size_t kMaxWords = 2;

  OpeningMatcher(const std::u32string_view* words, std::size_t count) : m_count(count) {
    for (std::size_t k = 0; k < count; ++k) m_words[k] = words[k];
    for (char32_t c = 0; c < kAscii; ++c) m_stop[c] = IsQuote(c) || BeginsWord(BaseStringUtil::LowerCaseChar(c));
  }
  // The first position from i on, before end, where the scan must look
  // closer: a quote, or a character whose lower case begins an opening
  // word; end when there is none. The loop that nearly every character
  // goes through.
  std::size_t Skip(const char32_t* text, std::size_t i, std::size_t end) const {
    while (i < end) {
      // Four plain characters at a time: one branch instead of four.
      if (end - i >= 4) {
        const char32_t a = text[i], b = text[i + 1], c = text[i + 2], d = text[i + 3];
        if ((a | b | c | d) < kAscii && !(m_stop[a] | m_stop[b] | m_stop[c] | m_stop[d])) {
          i += 4;
          continue;
        }
      }
      const char32_t c = text[i];
      if (c < kAscii ? m_stop[c] : BeginsWord(BaseStringUtil::LowerCaseChar(c))) return i;
      ++i;
    }
    return end;
  }
  // Whether word k starts at text[i] and ends by end.
  bool StartsAt(std::size_t k, std::u32string_view text, std::size_t i, std::size_t end) const {
    const std::u32string_view word = m_words[k];
    if (end - i < word.size()) return false;
    for (std::size_t n = 0; n < word.size(); ++n) {
      if (BaseStringUtil::LowerCaseChar(text[i + n]) != word[n]) return false;
    }
    return true;
  }
  std::size_t size(std::size_t k) const { return m_words[k].size(); }

 private:
  bool BeginsWord(char32_t lower) const {
    for (std::size_t k = 0; k < m_count; ++k) {
      if (m_words[k][0] == lower) return true;
    }
    return false;
  }

  static constexpr char32_t kAscii = 128;
  std::u32string_view m_words[kMaxWords];
  std::size_t m_count;
  bool m_stop[kAscii];
};

// The closing quote of the quoted part opening at text[open], looking no
// further than end (a doubled quote character inside stands for itself), or
// npos. bHasParenthesis tells whether a ")" stands inside.
std::size_t FindQuoteEnd(std::u32string_view text, std::size_t open, std::size_t end, bool& bHasParenthesis) {
  const char32_t q = text[open];
  bHasParenthesis = false;
  for (std::size_t i = open + 1; i < end; ++i) {
    const char32_t c = text[i];
    if (c == U')') bHasParenthesis = true;
    if (c != q) continue;
    if (i + 1 < end && text[i + 1] == q) {
      ++i;
      continue;
    }
    return i;
  }
  return std::u32string_view::npos;
}

// One pass over text, for each opening word as if it were searched alone;
// word k's records go to *outputs[k]. The search runs outside quoted parts;
// each quoted part is searched in turn as a text of its own (where its
// doubled quotes open parts again), as soon as the search has passed over
// it, so records come in text order. The levels are kept on a list rather
// than the call stack, so any depth of quotes is searched. A part holding no
// ")", or too short to hold a word and its ")", holds no reference and is
// passed over: a run of quote characters nests as deep as it is long, but
// holds none, so a pass stays linear in the length of the text. A quote that
// is never closed ends the search of the text it stands in; an opening word
// without its ")" ends it for that word.
// emit(k, found, paramStart, closing) is called for each reference of word
// k: the opening word at found, its parameter from paramStart up to the
// closing parenthesis at closing.
template <class Emit>
void ScanPass(std::u32string_view text, const std::u32string_view* words, std::size_t count, Emit&& emit) {
  const OpeningMatcher matcher(words, count);
  struct Level {
    std::size_t m_begin, m_end, m_pos;  // in text
    unsigned m_words;                   // bit k: word k is still searched here
  };
  std::vector<Level> levels{Level{0, text.size(), 0, (1u << count) - 1}};
  while (!levels.empty()) {
    const Level level = levels.back();
    levels.pop_back();
    const std::u32string_view levelText = text.substr(level.m_begin, level.m_end - level.m_begin);
    unsigned searched = level.m_words;
    std::size_t i = level.m_pos;
    while (searched != 0 && (i = matcher.Skip(text.data(), i, level.m_end)) < level.m_end) {
      const char32_t c = text[i];
      // An opening word wins over a quote it begins with.
      std::size_t resume = 0;
      for (std::size_t k = 0; k < count; ++k) {
        if (!(searched & (1u << k)) || !matcher.StartsAt(k, text, i, level.m_end)) continue;
        const std::size_t paramStart = i + matcher.size(k);
        const std::size_t closing = BaseStringUtil::FindClosingParenthesis(levelText, paramStart - level.m_begin);
        if (closing >= levelText.size()) {
          searched &= ~(1u << k);
          continue;
        }
        emit(k, i, paramStart, closing + level.m_begin);
        // Resume right after the opening word, so references nested in this
        // one's parentheses are found as well.
        resume = paramStart;
      }
      if (resume != 0) {
        i = resume;
        continue;
      }
      if (!IsQuote(c)) {
        ++i;
        continue;
      }
      bool bHasParenthesis = false;
      const std::size_t close = FindQuoteEnd(text, i, level.m_end, bHasParenthesis);
      if (close == std::u32string_view::npos) break;
      unsigned inside = 0;
      for (std::size_t k = 0; k < count; ++k) {
        if (bHasParenthesis && close - i - 1 > matcher.size(k)) inside |= searched & (1u << k);
      }
      if (inside != 0) {
        // The rest of this level after the part, then the part first.
        levels.push_back(Level{level.m_begin, level.m_end, close + 1, searched});
        levels.push_back(Level{i + 1, close, i + 1, inside});
        break;
      }
      i = close + 1;
    }
  }
}

}  // namespace

void FindVariablesAux(const VXString& inputOutput, VariablePositions& positions, const char32_t* patternToMatch,
                      std::size_t nAddOffset) {
  const std::u32string_view pattern = patternToMatch != nullptr ? patternToMatch : _S_VALUEOF_BRACKET;
  // An empty opening would match everywhere without moving the search on.
  if (pattern.empty()) return;
  ScanPass(inputOutput, &pattern, 1, [&](std::size_t, std::size_t found, std::size_t paramStart, std::size_t closing) {
    AppendReference(inputOutput, found, paramStart, closing, nAddOffset, positions);
  });
}

void FindVariableSpans(std::u32string_view text, const char32_t* patternToMatch, std::vector<VariableSpan>& spans) {
  const std::u32string_view pattern = patternToMatch != nullptr ? patternToMatch : _S_VALUEOF_BRACKET;
  if (pattern.empty()) return;
  ScanPass(text, &pattern, 1, [&](std::size_t, std::size_t found, std::size_t paramStart, std::size_t closing) {
    spans.push_back(VariableSpan{found, closing + 1, paramStart, closing});
  });
}

bool MayHoldVariableReference(std::u32string_view text) noexcept {
  static constexpr std::u32string_view kOpenings[] = {_S_VALUEOF_BRACKET, kValueListOfStr, kValueNameOfStr};
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    // Every opening begins with a v (among ASCII letters, v and V lower to it).
    if (c < 0x80 ? (c | 0x20) != U'v' : BaseStringUtil::LowerCaseChar(c) != U'v') continue;
    for (const std::u32string_view opening : kOpenings) {
      if (text.size() - i < opening.size()) continue;
      std::size_t n = 1;
      while (n < opening.size() && BaseStringUtil::LowerCaseChar(text[i + n]) == opening[n]) ++n;
      if (n == opening.size()) return true;
    }
  }
  return false;
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
  // Both words in one pass; the VALUEOF records come first, as if each word
  // had been searched in a pass of its own.
  static constexpr std::u32string_view kWords[] = {_S_VALUEOF_BRACKET, kValueListOfStr};
  VariablePositions lists;
  ScanPass(inputOutput, kWords, 2, [&](std::size_t k, std::size_t found, std::size_t paramStart, std::size_t closing) {
    AppendReference(inputOutput, found, paramStart, closing, nAddOffset, k == 0 ? positions : lists);
  });
  positions.insert(positions.end(), std::make_move_iterator(lists.begin()), std::make_move_iterator(lists.end()));
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
