// smutil: the command-line face of the metadata utilities.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <utility>

#include "Commands.h"
#include "Metadata/SMVersion.h"
#include "Output.h"
#include "Utility/SUInstallDir.h"
#include "Utility/SUSystemConfig.h"
#include "Utility/VXString.h"

namespace smutil_tool {

std::vector<Command>& CommandTable() {
  static std::vector<Command> table;
  return table;
}

namespace {

DefaultRepository WorkOutDefaultRepository() {
  const std::string sample = SUInstallDir::DataFile("sample.rpd.xml");
  if (const char* env = std::getenv("SMUTIL_REPO"); env && *env) {
    return {env, "the environment variable SMUTIL_REPO", std::string()};
  }
  try {
    const std::shared_ptr<const SUSystemConfig> config = SUSystemConfig::GetSystemConfig();
    if (!config->GetRepositoryPaths().empty()) {
      return {ToNarrow(config->GetRepositoryPaths().front()),
              "the first repository of the configuration file " + SUSystemConfig::DefaultConfigFile(), std::string()};
    }
  } catch (const SystemConfigError& e) {
    return {sample, "the installed sample", e.what()};  // what() names the file and line
  }
  return {sample, "the installed sample", std::string()};
}

}  // namespace

const DefaultRepository& FindDefaultRepository() {
  static const DefaultRepository repository = WorkOutDefaultRepository();
  return repository;
}

namespace {

constexpr const char* kExitCodes =
    "Exit codes: 0 done (nothing found wrong), 1 findings or not found, 2 bad usage,\n"
    "3 an input could not be read or an output could not be written.\n"
    "Files: - is standard input or output; an output is replaced whole or not at all, and never\n"
    "one of the command's inputs.";

// The subcommand the command line chose (the innermost one), or null.
const CLI::App* Chosen(const CLI::App& app) {
  const CLI::App* chosen = nullptr;
  for (const CLI::App* at = &app;;) {
    const auto subs = at->get_subcommands();
    if (subs.empty()) return chosen;
    chosen = at = subs.front();
  }
}

// "translations export" for a nested command.
std::string CommandPath(const CLI::App* sub) {
  std::string path;
  for (; sub && sub->get_parent(); sub = sub->get_parent()) {
    path = sub->get_name() + (path.empty() ? std::string() : " " + path);
  }
  return path;
}

// The option of the chosen command (or of the tool) that a word names.
const CLI::Option* OptionNamed(const CLI::App& app, const CLI::App* sub, const std::string& word) {
  for (const CLI::App* at = sub; at; at = at->get_parent()) {
    for (const CLI::Option* opt : at->get_options()) {
      if (opt->check_name(word)) return opt;
    }
  }
  return sub ? nullptr : OptionNamed(app, &app, word);
}

// An option written last, or before another option, lacks its value.
std::string MissingValue(const CLI::App& app, const std::vector<std::string>& args) {
  const CLI::App* sub = Chosen(app);
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--") break;
    const CLI::Option* opt = OptionNamed(app, sub, args[i]);
    if (!opt || opt->get_type_size() == 0) continue;
    const bool bLast = i + 1 == args.size();
    if (bLast || (args[i + 1].size() > 1 && args[i + 1][0] == '-' && OptionNamed(app, sub, args[i + 1]))) {
      std::string type = opt->get_type_name();
      for (char& c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      return "option " + args[i] + " needs " + (type.empty() ? std::string("a value") : "a " + type);
    }
  }
  return std::string();
}

// The required options and arguments of the chosen command that were not given.
std::string MissingRequired(const CLI::App& app) {
  const CLI::App* sub = Chosen(app);
  const CLI::App& at = sub ? *sub : app;
  if (at.get_require_subcommand_min() > 0 && at.get_subcommands().empty()) {
    std::vector<std::string> names;
    for (const CLI::App* s : at.get_subcommands({})) names.push_back(s->get_name());
    return "give one of the commands " + WordList(names);
  }
  for (const CLI::Option* opt : at.get_options()) {
    if (opt->get_required() && opt->count() == 0) return opt->get_name() + " is required";
  }
  return std::string();
}

// One line naming what was wrong on the command line, in the tool's words.
std::string UsageMessage(const CLI::App& app, const CLI::ParseError& e, const std::vector<std::string>& args) {
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) {
    const std::string missing = MissingValue(app, args);
    if (!missing.empty()) return missing;
  }
  // Arguments nothing took: CLI11 checks required options before them, but
  // "unknown option --bogus" says more than "TEXT is required".
  std::vector<std::string> extras = app.remaining();
  for (const CLI::App* at = Chosen(app); at && at != &app; at = at->get_parent()) {
    const std::vector<std::string> more = at->remaining();
    extras.insert(extras.begin(), more.begin(), more.end());
  }
  if (!extras.empty()) {
    const std::string& first = extras.front();
    if (first.size() > 1 && first[0] == '-') return "unknown option '" + first + "'";
    if (!Chosen(app)) return "unknown command '" + first + "'";
    return "unexpected argument '" + first + "'";
  }
  if (dynamic_cast<const CLI::RequiredError*>(&e)) {
    const std::string missing = MissingRequired(app);
    if (!missing.empty()) return missing;
  }
  // Validators write their own words (OneOf and the commands' checks), and
  // CLI11 puts the option's name in front.
  return e.what();
}

// The help of the command that words name ("translations export"), or null.
const CLI::App* HelpTopic(const CLI::App& app, const std::vector<std::string>& words) {
  const CLI::App* at = &app;
  for (const std::string& word : words) {
    const CLI::App* next = nullptr;
    for (const CLI::App* sub : at->get_subcommands({})) {
      if (sub->get_name() == word) next = sub;
    }
    if (!next) return nullptr;
    at = next;
  }
  return at;
}

// "smutil translations export" for the usage line of a nested command.
std::string UsagePrefix(const CLI::App* topic) {
  const std::string parents = CommandPath(topic->get_parent());
  return parents.empty() ? std::string("smutil") : "smutil " + parents;
}

std::string RepositoryLine(const Context& ctx, const std::string& source) {
  return "Repository: commands that read one read " + ctx.repoPath + "\n  (" + source +
         "; --repo FILE or SMUTIL_REPO chooses another).";
}

}  // namespace
}  // namespace smutil_tool

