// smutil dict: where objects go in the metadata dictionary.
//
//   $ smutil dict '"Sales"."Orders"'
//   object      3001:7 TABLE (3001) "Sales".""."".""Orders"
//   tag         PhysicalTable
//   short name  PT
//   normalized  PT_Orders3F2504E0
//   path        Database/DB_Sales1A2B3C4D/PT_Orders3F2504E0.xml
//   url         liverpd/Database/DB_Sales1A2B3C4D/PT_Orders3F2504E0.xml
//
//   $ smutil dict            # every object, one tab-separated line each:
//   3023:1	Database	DB	DB_Sales1A2B3C4D	Database/DB_Sales1A2B3C4D.xml	liverpd/Database/...
//
// The listing is written object by object, types in the order the
// repository first had them, so it starts at once and stays small in memory
// for repositories of millions of objects. Objects of types the dictionary
// does not document show empty tag and short name, as the dictionary
// helpers give them.
#include <ostream>
#include <string>

#include "Commands.h"
#include "Metadata/SMDictUtil.h"
#include "ObjectArgs.h"
#include "RepoLoad.h"

namespace smutil_tool {
namespace {

constexpr const char* kUsage = "dict [--type TYPE] [QNAME | TYPE:NUMBER]";

void PrintOne(Context& ctx, ARpGateway* rp, const Ref<ARpObject>& obj) {
  DictUniqueNamesCache cache;
  ctx.out << "object      " << DescribeObject(obj) << "\n"
          << "tag         " << ToNarrow(MetadataDictUtil::GetTagName(obj)) << "\n"
          << "short name  " << ToNarrow(MetadataDictUtil::GetShortTypeName(obj)) << "\n"
          << "normalized  " << ToNarrow(MetadataDictUtil::GetDictNormalizedName(obj, cache)) << "\n"
          << "path        " << ToNarrow(MetadataDictUtil::GetDictRelativePath(obj, cache)) << "\n"
          << "url         " << ToNarrow(MetadataDictUtil::GetDictRelativeUrl(rp, obj, cache)) << "\n";
}

int PrintAll(Context& ctx, ARpGateway* rp) {
  DictUniqueNamesCache cache;
  // One base for every URL, so a repository missing from the configuration
  // is reported once rather than once per object.
  const std::string base = ToNarrow(MetadataDictUtil::GetDictUrlBase(rp)) + ToNarrow(MetadataDict::URL_SEP);
  const TypeIDVector types = rp->GetKnownTypes();
  VoidIDVector ids;
  std::string line;
  for (TypeID type : types) {
    ids.clear();
    rp->GetObjectIDsOfType(type, ids);
    for (const VoidID& id : ids) {
      const Ref<ARpObject> obj = rp->GetObject(id);
      if (obj.IsNull()) continue;
      const std::string path = ToNarrow(MetadataDictUtil::GetDictRelativePath(obj, cache));
      line.clear();
      line += ToNarrow(id.ToString());
      line += '\t';
      line += ToNarrow(MetadataDictUtil::GetTagName(obj));
      line += '\t';
      line += ToNarrow(MetadataDictUtil::GetShortTypeName(obj));
      line += '\t';
      line += ToNarrow(MetadataDictUtil::GetDictNormalizedName(obj, cache));
      line += '\t';
      line += path;
      line += '\t';
      line += base;
      line += path;
      line += '\n';
      ctx.out << line;
    }
  }
  ctx.out.flush();
  return ctx.out ? 0 : 1;
}

int RunDict(Context& ctx) {
  std::string typeText, name;
  for (std::size_t i = 0; i < ctx.args.size(); ++i) {
    if (ctx.args[i] == "--type" && i + 1 < ctx.args.size()) {
      typeText = ctx.args[++i];
    } else if (name.empty() && ctx.args[i].rfind("--", 0) != 0) {
      name = ctx.args[i];
    } else {
      ctx.err << "smutil dict: unexpected argument '" << ctx.args[i] << "'\nusage: smutil " << kUsage << "\n";
      return 2;
    }
  }
  if (!typeText.empty() && name.empty()) {
    ctx.err << "smutil dict: --type needs a name\nusage: smutil " << kUsage << "\n";
    return 2;
  }
  TypeID type = 0;
  if (!typeText.empty() && !ParseTypeArgument(ctx, typeText, type)) return 2;
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return 1;
  if (name.empty()) return PrintAll(ctx, rp.get());

  const RpObjectVector found = FindObjectsFromArgument(rp.get(), name, type);
  if (found.empty()) {
    ctx.err << "smutil dict: nothing named " << name << (type ? " of type " + TypeLabel(type) : std::string()) << " in "
            << ctx.repoPath << "\n  names are matched exactly; list them with: smutil names --type TYPE\n";
    return 1;
  }
  // A name shared by objects of several types gives each of them: each has a
  // document of its own.
  for (std::size_t i = 0; i < found.size(); ++i) {
    if (i) ctx.out << "\n";
    PrintOne(ctx, rp.get(), found[i]);
  }
  return 0;
}

SMUTIL_COMMAND("dict", kUsage,
               "metadata dictionary tag, short name, file name, path and URL of one object, or of every object",
               RunDict);

}  // namespace
}  // namespace smutil_tool
