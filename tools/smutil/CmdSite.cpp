// smutil site OUT_DIR: a static, browsable metadata dictionary of the
// repository, one page per object at its dictionary path.
//
//   $ smutil site out/site
//   259 pages, 37 pictures in out/site (333 files written, 0 unchanged); largest file 11 KB
//   $ smutil site out/site --changed-only --type "LOGICAL COLUMN" --lang fr
//   $ smutil site out/site --messages findings.json
//
// --messages FILE: consistency messages to show on their objects' pages, a
// JSON array of {"object": "3003:7", "messageId": 38009, "objects":
// ["3003:7", ...]} (the message text filled from the objects) or
// {"object": ..., "messageId": ..., "text": "..."} (a ready text).
#include <CLI/CLI.hpp>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>

#include "Commands.h"
#include "DisplayNames.h"
#include "Progress.h"
#include "RepoLoad.h"
#include "Site/SiteWriter.h"

namespace smutil_tool {
namespace {

struct SiteOptions {
  std::string outDir, lang, messagesFile;
  std::vector<std::string> typeTexts;
  bool bChangedOnly = false;
};

Ref<ARpObject> ObjectOfId(ARpGateway* rp, const nlohmann::json& text) {
  VoidID id;
  if (!text.is_string() || !VoidID::FromString(ToVXString(text.get<std::string>()), id)) return Ref<ARpObject>();
  return rp->GetObject(id);
}

// Reads --messages; false after saying on ctx.err what is wrong.
bool ReadMessages(Context& ctx, ARpGateway* rp, const std::string& file, smutil_site::ConsistencyMessageMap& map) {
  std::ifstream in(file);
  if (!in) {
    ctx.err << "smutil site: cannot read " << file << "\n";
    return false;
  }
  const nlohmann::json doc = nlohmann::json::parse(in, nullptr, false);
  if (doc.is_discarded() || !doc.is_array()) {
    ctx.err << "smutil site: " << file << " is not a JSON array of messages\n";
    return false;
  }
  for (std::size_t i = 0; i < doc.size(); ++i) {
    const nlohmann::json& m = doc[i];
    const Ref<ARpObject> main = m.is_object() && m.contains("object") ? ObjectOfId(rp, m["object"]) : Ref<ARpObject>();
    if (main.IsNull() || !m.contains("messageId") || !m["messageId"].is_number_integer()) {
      ctx.err << "smutil site: " << file << ": message " << i + 1
              << " needs \"object\" (an id of this repository, such as \"3003:7\") and \"messageId\"\n";
      return false;
    }
    const auto id = m["messageId"].get<MessageId>();
    if (m.contains("text") && m["text"].is_string()) {
      map[main.GetID()].emplace_back(id, main, ToVXString(m["text"].get<std::string>()));
      continue;
    }
    std::vector<Ref<ARpObject>> objects;
    if (m.contains("objects") && m["objects"].is_array()) {
      for (const nlohmann::json& o : m["objects"]) {
        const Ref<ARpObject> obj = ObjectOfId(rp, o);
        if (obj.IsNull()) {
          ctx.err << "smutil site: " << file << ": message " << i + 1 << " names an object that is not there\n";
          return false;
        }
        objects.push_back(obj);
      }
    }
    map[main.GetID()].emplace_back(id, main, objects);
  }
  return true;
}

int RunSite(Context& ctx, const SiteOptions& o) {
  smutil_site::SiteOptions options;
  for (const std::string& text : o.typeTexts) {
    TypeID type = 0;
    if (!ParseTypeArgument(ctx, text, type)) return kExitUsage;
    options.types.push_back(type);
  }
  std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
  if (!rp) return kExitIO;
  PrepareDisplaySession(rp.get(), o.lang);
  smutil_site::ConsistencyMessageMap messages;
  if (!o.messagesFile.empty()) {
    if (!ReadMessages(ctx, rp.get(), o.messagesFile, messages)) return kExitIO;
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
    ctx.err << "smutil site: " << e.what() << "\n";
    return kExitIO;
  }
  progress.Done();
  ctx.out << report.pages << " pages, " << report.pictures << " pictures in " << o.outDir << " (" << report.written
          << " files written, " << report.unchanged << " unchanged); largest file "
          << (report.largestFile + 1023) / 1024 << " KB\n";
  return kExitDone;
}

RunFn DeclareSite(CLI::App& cmd, Context&) {
  auto o = std::make_shared<SiteOptions>();
  cmd.add_option("OUT_DIR", o->outDir, "the directory to write the site into")->required();
  cmd.add_option("--type", o->typeTexts, "only objects of this type get pages (repeat for several)")
      ->type_name("TYPE")
      ->allow_extra_args(false);
  cmd.add_flag("--changed-only", o->bChangedOnly, "rewrite only files whose content changed since the last run");
  cmd.add_option("--messages", o->messagesFile, "consistency messages to show, a JSON array")->type_name("FILE");
  AddLangOption(cmd, o->lang);
  return [o](Context& c) { return RunSite(c, *o); };
}

SMUTIL_COMMAND("site", "write a browsable metadata dictionary: one HTML page per object, with pictures", DeclareSite);

}  // namespace
}  // namespace smutil_tool
