// smutil externalize: switches the display names (and with --descriptions
// the descriptions) of presentation objects to their generated
// session-variable references, prints the state of the selection before and
// after, and writes the changed repository to --save.
//
//   $ smutil externalize --type "PRESENTATION COLUMN" '"Ledger"."Balances"."Cost Center"' --kex --save out.rpd.xml
//   1 object
//   display names: before 16 (off), after 4 (KEX)
//   saved out.rpd.xml
//
// A text written by hand is never lost: a plain one becomes the default
// value of its reference's session variable (created in the repository, and
// listed as "kept"); one that refers to variables itself is left as it was,
// and the object is named on stderr as skipped.
//
// Without QNAME every object of --type is chosen, without --type every
// presentation object (subject areas, presentation tables, columns,
// hierarchies, levels, customer types). --kex names the variables after the
// KEX physical column or table behind an object where there is one.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "FileArgs.h"
#include "Metadata/SMExternalizationUtil.h"
#include "ObjectArgs.h"
#include "Output.h"
#include "RepoLoad.h"
#include "Translations/Translations.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/TypeIDs.h"

namespace smutil_tool {
namespace {

using EU = ExternalizationUtil;

struct ExternalizeOptions {
  bool bKex = false;
  bool bDescriptions = false;
  std::string typeText;
  std::vector<std::string> names;
  std::string saveAs;
};

// "2|16 (default, off)"; "0 (none)" for a selection without such objects.
std::string StateText(unsigned state) {
  if (state == 0) return "0 (none)";
  std::string words;
  const std::pair<unsigned, const char*> bits[] = {
      {EU::kStateDefault, "default"}, {EU::kStateKEX, "KEX"}, {EU::kStateCustom, "custom"}, {EU::kStateOff, "off"}};
  std::string numbers;
  for (auto [bit, word] : bits) {
    if (!(state & bit)) continue;
    numbers += (numbers.empty() ? "" : "|") + std::to_string(bit);
    words += (words.empty() ? "" : ", ") + std::string(word);
  }
  return numbers + " (" + words + ")";
}

nlohmann::json StateJson(unsigned before, unsigned after) {
  return {{"before", before},
          {"after", after},
          {"beforeOn", EU::IsDisplayNameStateOn(before)},
          {"afterOn", EU::IsDisplayNameStateOn(after)}};
}

// The chosen objects; false after saying why on ctx.err.
bool ChooseObjects(Context& ctx, ARpGateway* rp, const ExternalizeOptions& o, RpObjectVector& objects) {
  TypeID type = 0;
  if (!o.typeText.empty()) {
    if (!ParseTypeArgument(ctx, o.typeText, type)) return false;
    bool bPresentation = false;
    for (TypeID t : {kTIDACatalogFolder, kTIDAEntityFolder, kTIDAFolderAttr, kTIDAPresentationHierarchy,
                     kTIDAPresentationLevel, kTIDAMktg_CustomerType}) {
      bPresentation = bPresentation || t == type;
    }
    if (!bPresentation) {
      WriteError(ctx.err, "externalize", "objects of type " + TypeLabel(type) + " have no display name");
      return false;
    }
  } else if (!o.names.empty()) {
    WriteError(ctx.err, "externalize", "give --type TYPE with the objects' names");
    return false;
  }
  if (o.names.empty()) {
    for (const Ref<ARpObject>& obj : smutil_translations::PresentationObjects(rp)) {
      if (type == 0 || obj->GetTypeID() == type) objects.push_back(obj);
    }
  } else {
    for (const std::string& name : o.names) {
      Ref<ARpObject> obj = FindNamedObject(ctx, rp, "externalize", type, o.typeText, {name});
      if (obj.IsNull()) return false;
      objects.push_back(obj);
    }
  }
  if (objects.empty()) {
    WriteError(ctx.err, "externalize",
               "no " + (type ? TypeLabel(type) : std::string("presentation object")) + " in " + ctx.repoPath);
    return false;
  }
  return true;
}

int RunExternalize(Context& ctx, const ExternalizeOptions& o) {
  if (!CheckNotAnInput(ctx, "externalize", o.saveAs, {ctx.repoPath})) return kExitUsage;
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  RpObjectVector objects;
  if (!ChooseObjects(ctx, rp.get(), o, objects)) return kExitFailed;
  const unsigned namesBefore = EU::GetDisplayNameState(objects);
  const unsigned descriptionsBefore = EU::GetCustomDescriptionState(objects);
  const smutil_translations::ExternalizeResult result =
      smutil_translations::Externalize(rp.get(), objects, o.bDescriptions, o.bKex);
  const unsigned namesAfter = EU::GetDisplayNameState(objects);
  const unsigned descriptionsAfter = EU::GetCustomDescriptionState(objects);
  if (!SaveRepository(ctx, "externalize", *rp, o.saveAs)) return kExitIO;
  Context status{ctx.repoPath, ctx.format, StatusOf(ctx, o.saveAs), ctx.err};
  Emit(
      status,
      [&] {
        nlohmann::json doc = {
            {"objects", objects.size()}, {"kex", o.bKex},       {"displayNames", StateJson(namesBefore, namesAfter)},
            {"saved", o.saveAs},         {"kept", result.kept}, {"skipped", result.skipped}};
        if (o.bDescriptions) doc["descriptions"] = StateJson(descriptionsBefore, descriptionsAfter);
        return doc;
      },
      [&](std::ostream& out) {
        out << objects.size() << (objects.size() == 1 ? " object" : " objects") << "\n";
        out << "display names: before " << StateText(namesBefore) << ", after " << StateText(namesAfter) << "\n";
        if (o.bDescriptions) {
          out << "descriptions: before " << StateText(descriptionsBefore) << ", after " << StateText(descriptionsAfter)
              << "\n";
        }
        for (const std::string& line : result.kept) out << "kept " << line << "\n";
        out << "saved " << ShownOutput(o.saveAs) << "\n";
      });
  for (const std::string& line : result.skipped) WriteError(ctx.err, "externalize", "skipped " + line);
  return kExitDone;
}

RunFn DeclareExternalize(CLI::App& cmd, Context& ctx) {
  auto o = std::make_shared<ExternalizeOptions>();
  cmd.add_flag("--kex", o->bKex, "name the variables after the KEX physical column or table where there is one");
  cmd.add_flag("--descriptions", o->bDescriptions, "externalize the descriptions too");
  cmd.add_option("--type", o->typeText, "the type of the objects (\"PRESENTATION COLUMN\", 4010, ...)")
      ->type_name("TYPE");
  cmd.add_option("QNAME", o->names, "an object of --type, one argument each (\"A\".\"B\" or an id)");
  cmd.add_option("--save", o->saveAs,
                 "write the changed repository to this file (not the one read; - for standard output)")
      ->type_name("OUT")
      ->required();
  AddFormatOption(cmd, ctx);
  return [o](Context& c) { return RunExternalize(c, *o); };
}

SMUTIL_COMMAND("externalize", "switch display names (and descriptions) to generated session-variable references",
               DeclareExternalize);

}  // namespace
}  // namespace smutil_tool
