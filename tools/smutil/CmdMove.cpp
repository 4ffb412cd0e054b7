// smutil move: moves an object under a new parent and prints its new
// qualified name; with --save the changed repository is written to another
// file (never over the one read).
//
//   $ smutil move --type "CUBE COLUMN" '"Sales OLAP"."SalesCubes".."Sales"."Units"'
//         --to-type "CUBE TABLE" '"Sales OLAP"."SalesCubes".."Returns"' --save moved.rpd.xml
//   "Sales OLAP"."SalesCubes".."Returns"."Units"
//
// A parent that the object's type does not take is refused with the types it
// does take (exit 1). One QNAME word may be an id ("3003:12") or a written
// qualified name; several words are the segments themselves.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "FileArgs.h"
#include "Metadata/SMUtil.h"
#include "ObjectArgs.h"
#include "Output.h"
#include "RepoLoad.h"
#include "RepoNameArgs.h"
#include "Utility/VXAssert.h"
#include "objectmodel/RpFile.h"

namespace smutil_tool {
namespace {

struct MoveOptions {
  std::string typeText;
  std::vector<std::string> words;
  std::vector<std::string> to;  // TYPE, then the parent's QNAME words
  std::string saveAs;
};

// "TABLE (3001), CUBE TABLE (3039)".
std::string TypeList(const std::vector<TypeID>& types) {
  std::string text;
  for (TypeID t : types) text += (text.empty() ? "" : ", ") + TypeLabel(t);
  return text;
}

nlohmann::json MovedJson(const Ref<ARpObject>& obj) {
  nlohmann::json doc = ObjectJson(obj);
  const Ref<ARpObject> parent = MetadataUtil::GetParent(obj);
  doc["parent"] = parent.IsNull() ? nlohmann::json(nullptr) : ObjectJson(parent);
  return doc;
}

int RunMove(Context& ctx, const MoveOptions& o) {
  TypeID type = 0, toType = 0;
  if (!ParseTypeArgument(ctx, o.typeText, type) || !ParseTypeArgument(ctx, o.to[0], toType)) return kExitUsage;
  if (!CheckNotAnInput(ctx, "move", o.saveAs, {ctx.repoPath})) return kExitUsage;
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  const Ref<ARpObject> obj = FindNamedObject(ctx, rp.get(), "move", type, o.typeText, o.words);
  if (obj.IsNull()) return kExitFailed;
  const Ref<ARpObject> parent =
      FindNamedObject(ctx, rp.get(), "move", toType, o.to[0], std::vector<std::string>(o.to.begin() + 1, o.to.end()));
  if (parent.IsNull()) return kExitFailed;

  // The library's own move rules say which parents the type takes.
  std::vector<TypeID> allowed;
  MetadataUtil::GetNewParentTypes(obj->GetTypeID(), allowed);
  if (allowed.empty()) {
    WriteError(ctx.err, "move", "a " + TypeLabel(obj->GetTypeID()) + " has no parent and cannot be moved");
    return kExitFailed;
  }
  if (std::find(allowed.begin(), allowed.end(), parent->GetTypeID()) == allowed.end()) {
    WriteError(ctx.err, "move",
               "a " + TypeLabel(obj->GetTypeID()) + " cannot be moved under a " + TypeLabel(parent->GetTypeID()) +
                   "; it can be moved under: " + TypeList(allowed));
    return kExitFailed;
  }
  try {
    MetadataUtil::SetParent(obj, parent);
  } catch (const VXAssertException& e) {
    WriteError(ctx.err, "move",
               "cannot move " + DescribeObject(obj) + " under " + DescribeObject(parent) + ": " + e.GetCondition());
    return kExitFailed;
  }
  if (!o.saveAs.empty() && !SaveRepository(ctx, "move", *rp, o.saveAs)) return kExitIO;
  Context status{ctx.repoPath, ctx.format, StatusOf(ctx, o.saveAs), ctx.err};
  Emit(
      status, [&] { return MovedJson(obj); },
      [&](std::ostream& out) { out << ToNarrow(MetadataUtil::GenerateQualifiedName(obj)) << "\n"; });
  return kExitDone;
}

RunFn DeclareMove(CLI::App& cmd, Context& ctx) {
  auto o = std::make_shared<MoveOptions>();
  cmd.add_option("--type", o->typeText, "the type of the object to move (COLUMN, 3003, \"LOGICAL TABLE\", ...)")
      ->type_name("TYPE")
      ->required();
  cmd.add_option("QNAME", o->words, "its qualified name (\"A\".\"B\", A.B, an id, or one word a segment)")->required();
  cmd.add_option("--to-type", o->to, "the new parent's type, then its qualified name")
      ->type_name("TYPE QNAME...")
      ->expected(2, CLI::detail::expected_max_vector_size)
      ->required();
  cmd.add_option("--save", o->saveAs,
                 "write the changed repository to this file (not the one read; - for standard output)")
      ->type_name("OUT");
  AddFormatOption(cmd, ctx);
  return [o](Context& c) { return RunMove(c, *o); };
}

SMUTIL_COMMAND("move", "move an object under a new parent (and save the result with --save)", DeclareMove);

}  // namespace
}  // namespace smutil_tool
