// Navigating the presentation layer: where a presentation level drills to,
// a presentation column's siblings, and what a project holds.
//
//   $ smutil drill --type "PRESENTATION LEVEL" '"Sales Analysis".."Customers"."Customer"."Country"'
//   "Sales Analysis".."Customers"."Customer"."Customer"	4030:3
//   "Sales Analysis".."Customers"."Customer"."Region"	4030:2
//   $ smutil siblings '"Sales Analysis".."Time"."Month"'
//   "Sales Analysis".."Time"."Date"	4010:17
//   "Sales Analysis".."Time"."Month"	4010:18
//   "Sales Analysis".."Time"."Year"	4010:19
//   $ smutil project "Sales Reporting"
//   catalog	"Sales Analysis"	4004:1
//   table	"Sales Analysis".."Orders"	4008:1
//   ...
//
// drill follows the preferred drill-down of the level's logical level and
// names, for each level on it, the presentation level in the same
// presentation table as the given level's hierarchy, or else the first one
// that shows it. siblings lists every presentation column of the column's
// table in the table's order, the column itself among them. project splits
// the project's included (with --excluded: excluded) objects into subject
// areas, tables, columns, hierarchies and levels; objects of other kinds
// are left out. The object is named by its qualified name ("A"."B", A.B, or
// one word a segment) or its id; --format json prints arrays of
// {"id","type","typeName","name","qualifiedName"} (for project, one array
// per kind). An object that is not there exits 1; an empty drill path or
// project is not an error (exit 0, a note on stderr).
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "Commands.h"
#include "Metadata/SMUtil.h"
#include "ObjectArgs.h"
#include "Output.h"
#include "RepoLoad.h"
#include "RepoNameArgs.h"
#include "objectmodel/TypeIDs.h"

