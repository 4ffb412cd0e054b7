// smutil site OUT_DIR: a static, browsable metadata dictionary of the
// repository, one page per object at its dictionary path.
//
//   $ smutil site out/site
//   259 pages, 37 pictures in out/site (333 files written, 0 unchanged); largest file 11 KB
//   $ smutil site out/site --changed-only --type "LOGICAL COLUMN" --lang fr
//   $ smutil site out/site --messages findings.json
//
// --messages FILE: consistency messages to show on their objects' pages,
// a findings file as check --format json writes it (see Findings.h).
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "Commands.h"
#include "DisplayNames.h"
#include "FileArgs.h"
#include "Findings.h"
#include "Output.h"
#include "Progress.h"
#include "RepoLoad.h"
#include "Site/SiteWriter.h"

namespace smutil_tool {
namespace {

struct SiteOptions {
  std::string outDir, lang, bundles, messagesFile;
  std::vector<std::string> typeTexts;
  bool bChangedOnly = false;
};

int RunSite(Context& ctx, const SiteOptions& o) {
  smutil_site::SiteOptions options;
  for (const std::string& text : o.typeTexts) {
    TypeID type = 0;
    if (!ParseTypeArgument(ctx, text, type)) return kExitUsage;
    options.types.push_back(type);
  }
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  if (!PrepareDisplaySession(ctx, rp.get(), o.lang, o.bundles)) return kExitIO;
  smutil_site::ConsistencyMessageMap messages;
  if (!o.messagesFile.empty()) {
    std::vector<ConsistencyMessage> found;
    std::string text, error;
    if (!ReadInput(ctx, "site", o.messagesFile, "findings file", text)) return kExitIO;
    if (!ReadFindingsJson(rp.get(), ShownInput(o.messagesFile), text, found, error)) {
      WriteError(ctx.err, "site", error);
      return kExitIO;
    }
    for (ConsistencyMessage& m : found) messages[m.GetMainObject().GetID()].push_back(std::move(m));
    options.messages = &messages;
  }
  options.outDir = o.outDir;
  options.bChangedOnly = o.bChangedOnly;
  Progress progress(ctx, "site");
  options.progress = [&progress](std::uint64_t done, std::uint64_t total) { progress.Count(done, total); };
  smutil_site::SiteReport report;
  try {
    report = smutil_site::WriteSite(rp.get(), options);
  } catch (const std::exception& e) {
    progress.Done();
    WriteError(ctx.err, "site", e.what());
    return kExitIO;
  }
  progress.Done();
  // Removals are named only when there were any: a first run has none.
  ctx.out << report.pages << " pages, " << report.pictures << " pictures in " << o.outDir << " (" << report.written
          << " files written, " << report.unchanged << " unchanged";
  if (report.removed) ctx.out << ", " << report.removed << " stale removed";
  if (report.keptStale) ctx.out << ", " << report.keptStale << " stale kept: changed since the site wrote them";
  ctx.out << "); largest file " << (report.largestFile + 1023) / 1024 << " KB\n";
  return kExitDone;
}

RunFn DeclareSite(CLI::App& cmd, Context&) {
  auto o = std::make_shared<SiteOptions>();
  cmd.add_option("OUT_DIR", o->outDir, "the directory to write the site into")->required();
  cmd.add_option("--type", o->typeTexts, "only objects of this type get pages (repeat for several)")
      ->type_name("TYPE")
      ->allow_extra_args(false);
  cmd.add_flag("--changed-only", o->bChangedOnly, "rewrite only files whose content changed since the last run");
  cmd.add_option("--messages", o->messagesFile,
                 "consistency messages to show: a findings file of check --format json (- for standard input)")
      ->type_name("FILE");
  AddDisplayOptions(cmd, o->lang, o->bundles);
  return [o](Context& c) { return RunSite(c, *o); };
}

SMUTIL_COMMAND("site", "write a browsable metadata dictionary: one HTML page per object, with pictures", DeclareSite);

}  // namespace
}  // namespace smutil_tool
