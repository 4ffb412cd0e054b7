// smutil deps: what deleting an object would take along, without deleting
// anything (the dependent-object listing a cautious administrator reads
// before a drop).
//
//   $ smutil deps --type TABLE '"Sales DW"."SALESDB"."dbo"."W_REGION_D"'
//   "Sales DW"."SALESDB"."dbo"."W_REGION_D"."REGION_ID"	COLUMN (3003)	3003:25	containment (1) of
//   "Sales DW"."SALESDB"."dbo"."W_REGION_D"
//   ...
//   "Sales DW"."SALESDB"."dbo"."W_CUSTOMER_D"."W_CUSTOMER_D_W_REGION_D_FK"	FOREIGN KEY (3006)	3006:4
//   physical foreign key reference (41) of "Sales DW"."SALESDB"."dbo"."W_REGION_D"."W_REGION_D_PK"
//   (each record is one line, cut here)
//
// One line per object, in the order the delete finds them (an object before
// what it drags along): its qualified name, type, id, and the relationship
// through which it is reached with the object on the other side. Nothing
// listed means the object goes alone. --count prints the number only;
// --format json an array of {"id","type","typeName","name","qualifiedName",
// "relationship":{"number","name"},"from":{...}} (a bare number with --count).
// Several QNAME words are taken as the segments themselves, as in show.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "Commands.h"
#include "Metadata/SMUtil.h"
#include "ObjectArgs.h"
#include "Output.h"
#include "RepoLoad.h"

namespace smutil_tool {
namespace {

struct DepsOptions {
  std::string typeText;
  std::vector<std::string> words;
  bool bCount = false;
};

std::string Reason(const MetadataUtil::DeleteDescendant& d) {
  std::string text = std::string(d.m_relName) + " (" + std::to_string(d.m_rel.GetInternalSystemRelationshipID()) + ")";
  if (!d.m_from.IsNull()) text += " of " + ToNarrow(MetadataUtil::GenerateQualifiedName(d.m_from));
  return text;
}

nlohmann::json DepsJson(const std::vector<MetadataUtil::DeleteDescendant>& found) {
  nlohmann::json doc = nlohmann::json::array();
  for (const MetadataUtil::DeleteDescendant& d : found) {
    nlohmann::json item = ObjectJson(d.m_obj);
    item["relationship"] = {{"number", d.m_rel.GetInternalSystemRelationshipID()}, {"name", d.m_relName}};
    item["from"] = d.m_from.IsNull() ? nlohmann::json(nullptr) : ObjectJson(d.m_from);
    doc.push_back(std::move(item));
  }
  return doc;
}

int RunDeps(Context& ctx, const DepsOptions& o) {
  TypeID type = 0;
  if (!ParseTypeArgument(ctx, o.typeText, type)) return kExitUsage;
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  const Ref<ARpObject> obj = FindNamedObject(ctx, rp.get(), "deps", type, o.typeText, o.words);
  if (obj.IsNull()) return kExitFailed;
  std::vector<MetadataUtil::DeleteDescendant> found;
  MetadataUtil::GetDeleteDescendants(obj, found);
  if (o.bCount) {
    Emit(
        ctx, [&] { return nlohmann::json(found.size()); }, [&](std::ostream& out) { out << found.size() << "\n"; });
    return kExitDone;
  }
  Emit(
      ctx, [&] { return DepsJson(found); },
      [&](std::ostream& out) {
        for (const MetadataUtil::DeleteDescendant& d : found) {
          out << ToNarrow(MetadataUtil::GenerateQualifiedName(d.m_obj)) << '\t' << TypeLabel(d.m_obj->GetTypeID())
              << '\t' << ToNarrow(d.m_obj->GetID().ToString()) << '\t' << Reason(d) << '\n';
        }
      });
  return kExitDone;
}

RunFn DeclareDeps(CLI::App& cmd, Context& ctx) {
  auto o = std::make_shared<DepsOptions>();
  cmd.add_option("--type", o->typeText, "the object's type (TABLE, 3001, \"LOGICAL COLUMN\", ...)")
      ->type_name("TYPE")
      ->required();
  cmd.add_flag("--count", o->bCount, "print only how many objects would go along");
  cmd.add_option("QNAME", o->words, "its qualified name (\"A\".\"B\", or A.B, or one word a segment)")->required();
  AddFormatOption(cmd, ctx);
  return [o](Context& c) { return RunDeps(c, *o); };
}

SMUTIL_COMMAND("deps", "list what deleting an object would take along (nothing is deleted)", DeclareDeps);

}  // namespace
}  // namespace smutil_tool