namespace smutil_tool {
namespace {

struct NavigateOptions {
  std::string typeText;
  std::vector<std::string> words;
  bool bExcluded = false;
};

// The type given with --type, which must be the command's own.
bool CheckType(Context& ctx, const char* command, const std::string& typeText, TypeID required) {
  TypeID type = 0;
  if (!ParseTypeArgument(ctx, typeText, type)) return false;
  if (type != required) {
    WriteError(ctx.err, command, "works on a " + TypeLabel(required) + ", not a " + TypeLabel(type));
    return false;
  }
  return true;
}

void EmitObjects(Context& ctx, const RpObjectVector& objects) {
  Emit(
      ctx,
      [&] {
        nlohmann::json doc = nlohmann::json::array();
        for (const Ref<ARpObject>& o : objects) doc.push_back(ObjectJson(o));
        return doc;
      },
      [&](std::ostream& out) {
        for (const Ref<ARpObject>& o : objects) {
          out << ToNarrow(MetadataUtil::GenerateQualifiedName(o)) << '\t' << ToNarrow(o->GetID().ToString()) << '\n';
        }
      });
}

int RunDrill(Context& ctx, const NavigateOptions& o) {
  if (!CheckType(ctx, "drill", o.typeText, kTIDAPresentationLevel)) return kExitUsage;
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  Ref<APresentationLevel> level =
      FindNamedObject(ctx, rp.get(), "drill", kTIDAPresentationLevel, TypeName(kTIDAPresentationLevel), o.words);
  if (level.IsNull()) return kExitFailed;
  RpObjectVector drillTo;
  MetadataUtil::GetDrillToLevelsByPreferredDrillPath(level, drillTo);
  EmitObjects(ctx, drillTo);
  if (drillTo.empty()) {
    const std::string name = ToNarrow(MetadataUtil::GenerateQualifiedName(level));
    Ref<ALevel> logical = level->GetLogicalLevel();
    if (logical.IsNull()) {
      WriteError(ctx.err, "drill", name + " stands for no logical level, so it has no drill path");
    } else {
      WriteError(ctx.err, "drill",
                 "the preferred drill-down of " + ToNarrow(MetadataUtil::GenerateQualifiedName(logical)) +
                     " leads to no presentation level");
    }
  }
  return kExitDone;
}

int RunSiblings(Context& ctx, const NavigateOptions& o) {
  if (!CheckType(ctx, "siblings", o.typeText, kTIDAFolderAttr)) return kExitUsage;
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  Ref<AFolderAttr> column =
      FindNamedObject(ctx, rp.get(), "siblings", kTIDAFolderAttr, TypeName(kTIDAFolderAttr), o.words);
  if (column.IsNull()) return kExitFailed;
  RpObjectVector columns;
  MetadataUtil::CollectSelfAndSiblingObjects(column, columns);
  EmitObjects(ctx, columns);
  return kExitDone;
}

int RunProject(Context& ctx, const NavigateOptions& o) {
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  Ref<AProject> project = FindNamedObject(ctx, rp.get(), "project", kTIDAProject, TypeName(kTIDAProject), o.words);
  if (project.IsNull()) return kExitFailed;
  RpObjectVector kinds[5];
  if (o.bExcluded) {
    MetadataUtil::SplitProjectExcludedPresentationObjects(project, kinds[0], kinds[1], kinds[2], kinds[3], kinds[4]);
  } else {
    MetadataUtil::SplitProjectIncludedPresentationObjects(project, kinds[0], kinds[1], kinds[2], kinds[3], kinds[4]);
  }
  static const char* const kKindNames[5] = {"catalog", "table", "column", "hierarchy", "level"};
  static const char* const kKindLists[5] = {"catalogs", "tables", "columns", "hierarchies", "levels"};
  Emit(
      ctx,
      [&] {
        nlohmann::json doc = nlohmann::json::object();
        for (int k = 0; k < 5; ++k) {
          nlohmann::json& list = doc[kKindLists[k]] = nlohmann::json::array();
          for (const Ref<ARpObject>& obj : kinds[k]) list.push_back(ObjectJson(obj));
        }
        return doc;
      },
      [&](std::ostream& out) {
        for (int k = 0; k < 5; ++k) {
          for (const Ref<ARpObject>& obj : kinds[k]) {
            out << kKindNames[k] << '\t' << ToNarrow(MetadataUtil::GenerateQualifiedName(obj)) << '\t'
                << ToNarrow(obj->GetID().ToString()) << '\n';
          }
        }
      });
  bool bEmpty = true;
  for (const RpObjectVector& v : kinds) bEmpty = bEmpty && v.empty();
  if (bEmpty) {
    WriteError(ctx.err, "project",
               ToNarrow(project->GetName()) + (o.bExcluded ? " excludes" : " includes") + " no presentation object");
  }
  return kExitDone;
}

void AddNameOption(CLI::App& cmd, NavigateOptions& o, const char* what) {
  cmd.add_option("QNAME", o.words,
                 std::string(what) +
                     ": its id, or qualified name (\"A\".\"B\", or A.B, or one "
                     "word a segment)")
      ->required();
}

RunFn DeclareDrill(CLI::App& cmd, Context& ctx) {
  auto o = std::make_shared<NavigateOptions>();
  o->typeText = "PRESENTATION LEVEL";
  cmd.add_option("--type", o->typeText, "the object's type: PRESENTATION LEVEL (the default)")->type_name("TYPE");
  AddNameOption(cmd, *o, "the presentation level");
  AddFormatOption(cmd, ctx);
  return [o](Context& c) { return RunDrill(c, *o); };
}

RunFn DeclareSiblings(CLI::App& cmd, Context& ctx) {
  auto o = std::make_shared<NavigateOptions>();
  o->typeText = "PRESENTATION COLUMN";
  cmd.add_option("--type", o->typeText, "the object's type: PRESENTATION COLUMN (the default)")->type_name("TYPE");
  AddNameOption(cmd, *o, "the presentation column");
  AddFormatOption(cmd, ctx);
  return [o](Context& c) { return RunSiblings(c, *o); };
}

RunFn DeclareProject(CLI::App& cmd, Context& ctx) {
  auto o = std::make_shared<NavigateOptions>();
  cmd.add_flag("--excluded", o->bExcluded, "list the objects the project excludes instead");
  AddNameOption(cmd, *o, "the project");
  AddFormatOption(cmd, ctx);
  return [o](Context& c) { return RunProject(c, *o); };
}

SMUTIL_COMMAND("drill", "list the presentation levels a presentation level drills to (preferred drill path)",
               DeclareDrill);
SMUTIL_COMMAND("siblings", "list a presentation column and its siblings in their table's order", DeclareSiblings);
SMUTIL_COMMAND("project", "list a project's included (or excluded) presentation objects by kind", DeclareProject);

}  // namespace
}  // namespace smutil_tool
