// smutil find: the objects a lookup condition accepts, as the server's name
// resolution would see them.
//
//   $ smutil find --type "PRESENTATION TABLE" Sales "" Orders
//   "Sales".."Orders"	4008:3
//   $ smutil find --flexible --type "PRESENTATION TABLE" "" orders
//   "Sales".."Orders"	4008:3
//   "HR".."Orders"	4008:9
//
// One line per match: the qualified name, a tab, the id; exit 1 when nothing
// matches. Without --flexible a NamedInterfaceTypeCondition is run: one
// segment compares the object's own name, several compare the whole qualified
// name (empty levels included: a presentation table directly in its subject
// area is "Sales" "" "Orders"). With --flexible a
// FlexibleNamedInterfaceTypeCondition is run: leading empty segments stand
// for any name, and the name is aligned with the end of the object's name.
// --aliases accepts former names; --through-bytes first sends the condition
// through its byte form, as a receiving server process would get it.
// --format json prints an array of {"id","type","typeName","name","qualifiedName"}.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "Commands.h"
#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMUtil.h"
#include "Output.h"
#include "RepoLoad.h"
#include "RepoNameArgs.h"
#include "Utility/DataBlobUtil.h"

namespace smutil_tool {
namespace {

struct FindOptions {
  std::vector<std::string> typeTexts;
  bool bFlexible = false, bAliases = false, bThroughBytes = false;
  std::vector<std::string> words;
};

std::unique_ptr<ACondition> MakeCondition(const TypeIDVector& types, const QualifiedName& name, bool bFlexible,
                                          bool bAliases) {
  if (bFlexible) return std::make_unique<FlexibleNamedInterfaceTypeCondition>(types, name, bAliases);
  // The object's own name under its container's name: a single segment then
  // finds the object wherever it lives.
  QualifiedName parent(name.begin(), name.end() - 1);
  return std::make_unique<NamedInterfaceTypeCondition>(types, name.back(), parent, bAliases);
}

int RunFind(Context& ctx, const FindOptions& o) {
  TypeIDVector types;
  for (const std::string& text : o.typeTexts) {
    TypeID type = 0;
    if (!ParseTypeArgument(ctx, text, type)) return kExitUsage;
    types.push_back(type);
  }
  const bool bFlexible = o.bFlexible, bAliases = o.bAliases;
  const QualifiedName name = QualifiedNameFromWords(o.words);
  if (name.empty()) {
    WriteError(ctx.err, "find", "the name \"" + o.words[0] + "\" has no segment");
    return kExitUsage;
  }

  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  std::unique_ptr<ACondition> cond = MakeCondition(types, name, bFlexible, bAliases);
  if (o.bThroughBytes) {
    ByteVector bytes;
    ConditionRegistry::ToTaggedBytes(rp.get(), *cond, bytes);
    try {
      cond = ConditionRegistry::FromTaggedBytes(rp.get(), bytes.data(), bytes.data() + bytes.size());
    } catch (const BlobDecodeError& e) {
      WriteError(ctx.err, "find",
                 "the condition did not read back from its " + std::to_string(bytes.size()) + " bytes: " + e.what());
      return kExitFailed;
    }
  }

  VoidIDVector ids;
  rp->LookupObjects(*cond, ids);
  Emit(
      ctx,
      [&] {
        nlohmann::json doc = nlohmann::json::array();
        for (const VoidID& id : ids) doc.push_back(ObjectJson(rp->GetObject(id)));
        return doc;
      },
      [&](std::ostream& out) {
        for (const VoidID& id : ids) {
          out << ToNarrow(MetadataUtil::GenerateQualifiedName(rp->GetObject(id))) << '\t' << ToNarrow(id.ToString())
              << '\n';
        }
      });
  if (ids.empty()) {
    std::string text = "nothing of type";
    for (TypeID t : types) text += " " + TypeLabel(t);
    text += " matches " + ToNarrow(MetadataUtil::ToQualifiedName(name)) + (bFlexible ? " (flexible)" : "") + " in " +
            ctx.repoPath;
    WriteError(ctx.err, "find", text);
    if (!bAliases) WriteHint(ctx.err, "--aliases would accept former names too");
    return kExitFailed;
  }
  return kExitDone;
}

RunFn DeclareFind(CLI::App& cmd, Context& ctx) {
  auto o = std::make_shared<FindOptions>();
  cmd.add_option("--type", o->typeTexts, "a type the objects may have (repeat for several)")
      ->type_name("TYPE")
      ->allow_extra_args(false)
      ->required();
  cmd.add_flag("--flexible", o->bFlexible, "leading empty segments stand for any name");
  cmd.add_flag("--aliases", o->bAliases, "accept former names too");
  cmd.add_flag("--through-bytes", o->bThroughBytes, "send the condition through its byte form first");
  cmd.add_option("NAME", o->words, "the name (\"A\".\"B\", or A.B, or one word a segment, \"\" for an empty one)")
      ->required();
  AddFormatOption(cmd, ctx);
  return [o](Context& c) { return RunFind(c, *o); };
}

SMUTIL_COMMAND("find", "list the objects a named or flexible lookup condition accepts", DeclareFind);

}  // namespace
}  // namespace smutil_tool
