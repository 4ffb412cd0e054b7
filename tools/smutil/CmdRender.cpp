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
// needed. The text is printed exactly as rendered, leading blanks included,
// followed by one line break.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "Commands.h"
#include "Expr/ToStringVisitor.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "ObjectArgs.h"
#include "RepoLoad.h"
#include "RepoNameArgs.h"
#include "objectmodel/Condition.h"

namespace smutil_tool {
namespace {

struct Options {
  bool bQuotes = false;
  bool bFullyQualified = false;
  bool bSinglePart = false;
  bool bByID = false;
  std::string typeText;
  std::string exprText;
  std::vector<std::string> words;
};

// The expression an object of one of the rendered kinds holds; false (with
// a message) for other kinds.
bool ExpressionOf(Context& ctx, const Ref<ARpObject>& obj, Expr& expr) {
  switch (obj->GetTypeID()) {
    case kTIDAAttribute:
      expr = Ref<AAttribute>(obj)->GetExpr();
      return true;
    case kTIDAComplexJoin:
      expr = Ref<AComplexJoin>(obj)->GetJoinExpr();
      return true;
    case kTIDARpVariable:
      expr = Ref<ARpVariable>(obj)->GetExpr();
      return true;
    default:
      ctx.err << "smutil render: " << DescribeObject(obj)
              << " holds no expression to render; use a LOGICAL COLUMN, JOIN or RP VARIABLE\n";
      return false;
  }
}

// The one object of the type whose own name is name, exactly; null when
// none or several have it.
Ref<ARpObject> UniqueByOwnName(ARpGateway* rp, TypeID type, const VXString& name) {
  VoidIDVector ids;
  rp->LookupObjects(TypedObjectNameCondition(type, name, false), ids);
  Ref<ARpObject> found;
  for (const VoidID& id : ids) {
    Ref<ARpObject> obj = rp->GetObject(id);
    if (obj.IsNull() || obj->GetName() != name) continue;
    if (!found.IsNull()) return Ref<ARpObject>();
    found = obj;
  }
  return found;
}

int RunRender(Context& ctx, const Options& o) {
  if (o.typeText.empty() && o.exprText.empty()) {
    ctx.err << "smutil render: give --type TYPE QNAME... or --expr TEXT\n  run 'smutil help render' for the usage\n";
    return kExitUsage;
  }
  if (!o.typeText.empty() && o.words.empty()) {
    ctx.err << "smutil render: --type needs the object's QNAME\n  run 'smutil help render' for the usage\n";
    return kExitUsage;
  }
  if (!o.exprText.empty() && !o.words.empty()) {
    ctx.err << "smutil render: unexpected argument '" << o.words.front() << "' after --expr\n";
    return kExitUsage;
  }

  std::unique_ptr<ARpGateway> rp;
  Expr expr;
  if (!o.exprText.empty()) {
    try {
      expr = ToStringVisitor::ExprFrom(ToVXString(o.exprText));
    } catch (const ExprTextError& e) {
      ctx.err << "smutil render: bad " << e.what() << "\n";
      return kExitFailed;
    }
    VoidIDVector ids;
    expr.GetObjectIDsInExpr(ids, true);
    if (!ids.empty()) {
      rp = LoadRepositoryOrExplain(ctx);
      if (!rp) return kExitFailed;
    }
  } else {
    TypeID type = 0;
    if (!ParseTypeArgument(ctx, o.typeText, type)) return kExitUsage;
    rp = LoadRepositoryOrExplain(ctx);
    if (!rp) return kExitFailed;
    RpObjectVector found;
    QualifiedName qname;
    if (o.words.size() == 1) {
      found = FindObjectsFromArgument(rp.get(), o.words[0], type);
      qname = QualifiedNameFromArgument(o.words[0]);
    } else {
      for (const std::string& w : o.words) qname.push_back(ToVXString(w));
      Ref<ARpObject> obj = MetadataUtil::GetRpObjectFromQualifiedName(rp.get(), type, qname);
      if (!obj.IsNull()) found.push_back(obj);
    }
    if (found.empty() && qname.size() == 1) {
      Ref<ARpObject> obj = UniqueByOwnName(rp.get(), type, qname.front());
      if (!obj.IsNull()) found.push_back(obj);
    }
    if (found.empty()) {
      ctx.err << "smutil render: no " << TypeLabel(type) << " named";
      for (const std::string& w : o.words) ctx.err << " " << w;
      ctx.err << " in " << ctx.repoPath << "\n";
      ExplainSimilarNames(ctx, rp.get(), type, qname, o.typeText);
      return kExitFailed;
    }
    if (!ExpressionOf(ctx, found.front(), expr)) return kExitFailed;
  }
  const ToPrettyStringVisitor::Options options{.mandatoryDoubleQuotes = o.bQuotes,
                                               .fullyQualified = o.bFullyQualified,
                                               .singlePartName = o.bSinglePart,
                                               .usingVoidID = o.bByID};
  ctx.out << ToNarrow(ToPrettyStringVisitor::StringFrom(expr, rp.get(), options)) << "\n";
  return kExitDone;
}

RunFn DeclareRender(CLI::App& cmd, Context&) {
  auto o = std::make_shared<Options>();
  cmd.add_flag("--fully-qualified", o->bFullyQualified, "name every level");
  cmd.add_flag("--single-part", o->bSinglePart, "the object's own name only");
  cmd.add_flag("--by-id", o->bByID, "quoted ids instead of names");
  cmd.add_flag("--quotes", o->bQuotes, "quote every name part");
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
