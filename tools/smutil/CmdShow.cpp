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
// (smutil show --type TABLE "Sales DW" dbo W_ORDERS_F).
#include <ostream>
#include <string>

#include "Commands.h"
#include "Metadata/SMUtil.h"
#include "RepoLoad.h"
#include "RepoNameArgs.h"
#include "objectmodel/Condition.h"

namespace smutil_tool {
namespace {

constexpr const char* kUsage = "show --type TYPE QNAME...";

std::string Describe(const Ref<ARpObject>& obj) {
  return TypeLabel(obj->GetTypeID()) + " " + ToNarrow(obj->GetID().ToString()) + "  " +
         ToNarrow(MetadataUtil::GenerateQualifiedName(obj));
}

int RunShow(Context& ctx) {
  std::string typeText;
  std::vector<std::string> words;
  for (std::size_t i = 0; i < ctx.args.size(); ++i) {
    if (ctx.args[i] == "--type" && i + 1 < ctx.args.size()) {
      typeText = ctx.args[++i];
    } else {
      words.push_back(ctx.args[i]);
    }
  }
  if (typeText.empty() || words.empty()) {
    ctx.err << "usage: smutil " << kUsage << "\n"
            << "  shows the object of TYPE named QNAME (written \"A\".\"B\", or A.B, or one word a segment)\n";
    return 2;
  }
  TypeID type = 0;
  if (!ParseTypeArgument(ctx, typeText, type)) return 2;
  QualifiedName qname;
  if (words.size() == 1) {
    qname = QualifiedNameFromArgument(words[0]);
  } else {
    for (const std::string& w : words) qname.push_back(ToVXString(w));
  }
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return 1;
  Ref<ARpObject> obj = MetadataUtil::GetRpObjectFromQualifiedName(rp.get(), type, qname);
  if (obj.IsNull()) {
    ctx.err << "smutil show: no " << TypeLabel(type) << " named " << ToNarrow(MetadataUtil::ToQualifiedName(qname))
            << " in " << ctx.repoPath << "\n";
    // Names compare exactly here; offer the objects whose last name matches
    // in another case or through a former name.
    VoidIDVector ids;
    if (!qname.empty()) rp->LookupObjects(TypedObjectNameCondition(type, qname.back(), true), ids);
    if (!ids.empty()) ctx.err << "  objects of that type with a similar last name:\n";
    for (std::size_t i = 0; i < ids.size() && i < 10; ++i) {
      ctx.err << "    " << ToNarrow(MetadataUtil::GenerateQualifiedName(rp->GetObject(ids[i]))) << "\n";
    }
    if (ids.empty()) ctx.err << "  list the names in use with: smutil names --type '" << typeText << "'\n";
    return 1;
  }
  ctx.out << "object   " << ToNarrow(MetadataUtil::GenerateQualifiedName(obj)) << "\n"
          << "id       " << ToNarrow(obj->GetID().ToString()) << "\n"
          << "type     " << TypeLabel(obj->GetTypeID()) << "\n";
  Ref<ARpObject> parent = MetadataUtil::GetParent(obj);
  ctx.out << "parent   " << (parent.IsNull() ? std::string("(none)") : Describe(parent)) << "\n";
  VXStringVector aliases;
  obj->GetAliases(aliases);
  ctx.out << "aliases  ";
  for (std::size_t i = 0; i < aliases.size(); ++i) ctx.out << (i ? ", " : "") << ToNarrow(aliases[i]);
  ctx.out << (aliases.empty() ? "(none)\n" : "\n");
  const std::vector<ARpObject*>& children = obj->GetChildPointers();
  ctx.out << "children " << children.size() << "\n";
  for (ARpObject* c : children) ctx.out << "  " << Describe(Ref<ARpObject>(c)) << "\n";
  return 0;
}

SMUTIL_COMMAND("show", kUsage, "show an object (qualified name, parent, aliases, children) by name and type", RunShow);

}  // namespace
}  // namespace smutil_tool
