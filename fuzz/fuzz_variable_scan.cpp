// Feeds arbitrary text to the variable-reference scanner and the variable-name
// parsers. Nothing may crash, every record must lie inside the text, and the
// default search finds what separate passes for its two words find.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzText.h"
#include "Metadata/SMConstants.h"
#include "Metadata/SMUtil.h"
#include "Metadata/SMVariables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the opening word; mode 4 takes a pattern from the input.
  const unsigned mode = data[0] % 5;
  const VXString text = ToVXString(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  VXString custom;
  const char32_t* pattern = nullptr;
  switch (mode) {
    case 1:
      pattern = _S_VALUEOF_BRACKET;
      break;
    case 2:
      pattern = kValueListOfStr;
      break;
    case 3:
      pattern = kValueNameOfStr;
      break;
    case 4:
      custom = text.substr(0, (data[0] / 5) % 8);
      pattern = custom.c_str();
      break;
    default:
      break;
  }
  const std::size_t offset = data[0] & 0x80 ? 7 : 0;
  VariablePositions refs;
  MetadataUtil::FindVariables(text, refs, pattern, offset);
  for (const VariableTokenInfo& r : refs) {
    FuzzCheck(r.m_position >= offset && r.m_position < text.size() + offset);
    FuzzCheck(r.m_endPosition >= r.m_position && r.m_endPosition <= text.size() + offset);
    FuzzCheck(text[r.m_endPosition - offset - 1] == U')');
    FuzzCheck(r.m_qualifier.size() + r.m_varName.size() < r.m_endPosition - r.m_position);
  }

  if (pattern == nullptr) {
    // Both words in one pass find what a pass of its own for each finds.
    VariablePositions apart;
    FindVariablesAux(text, apart, _S_VALUEOF_BRACKET, offset);
    FindVariablesAux(text, apart, kValueListOfStr, offset);
    FuzzCheck(apart.size() == refs.size());
    for (std::size_t i = 0; i < refs.size(); ++i) {
      FuzzCheck(apart[i].m_position == refs[i].m_position && apart[i].m_endPosition == refs[i].m_endPosition &&
                apart[i].m_qualifier == refs[i].m_qualifier && apart[i].m_varName == refs[i].m_varName);
    }
  }

  VariableTokenInfo v;
  if (MetadataUtil::HasVariablesStartedWithPattern(text, S_KEX_LABEL, v)) FuzzCheck(!v.m_qualifier.empty());
  SetVariableTokenInfoIfIsSingleKEXBundleVariable(refs, v);
  MetadataUtil::BeginsWithKEXBundlePrefix(text);
  FuzzCheck(MetadataUtil::GetStringAfterKEXBundlePrefix(text).size() <= text.size());
  FuzzCheck(MetadataUtil::GetKeyFromKEXBundleVariable(text).size() <= text.size());
  VXString var, source;
  if (MetadataUtil::ParseMultiVar(text, var, source)) {
    FuzzCheck(!var.empty() && var.size() + source.size() < text.size());
  }
  return 0;
}
