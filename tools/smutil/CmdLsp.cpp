// smutil lsp: the language server for logical SQL on standard input and
// output, for an editor to start.
//
//   $ smutil lsp --repo samples/sample.rpd.xml --user anna.berg --lang de
//
// The repository (--repo, SMUTIL_REPO or the configuration's) is loaded
// once; a save of it in the editor, or a change the editor's file watcher
// reports, reloads it. Exit 0 after the client's shutdown and exit, 1 when
// the input ends without them, 3 when the repository or the bundle store
// cannot be read or the user is not in the repository.
#include <CLI/CLI.hpp>
#include <sstream>

#include "Commands.h"
#include "DisplayNames.h"
#include "Lsp/LanguageServer.h"
#include "Output.h"
#include "RepoLoad.h"

namespace smutil_tool {
namespace {

struct LspOptions {
  std::string user, lang, bundles;
};

int RunLsp(Context& ctx, const LspOptions& o) {
  if (const std::string& broken = FindDefaultRepository().configError; !broken.empty()) {
    WriteError(ctx.err, "lsp", "cannot read the system configuration " + broken);
    return kExitIO;
  }
  smutil_lsp::ServerOptions options;
  options.repoPath = ctx.repoPath;
  options.user = ToVXString(o.user);
  options.prepareSession = [o](ARpGateway* rp, std::string& why) {
    std::ostringstream messages;
    Context quiet{std::string(), OutputFormat::kText, messages, messages};
    if (PrepareDisplaySession(quiet, rp, o.lang, o.bundles)) return true;
    why = messages.str();
    if (why.rfind("smutil: ", 0) == 0) why.erase(0, 8);  // said again after "smutil lsp: "
    while (!why.empty() && why.back() == '\n') why.pop_back();
    return false;
  };
  smutil_lsp::LanguageServer server(options, smutil_lsp::FdSink(1));
  std::string why;
  if (!server.LoadRepository(why)) {
    WriteError(ctx.err, "lsp", why);
    return kExitIO;
  }
  // Nothing else may write to standard output from here on: it carries the protocol.
  ctx.out.flush();
  return smutil_lsp::RunStdio(server, 0);
}

RunFn DeclareLsp(CLI::App& cmd, Context&) {
  auto o = std::make_shared<LspOptions>();
  cmd.add_option("--user", o->user, "read as this user of the repository (its read denials apply)")->type_name("USER");
  AddDisplayOptions(cmd, o->lang, o->bundles);
  return [o](Context& c) { return RunLsp(c, *o); };
}

SMUTIL_COMMAND("lsp", "serve logical SQL to an editor (Language Server Protocol over standard input and output)",
               DeclareLsp);

}  // namespace
}  // namespace smutil_tool
