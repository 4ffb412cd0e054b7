// smutil: the command-line face of the metadata utilities.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <iostream>
#include <string>
#include <utility>

#include "Commands.h"
#include "Metadata/SMVersion.h"
#include "Utility/SUInstallDir.h"

namespace smutil_tool {

std::vector<Command>& CommandTable() {
  static std::vector<Command> table;
  return table;
}

std::string DefaultRepositoryPath() { return SUInstallDir::DataFile("sample.rpd.xml"); }

namespace {

constexpr const char* kFooter =
    "Without --repo, commands work on the sample repository installed with the tool.\n"
    "Exit codes: 0 done, 1 not found or failed, 2 bad usage.\n"
    "Run 'smutil help COMMAND' or 'smutil COMMAND --help' for one command.";

// The subcommand the command line chose, or null.
const CLI::App* Chosen(const CLI::App& app) {
  const auto subs = app.get_subcommands();
  return subs.empty() ? nullptr : subs.front();
}

// "--repo: 1 required FILE missing" (how CLI11 reports a missing value)
// becomes "option --repo needs a file".
std::string MissingValueMessage(const std::string& what) {
  const std::size_t colon = what.find(": ");
  const std::size_t req = what.find(" required ");
  const std::size_t miss = what.rfind(" missing");
  if (colon == std::string::npos || req == std::string::npos || miss == std::string::npos || miss < req) return what;
  std::string type = what.substr(req + 10, miss - req - 10);
  std::transform(type.begin(), type.end(), type.begin(), [](unsigned char c) { return std::tolower(c); });
  return "option " + what.substr(0, colon) + " needs " + (type.empty() ? std::string("a value") : "a " + type);
}

// One line naming what was wrong on the command line.
std::string UsageMessage(const CLI::App& app, const CLI::ParseError& e) {
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) return MissingValueMessage(e.what());
  // Arguments nothing took: CLI11 checks required options before them, but
  // "unknown option --bogus" says more than "TEXT is required".
  std::vector<std::string> extras = app.remaining();
  if (const CLI::App* sub = Chosen(app)) {
    const std::vector<std::string> more = sub->remaining();
    extras.insert(extras.begin(), more.begin(), more.end());
  }
  if (extras.empty()) return e.what();
  const std::string& first = extras.front();
  if (first.size() > 1 && first[0] == '-') return "unknown option '" + first + "'";
  if (!Chosen(app)) return "unknown command '" + first + "'";
  return "unexpected argument '" + first + "'";
}

}  // namespace
}  // namespace smutil_tool

int main(int argc, char** argv) {
  using namespace smutil_tool;
  Context ctx{DefaultRepositoryPath(), OutputFormat::kText, std::cout, std::cerr};

  CLI::App app{
      "smutil: qualified names, expressions, lookups, variables, messages and dictionary paths of a "
      "repository.",
      "smutil"};
  app.footer(kFooter);
  app.require_subcommand(0, 1);
  app.fallthrough();  // --repo may come after the command too
  app.set_version_flag("--version", std::string("smutil ") + SMUtilVersion(), "print the library version");
  app.add_option("--repo", ctx.repoPath, "the repository file (default: the installed sample)")->type_name("FILE");

  auto cmds = CommandTable();
  std::sort(cmds.begin(), cmds.end(), [](const Command& a, const Command& b) { return a.name < b.name; });
  std::vector<std::pair<CLI::App*, RunFn>> runs;
  for (const Command& c : cmds) {
    CLI::App* sub = app.add_subcommand(c.name, c.summary);
    runs.emplace_back(sub, c.declare(*sub, ctx));
  }
  std::string helpTopic;
  CLI::App* help = app.add_subcommand("help", "describe every command, or one");
  help->add_option("COMMAND", helpTopic, "the command to describe");
  CLI::App* version = app.add_subcommand("version", "print the library version");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    ctx.out << app.help();
    return kExitDone;
  } catch (const CLI::CallForVersion&) {
    ctx.out << "smutil " << SMUtilVersion() << "\n";
    return kExitDone;
  } catch (const CLI::ParseError& e) {
    const CLI::App* sub = Chosen(app);
    const std::string name = sub ? sub->get_name() : std::string();
    ctx.err << "smutil" << (sub ? " " + name : std::string()) << ": " << UsageMessage(app, e) << "\n"
            << "  run 'smutil help" << (sub ? " " + name : std::string()) << "' for the usage\n";
    return kExitUsage;
  }

  if (help->parsed()) {
    if (helpTopic.empty()) {
      // app.help() would describe the help command itself, the one chosen.
      ctx.out << app.get_formatter()->make_help(&app, "smutil", CLI::AppFormatMode::Normal);
      return kExitDone;
    }
    const CLI::App* topic = nullptr;
    for (const CLI::App* sub : app.get_subcommands({})) {
      if (sub->get_name() == helpTopic) topic = sub;
    }
    if (topic == nullptr) {
      ctx.err << "smutil help: unknown command '" << helpTopic << "'; run 'smutil help' for the list\n";
      return kExitUsage;
    }
    ctx.out << topic->help("smutil");
    return kExitDone;
  }
  if (version->parsed()) {
    ctx.out << "smutil " << SMUtilVersion() << "\n";
    return kExitDone;
  }
  for (const auto& [sub, run] : runs) {
    if (!sub->parsed()) continue;
    try {
      return run(ctx);
    } catch (const std::exception& e) {
      ctx.err << "smutil " << sub->get_name() << ": " << e.what() << "\n";
      return kExitFailed;
    }
  }
  ctx.err << app.get_formatter()->make_help(&app, "smutil", CLI::AppFormatMode::Normal);
  return kExitUsage;
}
