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
//   $ smutil names --display --lang fr --type 'PRESENTATION TABLE'
//   Products	Produits
//
// parse and split print "N<TAB>segment" lines so an empty segment shows;
// with --format json parse, split and names print an array of strings.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "Commands.h"
#include "DisplayNames.h"
#include "Metadata/SMUtil.h"
#include "Output.h"
#include "RepoLoad.h"
#include "RepoNameArgs.h"
#include "Utility/BaseStringUtil.h"
#include "objectmodel/ObjectModel.h"

namespace smutil_tool {
namespace {

nlohmann::json StringsJson(const VXStringVector& strings) {
  nlohmann::json doc = nlohmann::json::array();
  for (const VXString& s : strings) doc.push_back(ToNarrow(s));
  return doc;
}

void PrintSegments(Context& ctx, const QualifiedName& segments) {
  Emit(
      ctx, [&] { return StringsJson(segments); },
      [&](std::ostream& out) {
        for (std::size_t i = 0; i < segments.size(); ++i) out << (i + 1) << '\t' << ToNarrow(segments[i]) << '\n';
      });
}

RunFn DeclareQuote(CLI::App& cmd, Context&) {
  auto names = std::make_shared<std::vector<std::string>>();
  cmd.add_option("NAME", *names, "the segments, in order (\"\" for an empty one)")->required();
  return [names](Context& ctx) {
    QualifiedName segments;
    for (const std::string& a : *names) segments.push_back(ToVXString(a));
    ctx.out << ToNarrow(MetadataUtil::ToQualifiedName(segments)) << '\n';
    return kExitDone;
  };
}

RunFn DeclareParse(CLI::App& cmd, Context& ctx) {
  auto text = std::make_shared<std::string>();
  cmd.add_option("TEXT", *text, "written qualified-name text (\"A\".\"B\"); quote it for the shell")->required();
  AddFormatOption(cmd, ctx);
  return [text](Context& c) {
    const VXString wide = ToVXString(*text);
    QualifiedName segments;
    MetadataUtil::ParseQualifiedNameString(wide, segments, '.', true);
    // The library keeps a doubled quote doubled inside a segment; the tool
    // prints the names themselves, so that parse undoes what quote writes.
    // Text that did not read as quoted segments comes back whole, as typed.
    const bool bWhole = segments.size() == 1 && segments.front() == wide;
    if (!bWhole) {
      for (VXString& segment : segments) BaseStringUtil::ReplacePatternInString(segment, U"\"\"", U"\"");
    }
    PrintSegments(c, segments);
    return kExitDone;
  };
}

RunFn DeclareSplit(CLI::App& cmd, Context& ctx) {
  auto text = std::make_shared<std::string>();
  cmd.add_option("TEXT", *text, "a name to cut at every full stop (a quoted run keeps its full stops)")->required();
  AddFormatOption(cmd, ctx);
  return [text](Context& c) {
    QualifiedName segments;
    MetadataUtil::ConvertNameToQualifiedName(ToVXString(*text), segments);
    PrintSegments(c, segments);
    return kExitDone;
  };
}

struct NamesOptions {
  std::string typeText, parentTypeText, parentText, lang, bundles;
  bool bDisplay = false;
};

// "name<TAB>custom display name" for every object of the type (under the
// parent), in the repository's order; json: [{"name", "displayName"}].
void PrintDisplayNames(Context& ctx, ARpGateway* rp, TypeID type, const Ref<ARpObject>& parent, bool bParent) {
  RpObjectVector objects;
  if (bParent) {
    GetChildrenOfType(rp, parent, objects, type);
  } else {
    VoidIDVector ids;
    rp->LookupObjects(InterfaceTypeCondition(type), ids);
    rp->GetObjects(ids, objects);
  }
  std::vector<std::pair<std::string, std::string>> rows;
  for (const Ref<ARpObject>& obj : objects) {
    if (obj.IsNull()) continue;
    rows.emplace_back(ToNarrow(obj->GetName()), ToNarrow(MetadataUtil::GetCustomDisplayName(rp, obj)));
  }
  Emit(
      ctx,
      [&] {
        nlohmann::json doc = nlohmann::json::array();
        for (const auto& [name, display] : rows) doc.push_back({{"name", name}, {"displayName", display}});
        return doc;
      },
      [&](std::ostream& out) {
        for (const auto& [name, display] : rows) out << name << '\t' << display << '\n';
      });
}

int RunNames(Context& ctx, const NamesOptions& o) {
  TypeID type = 0, parentType = 0;
  if (!ParseTypeArgument(ctx, o.typeText, type)) return kExitUsage;
  const bool bParent = !o.parentTypeText.empty();
  if (bParent && !ParseTypeArgument(ctx, o.parentTypeText, parentType)) return kExitUsage;
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  VXStringVector names;
  Ref<ARpObject> parent;
  if (bParent) {
    const QualifiedName qname = QualifiedNameFromArgument(o.parentText);
    parent = MetadataUtil::GetRpObjectFromQualifiedName(rp.get(), parentType, qname);
    if (parent.IsNull()) {
      WriteError(ctx.err, "names",
                 "no " + TypeLabel(parentType) + " named " + ToNarrow(MetadataUtil::ToQualifiedName(qname)) + " in " +
                     ctx.repoPath + " (names compare exactly, case included; list them with smutil names --type '" +
                     o.parentTypeText + "')");
      return kExitFailed;
    }
  }
  if (o.bDisplay) {
    if (!PrepareDisplaySession(ctx, rp.get(), o.lang, o.bundles)) return kExitIO;
    PrintDisplayNames(ctx, rp.get(), type, parent, bParent);
    return kExitDone;
  }
  if (bParent) {
    MetadataUtil::GetAllocatedChildrenNames(rp.get(), type, parent, names);
  } else {
    MetadataUtil::GenerateNameVectorOfRootObjects(rp.get(), type, names);
  }
  Emit(
      ctx, [&] { return StringsJson(names); },
      [&](std::ostream& out) {
        for (const VXString& n : names) out << ToNarrow(n) << '\n';
      });
  return kExitDone;
}

RunFn DeclareNames(CLI::App& cmd, Context& ctx) {
  auto o = std::make_shared<NamesOptions>();
  cmd.add_option("--type", o->typeText, "the type whose names are listed")->type_name("TYPE")->required();
  CLI::Option* parentType = cmd.add_option("--parent-type", o->parentTypeText, "the parent's type")->type_name("TYPE");
  CLI::Option* parent =
      cmd.add_option("--parent", o->parentText, "list the children of this parent only")->type_name("QNAME");
  parentType->needs(parent);
  parent->needs(parentType);
  CLI::Option* display =
      cmd.add_flag("--display", o->bDisplay, "each object's name and custom display name, tab-separated");
  AddDisplayOptions(cmd, o->lang, o->bundles);
  cmd.get_option("--lang")->needs(display);
  cmd.get_option("--bundles")->needs(display);
  AddFormatOption(cmd, ctx);
  return [o](Context& c) { return RunNames(c, *o); };
}

SMUTIL_COMMAND("quote", "write segments as one quoted qualified name", DeclareQuote);
SMUTIL_COMMAND("parse", "split written qualified-name text into segments (one a line)", DeclareParse);
SMUTIL_COMMAND("split", "cut a name at every full stop, keeping quoted runs together", DeclareSplit);
SMUTIL_COMMAND("names", "list the names already taken by objects of a type (under a parent)", DeclareNames);

}  // namespace
}  // namespace smutil_tool
