// smutil format: a user's own text for an object's expression (its format
// string), stored with ids for names so that it survives renames.
//
//   $ smutil format --type "LOGICAL COLUMN" Sales.Orders.Revenue --save out.rpd.xml
//       --set "Orders.Quantity*Orders.\"Unit Price\" - Orders.Discount"
//   "2006:2"*"2006:3" - "2006:4"
//   $ smutil --repo out.rpd.xml format --fully-qualified --quotes --type "LOGICAL COLUMN" Sales.Orders.Revenue
//   "Sales"."Orders"."Quantity"*"Sales"."Orders"."Unit Price" - "Sales"."Orders"."Discount"
//
// --set TEXT stores TEXT as the format string and prints what is stored
// (nothing is stored, and an empty line printed, when TEXT is exactly the
// quoted, fully qualified rendering); --save OUT writes the repository with
// it to OUT. Without --set the format string is shown in the mode the
// render options choose (see `smutil help render`); an object without one
// shows its rendering.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "Commands.h"
#include "FileArgs.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Output.h"
#include "RenderModes.h"
#include "RepoLoad.h"
#include "objectmodel/RpFile.h"

namespace smutil_tool {
namespace {

struct Options {
  RenderModeOptions mode;
  std::string typeText;
  std::vector<std::string> words;
  std::optional<std::string> text;  // --set
  std::string savePath;
};

int RunFormat(Context& ctx, const Options& o) {
  if (o.words.empty()) {
    WriteError(ctx.err, "format", "--type needs the object's QNAME", {"run 'smutil help format' for the usage"});
    return kExitUsage;
  }
  if (!o.savePath.empty() && !o.text) {
    WriteError(ctx.err, "format", "--save goes with --set");
    return kExitUsage;
  }
  if (!CheckNotAnInput(ctx, "format", o.savePath, {ctx.repoPath})) return kExitUsage;
  TypeID type = 0;
  if (!ParseTypeArgument(ctx, o.typeText, type)) return kExitUsage;
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  const Ref<ARpObject> obj = FindExpressionObject(ctx, "format", rp.get(), type, o.typeText, o.words);
  if (obj.IsNull()) return kExitFailed;
  const std::optional<RpProp> key = ExpressionPropertyOf(ctx, "format", obj);
  if (!key) return kExitFailed;
  Expr expr = obj->GetExprProperty(*key);
  if (expr.IsEmpty()) {
    WriteError(ctx.err, "format", ToNarrow(MetadataUtil::GenerateQualifiedName(obj)) + " has no expression");
    return kExitFailed;
  }

  if (o.text) {
    ToPrettyStringVisitor::SetFormatExpr(expr, rp.get(), ToVXString(*o.text));
    obj->SetProperty(*key, expr);
    if (!o.savePath.empty() && !SaveRepository(ctx, "format", *rp, o.savePath)) return kExitIO;
    StatusOf(ctx, o.savePath) << ToNarrow(expr.GetFormatStr()) << "\n";
    return kExitDone;
  }
  ResolvedRenderMode mode;
  bool usage = false;
  if (!ResolveRenderMode(ctx, "format", rp.get(), o.mode, mode, usage)) return usage ? kExitUsage : kExitFailed;
  ctx.out << ToNarrow(FormatInMode(expr, rp.get(), mode)) << "\n";
  return kExitDone;
}

RunFn DeclareFormat(CLI::App& cmd, Context&) {
  auto o = std::make_shared<Options>();
  AddRenderModeOptions(cmd, o->mode);
  cmd.add_option("--type", o->typeText, "a LOGICAL COLUMN, (complex) JOIN or RP VARIABLE named QNAME (or by id)")
      ->type_name("TYPE")
      ->required();
  cmd.add_option("--set", o->text, "store TEXT as the expression's format string")->type_name("TEXT");
  cmd.add_option("--save", o->savePath,
                 "write the repository with the stored text to OUT (not the one read; - for standard output)")
      ->type_name("OUT");
  cmd.add_option("QNAME", o->words, "the object named with --type");
  return [o](Context& c) { return RunFormat(c, *o); };
}

SMUTIL_COMMAND("format", "store or show a user's own text for an object's expression", DeclareFormat);

}  // namespace
}  // namespace smutil_tool
