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
// words taken as the segments. --expr takes the expression text form (see
// `smutil help`); a repository is loaded only when the text refers to
// objects by id (#2006:12). Naming: --fully-qualified (every level),
// --single-part (the object's own name), --by-id (quoted ids), --quotes
// (quote every name part); by default the last two parts, quoted only where
// needed. The text is printed exactly as rendered, leading blanks included,
// followed by one line break.
#include <ostream>
#include <string>

#include "Commands.h"
#include "Expr/ToStringVisitor.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "ObjectArgs.h"
#include "RepoLoad.h"
#include "RepoNameArgs.h"

namespace smutil_tool {
namespace {

constexpr const char* kUsage =
    "render [--fully-qualified] [--single-part] [--by-id] [--quotes] (--type TYPE QNAME... | --expr TEXT)";

struct Options {
  bool bQuotes = false;
  bool bFullyQualified = false;
  bool bSinglePart = false;
  bool bByID = false;
  std::string typeText;
  bool bType = false;
  std::string exprText;
  bool bExpr = false;
  std::vector<std::string> words;
};

int Usage(Context& ctx) {
  ctx.err << "usage: smutil " << kUsage << "\n"
          << "  --type: the formula of a LOGICAL COLUMN, the condition of a (complex) JOIN or the\n"
          << "          initializer of an RP VARIABLE named QNAME (or given by id)\n"
          << "  --expr: an expression in the text form, e.g. \"Add(S'Price',#2006:12)\"\n";
  return 2;
}

bool ParseOptions(Context& ctx, Options& o) {
  for (std::size_t i = 0; i < ctx.args.size(); ++i) {
    const std::string& a = ctx.args[i];
    if (a == "--quotes") {
      o.bQuotes = true;
    } else if (a == "--fully-qualified") {
      o.bFullyQualified = true;
    } else if (a == "--single-part") {
      o.bSinglePart = true;
    } else if (a == "--by-id") {
      o.bByID = true;
    } else if (a == "--type" && i + 1 < ctx.args.size()) {
      o.typeText = ctx.args[++i];
      o.bType = true;
    } else if (a == "--expr" && i + 1 < ctx.args.size()) {
      o.exprText = ctx.args[++i];
      o.bExpr = true;
    } else if (a.rfind("--", 0) == 0) {
      ctx.err << "smutil render: unknown option '" << a << "'\n";
      return false;
    } else {
      o.words.push_back(a);
    }
  }
  // Exactly one source: an object (type and name) or expression text.
  if (o.bType == o.bExpr) return false;
  if (o.bType && o.words.empty()) return false;
  if (o.bExpr && !o.words.empty()) return false;
  return true;
}

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

int RunRender(Context& ctx) {
  Options o;
  if (!ParseOptions(ctx, o)) return Usage(ctx);

  std::unique_ptr<ARpGateway> rp;
  Expr expr;
  if (o.bExpr) {
    try {
      expr = ToStringVisitor::ExprFrom(ToVXString(o.exprText));
    } catch (const ExprTextError& e) {
      ctx.err << "smutil render: bad expression text at character " << e.GetPosition() << ": " << e.what() << "\n";
      return 1;
    }
    VoidIDVector ids;
    expr.GetObjectIDsInExpr(ids, true);
    if (!ids.empty()) {
      rp = LoadRepositoryOrExplain(ctx);
      if (!rp) return 1;
    }
  } else {
    TypeID type = 0;
    if (!ParseTypeArgument(ctx, o.typeText, type)) return 2;
    rp = LoadRepositoryOrExplain(ctx);
    if (!rp) return 1;
    RpObjectVector found;
    if (o.words.size() == 1) {
      found = FindObjectsFromArgument(rp.get(), o.words[0], type);
    } else {
      QualifiedName qname;
      for (const std::string& w : o.words) qname.push_back(ToVXString(w));
      Ref<ARpObject> obj = MetadataUtil::GetRpObjectFromQualifiedName(rp.get(), type, qname);
      if (!obj.IsNull()) found.push_back(obj);
    }
    if (found.empty()) {
      ctx.err << "smutil render: no " << TypeLabel(type) << " named";
      for (const std::string& w : o.words) ctx.err << " " << w;
      ctx.err << " in " << ctx.repoPath << "\n  (smutil show and smutil names list what is there)\n";
      return 1;
    }
    if (!ExpressionOf(ctx, found.front(), expr)) return 1;
  }
  const ToPrettyStringVisitor::Options options{.mandatoryDoubleQuotes = o.bQuotes,
                                               .fullyQualified = o.bFullyQualified,
                                               .singlePartName = o.bSinglePart,
                                               .usingVoidID = o.bByID};
  ctx.out << ToNarrow(ToPrettyStringVisitor::StringFrom(expr, rp.get(), options)) << "\n";
  return 0;
}

SMUTIL_COMMAND("render", kUsage, "write an object's expression (or expression text) as logical SQL", RunRender);

}  // namespace
}  // namespace smutil_tool
