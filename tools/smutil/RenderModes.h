// The naming modes of `smutil render` and `smutil format`, chosen on the
// command line, and the objects whose expressions they show.
//
//   RenderModeOptions mode;
//   AddRenderModeOptions(cmd, mode);
//   ...
//   ResolvedRenderMode resolved;
//   if (!ResolveRenderMode(ctx, "render", rp, mode, resolved)) return kExitUsage;
//   ctx.out << ToNarrow(RenderInMode(expr, rp, resolved)) << "\n";
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Commands.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMRenderMode.h"
#include "objectmodel/RpGateway.h"

namespace CLI {
class App;
}

namespace smutil_tool {

struct RenderModeOptions {
  bool bQuotes = false;
  bool bFullyQualified = false;
  bool bSinglePart = false;
  bool bByID = false;
  bool bDisplay = false;
  std::string lang;
  std::string bundles;
  std::string catalog;                  // --catalog SUBJECT_AREA
  std::string reparent;                 // --reparent OLD_PARENT
  std::string newParent;                // --to NEW_PARENT_NAME
  std::vector<std::string> renamedDbs;  // --rename-db OLD=NEW, repeatable
};

// Adds --fully-qualified, --single-part, --by-id, --quotes, --display,
// --lang, --bundles, --catalog, --reparent/--to and --rename-db.
void AddRenderModeOptions(CLI::App& cmd, RenderModeOptions& o);

// One mode, its objects found in the repository.
using ResolvedRenderMode = RenderMode;

// Whether the mode needs a repository whatever the expression refers to.
bool ModeNeedsRepository(const RenderModeOptions& o);
// Checks the combination of options and finds their objects; false after
// saying why on ctx.err. usage is set when the options themselves are wrong
// (exit 2) rather than an object missing (exit 1).
bool ResolveRenderMode(Context& ctx, const std::string& command, ARpGateway* rp, const RenderModeOptions& o,
                       ResolvedRenderMode& resolved, bool& usage);

using ::FormatInMode;
using ::RenderInMode;

// The expression property an object of the rendered kinds holds (a logical
// column's formula, a complex join's condition, a variable's initializer);
// nothing, after saying so on ctx.err, for other kinds.
std::optional<RpProp> ExpressionPropertyOf(Context& ctx, const std::string& command, const Ref<ARpObject>& obj);
// The object of type named by words (an id, a qualified name, its segments,
// or an own name that only one object of the type has); null after saying
// on ctx.err that there is none.
Ref<ARpObject> FindExpressionObject(Context& ctx, const std::string& command, ARpGateway* rp, TypeID type,
                                    const std::string& typeText, const std::vector<std::string>& words);

}  // namespace smutil_tool
