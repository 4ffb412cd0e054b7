// Qualified names on the command line, and the names already taken.
//
//   $ smutil quote Sales 'Order "Lines"' Amount
//   "Sales"."Order ""Lines"""."Amount"
//   $ smutil parse '"Sales".."Amount"'        # the written form, one segment a line
//   1	Sales
//   2
//   3	Amount
//   $ smutil split 'Sales.Orders.Amount'      # cut at every full stop
//   $ smutil names --type TABLE --parent-type SCHEMA --parent '"DW"."dbo"'
//
// parse and split print "N<TAB>segment" lines so an empty segment shows.
#include <ostream>
#include <string>

#include "Commands.h"
#include "Metadata/SMUtil.h"
#include "RepoLoad.h"
#include "RepoNameArgs.h"

namespace smutil_tool {
namespace {

void PrintSegments(Context& ctx, const QualifiedName& segments) {
  for (std::size_t i = 0; i < segments.size(); ++i) ctx.out << (i + 1) << '\t' << ToNarrow(segments[i]) << '\n';
}

int RunQuote(Context& ctx) {
  if (ctx.args.empty()) {
    ctx.err << "usage: smutil quote NAME...\n  writes the segments NAME... as one qualified name\n";
    return 2;
  }
  QualifiedName segments;
  for (const std::string& a : ctx.args) segments.push_back(ToVXString(a));
  ctx.out << ToNarrow(MetadataUtil::ToQualifiedName(segments)) << '\n';
  return 0;
}

int RunParse(Context& ctx) {
  if (ctx.args.size() != 1) {
    ctx.err << "usage: smutil parse TEXT\n  splits written qualified-name text (\"A\".\"B\") into its segments;"
               " quote TEXT for the shell\n";
    return 2;
  }
  QualifiedName segments;
  MetadataUtil::ParseQualifiedNameString(ToVXString(ctx.args[0]), segments, '.', true);
  PrintSegments(ctx, segments);
  return 0;
}

int RunSplit(Context& ctx) {
  if (ctx.args.size() != 1) {
    ctx.err << "usage: smutil split TEXT\n  cuts TEXT at every full stop (a quoted run keeps its full stops)\n";
    return 2;
  }
  QualifiedName segments;
  MetadataUtil::ConvertNameToQualifiedName(ToVXString(ctx.args[0]), segments);
  PrintSegments(ctx, segments);
  return 0;
}

constexpr const char* kNamesUsage = "names --type TYPE [--parent-type TYPE --parent QNAME]";

int RunNames(Context& ctx) {
  std::string typeText, parentTypeText, parentText;
  bool bParent = false;
  for (std::size_t i = 0; i < ctx.args.size(); ++i) {
    const std::string& a = ctx.args[i];
    if ((a == "--type" || a == "--parent-type" || a == "--parent") && i + 1 < ctx.args.size()) {
      const std::string& v = ctx.args[++i];
      if (a == "--type") typeText = v;
      if (a == "--parent-type") parentTypeText = v;
      if (a == "--parent") {
        parentText = v;
        bParent = true;
      }
    } else {
      ctx.err << "smutil names: unexpected argument '" << a << "'\nusage: smutil " << kNamesUsage << "\n";
      return 2;
    }
  }
  if (typeText.empty() || bParent != !parentTypeText.empty()) {
    ctx.err << "usage: smutil " << kNamesUsage << "\n"
            << "  lists the names (and former names) taken by objects of TYPE: all of them, or the\n"
            << "  children of the parent named QNAME of type --parent-type\n";
    return 2;
  }
  TypeID type = 0, parentType = 0;
  if (!ParseTypeArgument(ctx, typeText, type)) return 2;
  if (bParent && !ParseTypeArgument(ctx, parentTypeText, parentType)) return 2;
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return 1;
  VXStringVector names;
  if (bParent) {
    const QualifiedName qname = QualifiedNameFromArgument(parentText);
    Ref<ARpObject> parent = MetadataUtil::GetRpObjectFromQualifiedName(rp.get(), parentType, qname);
    if (parent.IsNull()) {
      ctx.err << "smutil names: no " << TypeLabel(parentType) << " named " << ToNarrow(MetadataUtil::ToQualifiedName(qname))
              << " in " << ctx.repoPath << " (names compare exactly, case included; list them with"
              << " smutil names --type '" << parentTypeText << "')\n";
      return 1;
    }
    MetadataUtil::GetAllocatedChildrenNames(rp.get(), type, parent, names);
  } else {
    MetadataUtil::GenerateNameVectorOfRootObjects(rp.get(), type, names);
  }
  for (const VXString& n : names) ctx.out << ToNarrow(n) << '\n';
  return 0;
}

SMUTIL_COMMAND("quote", "quote NAME...", "write segments as one quoted qualified name", RunQuote);
SMUTIL_COMMAND("parse", "parse TEXT", "split written qualified-name text into segments (one a line)", RunParse);
SMUTIL_COMMAND("split", "split TEXT", "cut a name at every full stop, keeping quoted runs together", RunSplit);
SMUTIL_COMMAND("names", kNamesUsage, "list the names already taken by objects of a type (under a parent)", RunNames);

}  // namespace
}  // namespace smutil_tool
