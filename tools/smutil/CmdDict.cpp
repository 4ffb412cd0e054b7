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
//   $ smutil dict --type TABLE   # every object of one type, the same way
//
// --format json prints an array with one element per object:
// {"id","type","typeName","name","qualifiedName","tag","shortName",
//  "normalizedName","path","url"}.
//
// The listing is written object by object, types in the order the
// repository first had them, so it starts at once and stays small in memory
// for repositories of millions of objects. Objects of types the dictionary
// does not document show empty tag and short name, as the dictionary
// helpers give them.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "Commands.h"
#include "Metadata/SMDictUtil.h"
#include "ObjectArgs.h"
#include "Output.h"
#include "Progress.h"
#include "RepoLoad.h"

namespace smutil_tool {
namespace {

struct DictOptions {
  std::string typeText, name;
};

// The dictionary's fields of one object, for text or JSON.
struct DictEntry {
  std::string tag, shortName, normalized, path, url;
};

DictEntry EntryOf(ARpGateway* rp, const Ref<ARpObject>& obj, DictUniqueNamesCache& cache, const std::string* base) {
  DictEntry e;
  e.tag = ToNarrow(MetadataDictUtil::GetTagName(obj));
  e.shortName = ToNarrow(MetadataDictUtil::GetShortTypeName(obj));
  e.normalized = ToNarrow(MetadataDictUtil::GetDictNormalizedName(obj, cache));
  e.path = ToNarrow(MetadataDictUtil::GetDictRelativePath(obj, cache));
  e.url = base ? *base + e.path : ToNarrow(MetadataDictUtil::GetDictRelativeUrl(rp, obj, cache));
  return e;
}

nlohmann::json EntryJson(const Ref<ARpObject>& obj, const DictEntry& e) {
  nlohmann::json doc = ObjectJson(obj);
  doc["tag"] = e.tag;
  doc["shortName"] = e.shortName;
  doc["normalizedName"] = e.normalized;
  doc["path"] = e.path;
  doc["url"] = e.url;
  return doc;
}

void PrintOne(Context& ctx, ARpGateway* rp, const Ref<ARpObject>& obj) {
  DictUniqueNamesCache cache;
  const DictEntry e = EntryOf(rp, obj, cache, nullptr);
  ctx.out << "object      " << DescribeObject(obj) << "\n"
          << "tag         " << e.tag << "\n"
          << "short name  " << ShortCodeExplained(obj) << "\n"
          << "normalized  " << e.normalized << "\n"
          << "path        " << e.path << "\n"
          << "url         " << e.url << "\n";
}

// Every object (type 0) or every object of one type, one line each (one
// array element with --format json), written as it is computed.
int PrintAll(Context& ctx, ARpGateway* rp, TypeID onlyType) {
  DictUniqueNamesCache cache;
  // One base for every URL, so a repository missing from the configuration
  // is reported once rather than once per object.
  const std::string base = ToNarrow(MetadataDictUtil::GetDictUrlBase(rp)) + ToNarrow(MetadataDict::URL_SEP);
  const bool bJson = ctx.format == OutputFormat::kJson;
  const TypeIDVector types = onlyType ? TypeIDVector{onlyType} : rp->GetKnownTypes();
  Progress progress(ctx, "dict");
  const std::uint64_t total = rp->GetObjectCount();
  std::uint64_t done = 0;
  VoidIDVector ids;
  std::string line;
  bool bFirst = true;
  if (bJson) ctx.out << '[';
  for (TypeID type : types) {
    ids.clear();
    rp->GetObjectIDsOfType(type, ids);
    for (const VoidID& id : ids) {
      progress.Count(++done, total);
      const Ref<ARpObject> obj = rp->GetObject(id);
      if (obj.IsNull()) continue;
      const DictEntry e = EntryOf(rp, obj, cache, &base);
      if (bJson) {
        ctx.out << (bFirst ? "\n" : ",\n") << DumpJson(EntryJson(obj, e));
        bFirst = false;
        continue;
      }
      line.clear();
      line += ToNarrow(id.ToString());
      for (const std::string* field : {&e.tag, &e.shortName, &e.normalized, &e.path, &e.url}) {
        line += '\t';
        line += *field;
      }
      line += '\n';
      ctx.out << line;
    }
  }
  progress.Done();
  if (bJson) ctx.out << "\n]\n";
  ctx.out.flush();
  return ctx.out ? kExitDone : kExitIO;
}

int RunDict(Context& ctx, const DictOptions& o) {
  TypeID type = 0;
  if (!o.typeText.empty() && !ParseTypeArgument(ctx, o.typeText, type)) return kExitUsage;
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  if (o.name.empty()) return PrintAll(ctx, rp.get(), type);

  const RpObjectVector found = FindObjectsFromArgument(rp.get(), o.name, type);
  if (found.empty()) {
    WriteError(
        ctx.err, "dict",
        "nothing named " + o.name + (type ? " of type " + TypeLabel(type) : std::string()) + " in " + ctx.repoPath,
        {"names are matched exactly; list them with: smutil names --type TYPE"});
    return kExitFailed;
  }
  // A name shared by objects of several types gives each of them: each has a
  // document of its own.
  if (ctx.format == OutputFormat::kJson) {
    nlohmann::json doc = nlohmann::json::array();
    for (const Ref<ARpObject>& obj : found) {
      DictUniqueNamesCache cache;
      doc.push_back(EntryJson(obj, EntryOf(rp.get(), obj, cache, nullptr)));
    }
    ctx.out << DumpJson(doc) << "\n";
    return kExitDone;
  }
  for (std::size_t i = 0; i < found.size(); ++i) {
    if (i) ctx.out << "\n";
    PrintOne(ctx, rp.get(), found[i]);
  }
  return kExitDone;
}

RunFn DeclareDict(CLI::App& cmd, Context& ctx) {
  auto o = std::make_shared<DictOptions>();
  cmd.add_option("--type", o->typeText, "only objects of this type")->type_name("TYPE");
  cmd.add_option("NAME", o->name, "one object, by qualified name or id (3001:7); without it, every object");
  AddFormatOption(cmd, ctx);
  // The listing shows the short codes bare; the help says what they stand for.
  std::string legend = "Short codes:";
  std::size_t width = legend.size();
  for (const TypeRelatedTuple* row = MetadataDictUtil::m_supportedTypes; row->m_typeID != 0; ++row) {
    std::string name = TypeName(row->m_typeID);
    if (name.empty()) name = ToNarrow(row->m_tagName);
    const std::string item = " " + ToNarrow(row->m_shortTypeName) + " " + name + ",";
    if (width + item.size() > 100) {
      legend += "\n ";
      width = 1;
    }
    legend += item;
    width += item.size();
  }
  legend.back() = '.';
  cmd.footer(legend);
  return [o](Context& c) { return RunDict(c, *o); };
}

SMUTIL_COMMAND("dict", "metadata dictionary tag, short name, file name, path and URL of one object, or of every object",
               DeclareDict);

}  // namespace
}  // namespace smutil_tool
