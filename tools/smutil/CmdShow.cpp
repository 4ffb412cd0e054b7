// smutil show: one object found by its qualified name and type.
//
//   $ smutil show --type TABLE '"Sales DW"."dbo"."W_ORDERS_F"'
//   object   "Sales DW".""."dbo"."W_ORDERS_F"
//   id       3001:12
//   type     TABLE (3001)
//   parent   "Sales DW".""."dbo"  SCHEMA (3027) 3027:2
//   aliases  ORDERS_F
//   children 14
//     COLUMN (3003) 3003:40  "Sales DW".""."dbo"."W_ORDERS_F"."ORDER_ID"
//     ...
//
// Several QNAME words are taken as the segments themselves
// (smutil show --type TABLE "Sales DW" dbo W_ORDERS_F). --format json gives
// the object, its parent and children as {"id","type","typeName","name",
// "qualifiedName"} and its aliases as strings.
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
#include "objectmodel/Condition.h"

namespace smutil_tool {
namespace {

struct ShowOptions {
  std::string typeText, lang, bundles;
  std::vector<std::string> words;
};

std::string Describe(const Ref<ARpObject>& obj) {
  return TypeLabel(obj->GetTypeID()) + " " + ToNarrow(obj->GetID().ToString()) + "  " +
         ToNarrow(MetadataUtil::GenerateQualifiedName(obj));
}

nlohmann::json ShowJson(const Ref<ARpObject>& obj, const CustomTexts& texts) {
  nlohmann::json doc = ObjectJson(obj);
  if (texts.displayName) doc["displayName"] = ToNarrow(*texts.displayName);
  if (texts.description) doc["description"] = ToNarrow(*texts.description);
  Ref<ARpObject> parent = MetadataUtil::GetParent(obj);
  doc["parent"] = parent.IsNull() ? nlohmann::json(nullptr) : ObjectJson(parent);
  VXStringVector aliases;
  obj->GetAliases(aliases);
  doc["aliases"] = nlohmann::json::array();
  for (const VXString& a : aliases) doc["aliases"].push_back(ToNarrow(a));
  doc["children"] = nlohmann::json::array();
  for (ARpObject* c : obj->GetChildPointers()) doc["children"].push_back(ObjectJson(Ref<ARpObject>(c)));
  return doc;
}

void ShowText(std::ostream& out, const Ref<ARpObject>& obj, const CustomTexts& texts) {
  out << "object   " << ToNarrow(MetadataUtil::GenerateQualifiedName(obj)) << "\n"
      << "id       " << ToNarrow(obj->GetID().ToString()) << "\n"
      << "type     " << TypeLabel(obj->GetTypeID()) << "\n";
  if (texts.displayName) out << "display  " << ToNarrow(*texts.displayName) << "\n";
  if (texts.description) out << "descr    " << ToNarrow(*texts.description) << "\n";
  Ref<ARpObject> parent = MetadataUtil::GetParent(obj);
  out << "parent   " << (parent.IsNull() ? std::string("(none)") : Describe(parent)) << "\n";
  VXStringVector aliases;
  obj->GetAliases(aliases);
  out << "aliases  ";
  for (std::size_t i = 0; i < aliases.size(); ++i) out << (i ? ", " : "") << ToNarrow(aliases[i]);
  out << (aliases.empty() ? "(none)\n" : "\n");
  const ChildPointers children = obj->GetChildPointers();
  out << "children " << children.size() << "\n";
  for (ARpObject* c : children) out << "  " << Describe(Ref<ARpObject>(c)) << "\n";
}

int RunShow(Context& ctx, const ShowOptions& o) {
  TypeID type = 0;
  if (!ParseTypeArgument(ctx, o.typeText, type)) return kExitUsage;
  const QualifiedName qname = QualifiedNameFromWords(o.words);
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  Ref<ARpObject> obj = MetadataUtil::GetRpObjectFromQualifiedName(rp.get(), type, qname);
  if (obj.IsNull()) {
    WriteError(ctx.err, "show",
               "no " + TypeLabelExplained(type) + " named " + ToNarrow(MetadataUtil::ToQualifiedName(qname)) + " in " +
                   ctx.repoPath);
    ExplainSimilarNames(ctx, rp.get(), type, qname, o.typeText);
    return kExitFailed;
  }
  if (!PrepareDisplaySession(ctx, rp.get(), o.lang, o.bundles)) return kExitIO;
  const CustomTexts texts = CustomTextsOf(rp.get(), obj);
  Emit(
      ctx, [&] { return ShowJson(obj, texts); }, [&](std::ostream& out) { ShowText(out, obj, texts); });
  return kExitDone;
}

RunFn DeclareShow(CLI::App& cmd, Context& ctx) {
  auto o = std::make_shared<ShowOptions>();
  cmd.add_option("--type", o->typeText, "the object's type (TABLE, 3001, \"LOGICAL COLUMN\", ...)")
      ->type_name("TYPE")
      ->required();
  cmd.add_option("QNAME", o->words, "its qualified name (\"A\".\"B\", or A.B, or one word a segment)")->required();
  AddDisplayOptions(cmd, o->lang, o->bundles);
  AddFormatOption(cmd, ctx);
  return [o](Context& c) { return RunShow(c, *o); };
}

SMUTIL_COMMAND("show", "show an object (qualified name, parent, aliases, children) by name and type", DeclareShow);

}  // namespace
}  // namespace smutil_tool
