// smutil vars: the variable references in a text, as the substitution code
// would see them.
//
//   $ smutil vars 'a VALUEOF(VX_SESSION.USER) b'
//   2	26	VX_SESSION	USER
//
// One line per reference: position, end position, qualifier, name, separated
// by tabs (an unqualified reference has an empty third field). Positions count
// characters (code points), not bytes. Several arguments are joined with one
// blank, as the shell would have split an unquoted text.
#include <ostream>
#include <string>

#include "Commands.h"
#include "Metadata/SMUtil.h"

namespace smutil_tool {
namespace {

constexpr const char* kUsage = "vars [--pattern OPENING] TEXT";

int RunVars(Context& ctx) {
  std::vector<std::string> words = ctx.args;
  VXString pattern;
  bool bPattern = false;
  if (!words.empty() && words.front() == "--pattern") {
    if (words.size() < 2) {
      ctx.err << "usage: smutil " << kUsage << "\n";
      return 2;
    }
    // Openings are matched against lower-cased text, so take them in any case.
    for (char32_t c : ToVXString(words[1])) pattern.push_back(c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c);
    bPattern = true;
    words.erase(words.begin(), words.begin() + 2);
    if (pattern.empty()) {
      ctx.err << "smutil vars: the opening given with --pattern is empty\n";
      return 2;
    }
  }
  if (words.empty()) {
    ctx.err << "usage: smutil " << kUsage << "\n"
            << "  lists the VALUEOF and VALUELISTOF references of TEXT (or those opening with OPENING,\n"
            << "  e.g. valuenameof( ), one per line: position, end, qualifier, name\n";
    return 2;
  }
  std::string text = words.front();
  for (std::size_t i = 1; i < words.size(); ++i) text += " " + words[i];

  VariablePositions refs;
  MetadataUtil::FindVariables(ToVXString(text), refs, bPattern ? pattern.c_str() : nullptr, 0);
  for (const VariableTokenInfo& r : refs) {
    ctx.out << r.m_position << '\t' << r.m_endPosition << '\t' << ToNarrow(r.m_qualifier) << '\t'
            << ToNarrow(r.m_varName) << '\n';
  }
  return 0;
}

SMUTIL_COMMAND("vars", kUsage, "list the variable references (VALUEOF, VALUELISTOF) in a text", RunVars);

}  // namespace
}  // namespace smutil_tool
