// smutil render: an expression written as logical SQL.
//
//   $ smutil render --fully-qualified --quotes --type "LOGICAL COLUMN" Retail.Fact.Margin
//   "Retail"."Fact"."Revenue" - "Retail"."Fact"."Cost"
//   $ smutil render --expr "Add(Multiply(S'Price',2),1)"
//   Price * 2 + 1
//
// --type names the object whose expression is rendered: a logical column (its
// formula), a complex join (its condition) or a repository variable (its
// initializer); QNAME is its qualified name or its id (2006:12), or several
// words taken as the segments. A single name that is the object's own name
// is enough when only one object of the type has it (a variable's qualified
// name includes its initialization block). --expr takes the expression text form (see
// `smutil help`); a repository is loaded only when the text refers to
// objects by id (#2006:12). Naming: --fully-qualified (every level),
// --single-part (the object's own name), --by-id (quoted ids), --quotes
// (quote every name part); by default the last two parts, quoted only where
// needed. --display writes presentation columns by their custom display
// names (bundle strings in the language of --lang); --catalog SUBJECT_AREA
// writes references as the presentation columns of that subject area;
// --reparent OLD_PARENT --to NEW_PARENT_NAME writes the children of
// OLD_PARENT under the new name; --rename-db OLD=NEW (repeatable) writes
// database OLD as NEW. The text is printed exactly as rendered, leading blanks
// included, followed by one line break; a rendering that cannot name a
// reference under the new parent is empty.
//
//   $ smutil render --catalog "Sales Analysis" --type "LOGICAL COLUMN" Sales.Orders.Revenue
//   "Sales Analysis"."Orders"."Quantity" * "Orders"."Unit Price" - "Sales Analysis"."Orders"."Discount"
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "Commands.h"
#include "Expr/ToStringVisitor.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Output.h"
#include "RenderModes.h"
#include "RepoLoad.h"

namespace smutil_tool {
namespace {

struct Options {
  RenderModeOptions mode;
  std::string typeText;
  std::string exprText;
  std::vector<std::string> words;
};

int RunRender(Context& ctx, const Options& o) {
  if (o.typeText.empty() && o.exprText.empty()) {
    WriteError(ctx.err, "render", "give --type TYPE QNAME... or --expr TEXT",
               {"run 'smutil help render' for the usage"});
    return kExitUsage;
  }
  if (!o.typeText.empty() && o.words.empty()) {
    WriteError(ctx.err, "render", "--type needs the object's QNAME", {"run 'smutil help render' for the usage"});
    return kExitUsage;
  }
  if (!o.exprText.empty() && !o.words.empty()) {
    WriteError(ctx.err, "render", "unexpected argument '" + o.words.front() + "' after --expr");
    return kExitUsage;
  }

  std::unique_ptr<ARpGateway> rp;
  Expr expr;
  if (!o.exprText.empty()) {
    try {
      expr = ToStringVisitor::ExprFrom(ToVXString(o.exprText));
    } catch (const ExprTextError& e) {
      WriteError(ctx.err, "render", std::string("bad ") + e.what());
      return kExitFailed;
    }
    VoidIDVector ids;
    expr.GetObjectIDsInExpr(ids, true);
    if (!ids.empty() || ModeNeedsRepository(o.mode)) {
      rp = LoadRepositoryOrExplain(ctx);
      if (!rp) return kExitIO;
    }
  } else {
    TypeID type = 0;
    if (!ParseTypeArgument(ctx, o.typeText, type)) return kExitUsage;
    rp = LoadRepositoryOrExplain(ctx);
    if (!rp) return kExitIO;
    const Ref<ARpObject> obj = FindExpressionObject(ctx, "render", rp.get(), type, o.typeText, o.words);
    if (obj.IsNull()) return kExitFailed;
    const std::optional<RpProp> key = ExpressionPropertyOf(ctx, "render", obj);
    if (!key) return kExitFailed;
    expr = obj->GetExprProperty(*key);
    if (expr.IsEmpty()) {
      // An empty line would read as a rendering of nothing in particular.
      WriteError(ctx.err, "render",
                 TypeLabelExplained(obj->GetTypeID()) + " " + ToNarrow(MetadataUtil::GenerateQualifiedName(obj)) +
                     " has no expression");
      return kExitFailed;
    }
  }
  ResolvedRenderMode mode;
  bool usage = false;
  if (!ResolveRenderMode(ctx, "render", rp.get(), o.mode, mode, usage)) return usage ? kExitUsage : kExitFailed;
  ctx.out << ToNarrow(RenderInMode(expr, rp.get(), mode)) << "\n";
  // References to objects that are gone are written as the deleted-object
  // placeholder; the text is printed, but it is not what was asked for.
  VoidIDVector ids;
  expr.GetObjectIDsInExpr(ids, true);
  int exitCode = kExitDone;
  for (const VoidID& id : ids) {
    if (rp && !rp->GetObject(id).IsNull()) continue;
    WriteError(ctx.err, "render",
               "#" + ToNarrow(id.ToString()) + " names no object in " + ctx.repoPath +
                   "; it is written as the placeholder of a deleted object");
    exitCode = kExitFailed;
  }
  return exitCode;
}

RunFn DeclareRender(CLI::App& cmd, Context&) {
  auto o = std::make_shared<Options>();
  AddRenderModeOptions(cmd, o->mode);
  CLI::Option* type = cmd.add_option("--type", o->typeText,
                                     "render the formula of a LOGICAL COLUMN, the condition of a (complex) JOIN or "
                                     "the initializer of an RP VARIABLE named QNAME (or given by id)")
                          ->type_name("TYPE");
  CLI::Option* text = cmd.add_option("--expr", o->exprText, "render expression text, e.g. \"Add(S'Price',#2006:12)\"")
                          ->type_name("TEXT");
  type->excludes(text);
  cmd.add_option("QNAME", o->words, "the object named with --type");
  return [o](Context& c) { return RunRender(c, *o); };
}

SMUTIL_COMMAND("render", "write an object's expression (or expression text) as logical SQL", DeclareRender);

}  // namespace
}  // namespace smutil_tool
