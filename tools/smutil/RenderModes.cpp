#include "RenderModes.h"

#include <CLI/CLI.hpp>

#include "DisplayNames.h"
#include "Metadata/SMUtil.h"
#include "ObjectArgs.h"
#include "Output.h"
#include "RepoNameArgs.h"
#include "objectmodel/Condition.h"

namespace smutil_tool {

void AddRenderModeOptions(CLI::App& cmd, RenderModeOptions& o) {
  cmd.add_flag("--fully-qualified", o.bFullyQualified, "name every level");
  cmd.add_flag("--single-part", o.bSinglePart, "the object's own name only");
  cmd.add_flag("--by-id", o.bByID, "quoted ids instead of names");
  cmd.add_flag("--quotes", o.bQuotes, "quote every name part");
  cmd.add_flag("--display", o.bDisplay, "presentation objects by their custom display names (see --lang)");
  AddDisplayOptions(cmd, o.lang, o.bundles);
  CLI::Option* catalog =
      cmd.add_option("--catalog", o.catalog, "write references as presentation columns of this subject area")
          ->type_name("SUBJECT_AREA");
  CLI::Option* reparent =
      cmd.add_option("--reparent", o.reparent, "write the children of OLD_PARENT under the name given with --to")
          ->type_name("OLD_PARENT");
  CLI::Option* to = cmd.add_option("--to", o.newParent, "the new parent's qualified name (with --reparent)")
                        ->type_name("NEW_PARENT_NAME");
  CLI::Option* rename =
      cmd.add_option("--rename-db", o.renamedDbs, "write database OLD as NEW (repeatable)")->type_name("OLD=NEW");
  reparent->needs(to);
  to->needs(reparent);
  catalog->excludes(reparent)->excludes(rename);
  reparent->excludes(rename);
}

bool ModeNeedsRepository(const RenderModeOptions& o) {
  return !o.catalog.empty() || !o.reparent.empty() || !o.renamedDbs.empty();
}

bool ResolveRenderMode(Context& ctx, const std::string& command, ARpGateway* rp, const RenderModeOptions& o,
                       ResolvedRenderMode& resolved, bool& usage) {
  usage = false;
  resolved = ResolvedRenderMode();
  resolved.flags = ToPrettyStringVisitor::Options{.mandatoryDoubleQuotes = o.bQuotes,
                                                  .fullyQualified = o.bFullyQualified,
                                                  .singlePartName = o.bSinglePart,
                                                  .usingVoidID = o.bByID,
                                                  .customDisplayName = o.bDisplay};
  if ((o.bDisplay || !o.lang.empty() || !o.bundles.empty()) && !PrepareDisplaySession(ctx, rp, o.lang, o.bundles)) {
    return false;
  }
  // Each special mode fixes the naming flags itself; only the ones it takes
  // may be given with it.
  const bool bFlags = o.bQuotes || o.bFullyQualified || o.bSinglePart;
  if (ModeNeedsRepository(o) && bFlags) {
    WriteError(ctx.err, command,
               "--catalog, --reparent and --rename-db choose their own quoting and qualification; drop "
               "--quotes, --fully-qualified and --single-part");
    usage = true;
    return false;
  }
  if (!o.catalog.empty()) {
    if (o.bByID) {
      WriteError(ctx.err, command, "--catalog writes names, not ids; drop --by-id");
      usage = true;
      return false;
    }
    const Ref<ARpObject> catalog = FindNamedObject(ctx, rp, command, kTIDACatalogFolder, "SUBJECT AREA", {o.catalog});
    if (catalog.IsNull()) return false;
    resolved.kind = ResolvedRenderMode::kCatalog;
    resolved.catalog = Ref<ACatalogFolder>(catalog);
    return true;
  }
  if (o.bDisplay && (!o.reparent.empty() || !o.renamedDbs.empty())) {
    WriteError(ctx.err, command, "--display goes with the plain modes and --catalog only");
    usage = true;
    return false;
  }
  if (!o.reparent.empty()) {
    const RpObjectVector found = FindObjectsFromArgument(rp, o.reparent);
    if (found.size() != 1) {
      WriteError(ctx.err, command,
                 std::string(found.empty() ? "no object" : "several objects") + " named " + o.reparent + " in " +
                     ctx.repoPath + " (give its id to choose)");
      return false;
    }
    resolved.kind = ResolvedRenderMode::kReparent;
    resolved.oldParent = found.front();
    resolved.newParent = QualifiedNameFromArgument(o.newParent);
    return true;
  }
  if (!o.renamedDbs.empty()) {
    for (const std::string& pair : o.renamedDbs) {
      const std::size_t eq = pair.find('=');
      if (eq == 0 || eq == std::string::npos || eq + 1 == pair.size()) {
        WriteError(ctx.err, command, "--rename-db wants OLD=NEW, not '" + pair + "'");
        usage = true;
        return false;
      }
      resolved.dbNames[ToVXString(pair.substr(0, eq))] = ToVXString(pair.substr(eq + 1));
    }
    resolved.kind = ResolvedRenderMode::kRenameDb;
  }
  return true;
}

std::optional<RpProp> ExpressionPropertyOf(Context& ctx, const std::string& command, const Ref<ARpObject>& obj) {
  const std::optional<RpProp> key = ExpressionPropertyOfType(obj->GetTypeID());
  if (!key) {
    WriteError(ctx.err, command,
               DescribeObject(obj) + " holds no expression; use a LOGICAL COLUMN, JOIN or RP VARIABLE");
  }
  return key;
}

namespace {

// The one object of the type whose own name is name, exactly; null when
// none or several have it.
Ref<ARpObject> UniqueByOwnName(ARpGateway* rp, TypeID type, const VXString& name) {
  VoidIDVector ids;
  rp->LookupObjects(TypedObjectNameCondition(type, name, false), ids);
  Ref<ARpObject> found;
  for (const VoidID& id : ids) {
    Ref<ARpObject> obj = rp->GetObject(id);
    if (obj.IsNull() || obj->GetName() != name) continue;
    if (!found.IsNull()) return Ref<ARpObject>();
    found = obj;
  }
  return found;
}

}  // namespace

Ref<ARpObject> FindExpressionObject(Context& ctx, const std::string& command, ARpGateway* rp, TypeID type,
                                    const std::string& typeText, const std::vector<std::string>& words) {
  RpObjectVector found;
  QualifiedName qname;
  if (words.size() == 1) {
    found = FindObjectsFromArgument(rp, words[0], type);
    qname = QualifiedNameFromArgument(words[0]);
  } else {
    for (const std::string& w : words) qname.push_back(ToVXString(w));
    Ref<ARpObject> obj = MetadataUtil::GetRpObjectFromQualifiedName(rp, type, qname);
    if (!obj.IsNull()) found.push_back(obj);
  }
  if (found.empty() && qname.size() == 1) {
    Ref<ARpObject> obj = UniqueByOwnName(rp, type, qname.front());
    if (!obj.IsNull()) found.push_back(obj);
  }
  if (found.empty()) {
    std::string text = "no " + TypeLabel(type) + " named";
    for (const std::string& w : words) text += " " + w;
    WriteError(ctx.err, command, text + " in " + ctx.repoPath);
    ExplainSimilarNames(ctx, rp, type, qname, typeText);
    return Ref<ARpObject>();
  }
  return found.front();
}

}  // namespace smutil_tool
