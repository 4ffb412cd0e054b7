// smutil vars: the variable references in a text, as the substitution code
// would see them.
//
//   $ smutil vars 'a VALUEOF(VX_SESSION.USER) b'
//   2	26	VX_SESSION	USER
//
// One line per reference: position, end position, qualifier, name, separated
// by tabs (an unqualified reference has an empty third field). Positions count
// characters (code points), not bytes. Several arguments are joined with one
// blank, as the shell would have split an unquoted text. --format json
// prints an array of {"position","end","qualifier","name"}.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "Commands.h"
#include "Metadata/SMUtil.h"
#include "Output.h"

namespace smutil_tool {
namespace {

struct VarsOptions {
  std::string pattern;
  std::vector<std::string> words;
};

int RunVars(Context& ctx, const VarsOptions& o) {
  VXString pattern;
  const bool bPattern = !o.pattern.empty();
  // Openings are matched against lower-cased text, so take them in any case.
  for (char32_t c : ToVXString(o.pattern)) pattern.push_back(c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c);
  std::string text = o.words.front();
  for (std::size_t i = 1; i < o.words.size(); ++i) text += " " + o.words[i];

  VariablePositions refs;
  MetadataUtil::FindVariables(ToVXString(text), refs, bPattern ? pattern.c_str() : nullptr, 0);
  Emit(
      ctx,
      [&] {
        nlohmann::json doc = nlohmann::json::array();
        for (const VariableTokenInfo& r : refs) {
          doc.push_back({{"position", r.m_position},
                         {"end", r.m_endPosition},
                         {"qualifier", ToNarrow(r.m_qualifier)},
                         {"name", ToNarrow(r.m_varName)}});
        }
        return doc;
      },
      [&](std::ostream& out) {
        for (const VariableTokenInfo& r : refs) {
          out << r.m_position << '\t' << r.m_endPosition << '\t' << ToNarrow(r.m_qualifier) << '\t'
              << ToNarrow(r.m_varName) << '\n';
        }
      });
  return kExitDone;
}

RunFn DeclareVars(CLI::App& cmd, Context& ctx) {
  auto o = std::make_shared<VarsOptions>();
  cmd.add_option("--pattern", o->pattern, "list only the references opening with this text, e.g. valuenameof(")
      ->type_name("OPENING")
      ->check([](const std::string& v) { return v.empty() ? std::string("the opening is empty") : std::string(); });
  cmd.add_option("TEXT", o->words, "the text; several words are joined with one blank")->required();
  AddFormatOption(cmd, ctx);
  return [o](Context& c) { return RunVars(c, *o); };
}

SMUTIL_COMMAND("vars", "list the variable references (VALUEOF, VALUELISTOF) in a text", DeclareVars);

}  // namespace
}  // namespace smutil_tool