int main(int argc, char** argv) {
  using namespace smutil_tool;
  // A file-size limit then fails the write (EFBIG), which the tool reports
  // with exit 3 and the old file whole, instead of killing the process.
  std::signal(SIGXFSZ, SIG_IGN);
  const DefaultRepository& repository = FindDefaultRepository();
  Context ctx{repository.path, OutputFormat::kText, std::cout, std::cerr};

  CLI::App app{
      "smutil: qualified names, expressions, lookups, variables, messages and dictionary paths of a "
      "repository.",
      "smutil"};
  app.require_subcommand(0, 1);
  app.fallthrough();  // --repo may come after the command too
  app.set_version_flag("--version", std::string("smutil ") + SMUtilVersion(), "print the library version");
  CLI::Option* repoOption =
      app.add_option("--repo", ctx.repoPath,
                     "the repository file (default: SMUTIL_REPO, else the configuration file's first "
                     "repository, else the installed sample)")
          ->type_name("FILE");

  auto cmds = CommandTable();
  std::sort(cmds.begin(), cmds.end(), [](const Command& a, const Command& b) { return a.name < b.name; });
  std::vector<std::pair<CLI::App*, RunFn>> runs;
  for (const Command& c : cmds) {
    CLI::App* sub = app.add_subcommand(c.name, c.summary);
    runs.emplace_back(sub, c.declare(*sub, ctx));
  }
  std::vector<std::string> helpTopic;
  CLI::App* help = app.add_subcommand("help", "describe every command, or one (help translations export)");
  help->add_option("COMMAND", helpTopic, "the command to describe, with its subcommand if it has one");
  CLI::App* version = app.add_subcommand("version", "print the library version");

  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const auto footer = [&] {
    const std::string source = repoOption->count() > 0 ? "from --repo" : repository.source;
    return std::string(kExitCodes) + "\n" + RepositoryLine(ctx, source) +
           "\nRun 'smutil help COMMAND' or 'smutil COMMAND --help' for one command.";
  };
  app.footer(footer);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    const CLI::App* sub = Chosen(app);
    ctx.out << (sub ? sub->help(UsagePrefix(sub)) + footer() + "\n" : app.help());
    return kExitDone;
  } catch (const CLI::CallForVersion&) {
    ctx.out << "smutil " << SMUtilVersion() << "\n";
    return kExitDone;
  } catch (const CLI::ParseError& e) {
    const std::string name = CommandPath(Chosen(app));
    WriteError(ctx.err, name, UsageMessage(app, e, args));
    WriteHint(ctx.err, "run 'smutil help" + (name.empty() ? std::string() : " " + name) + "' for the usage");
    return kExitUsage;
  }

  if (help->parsed()) {
    if (helpTopic.empty()) {
      // app.help() would describe the help command itself, the one chosen.
      ctx.out << app.get_formatter()->make_help(&app, "smutil", CLI::AppFormatMode::Normal);
      return kExitDone;
    }
    const CLI::App* topic = HelpTopic(app, helpTopic);
    if (topic == nullptr || topic == help) {
      std::string words;
      for (const std::string& w : helpTopic) words += (words.empty() ? "" : " ") + w;
      WriteError(ctx.err, "help", "unknown command '" + words + "'; run 'smutil help' for the list");
      return kExitUsage;
    }
    ctx.out << (topic == &app ? app.help() : topic->help(UsagePrefix(topic)) + footer() + "\n");
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
      WriteError(ctx.err, sub->get_name(), e.what());
      return kExitFailed;
    }
  }
  ctx.err << app.get_formatter()->make_help(&app, "smutil", CLI::AppFormatMode::Normal);
  return kExitUsage;
}
