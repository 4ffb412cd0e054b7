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
#include <memory>
#include <ostream>
#include <string>

#include "Commands.h"
#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMUtil.h"
#include "RepoLoad.h"
#include "RepoNameArgs.h"
#include "Utility/DataBlobUtil.h"

namespace smutil_tool {
namespace {

constexpr const char* kUsage = "find [--flexible] [--aliases] [--through-bytes] --type TYPE [--type TYPE...] NAME...";

void PrintUsage(Context& ctx) {
  ctx.err << "usage: smutil " << kUsage << "\n"
          << "  lists the objects of the TYPEs whose name is NAME (written \"A\".\"B\", or A.B, or one word a\n"
          << "  segment, \"\" for an empty one); --flexible lets leading empty segments stand for any name\n";
}

std::unique_ptr<ACondition> MakeCondition(const TypeIDVector& types, const QualifiedName& name, bool bFlexible,
                                          bool bAliases) {
  if (bFlexible) return std::make_unique<FlexibleNamedInterfaceTypeCondition>(types, name, bAliases);
  // The object's own name under its container's name: a single segment then
  // finds the object wherever it lives.
  QualifiedName parent(name.begin(), name.end() - 1);
  return std::make_unique<NamedInterfaceTypeCondition>(types, name.back(), parent, bAliases);
}

int RunFind(Context& ctx) {
  TypeIDVector types;
  bool bFlexible = false, bAliases = false, bThroughBytes = false;
  std::vector<std::string> words;
  for (std::size_t i = 0; i < ctx.args.size(); ++i) {
    const std::string& a = ctx.args[i];
    if (a == "--type") {
      if (i + 1 >= ctx.args.size()) {
        PrintUsage(ctx);
        return 2;
      }
      TypeID type = 0;
      if (!ParseTypeArgument(ctx, ctx.args[++i], type)) return 2;
      types.push_back(type);
    } else if (a == "--flexible") {
      bFlexible = true;
    } else if (a == "--aliases") {
      bAliases = true;
    } else if (a == "--through-bytes") {
      bThroughBytes = true;
    } else {
      words.push_back(a);
    }
  }
  if (types.empty() || words.empty()) {
    PrintUsage(ctx);
    return 2;
  }
  QualifiedName name;
  if (words.size() == 1) {
    name = QualifiedNameFromArgument(words[0]);
  } else {
    for (const std::string& w : words) name.push_back(ToVXString(w));
  }
  if (name.empty()) {
    ctx.err << "smutil find: the name \"" << words[0] << "\" has no segment\n";
    return 2;
  }

  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return 1;
  std::unique_ptr<ACondition> cond = MakeCondition(types, name, bFlexible, bAliases);
  if (bThroughBytes) {
    ByteVector bytes;
    ConditionRegistry::ToTaggedBytes(rp.get(), *cond, bytes);
    try {
      cond = ConditionRegistry::FromTaggedBytes(rp.get(), bytes.data(), bytes.data() + bytes.size());
    } catch (const BlobDecodeError& e) {
      ctx.err << "smutil find: the condition did not read back from its " << bytes.size() << " bytes: " << e.what()
              << "\n";
      return 1;
    }
  }

  VoidIDVector ids;
  rp->LookupObjects(*cond, ids);
  for (const VoidID& id : ids) {
    ctx.out << ToNarrow(MetadataUtil::GenerateQualifiedName(rp->GetObject(id))) << '\t' << ToNarrow(id.ToString())
            << '\n';
  }
  if (ids.empty()) {
    ctx.err << "smutil find: nothing of type";
    for (TypeID t : types) ctx.err << ' ' << TypeLabel(t);
    ctx.err << " matches " << ToNarrow(MetadataUtil::ToQualifiedName(name))
            << (bFlexible ? " (flexible)" : "") << " in " << ctx.repoPath << "\n";
    if (!bAliases) ctx.err << "  --aliases would accept former names too\n";
    return 1;
  }
  return 0;
}

SMUTIL_COMMAND("find", kUsage, "list the objects a named or flexible lookup condition accepts", RunFind);

}  // namespace
}  // namespace smutil_tool
