// The tool's command table. Each command lives in its own Cmd*.cpp and adds
// itself with a static SMUTIL_COMMAND registration, so main() never changes
// when a command is added. A command declares its options and arguments on
// its own CLI11 subcommand; main() parses, reports bad usage (exit 2) and
// runs the command.
//
//   RunFn DeclareShow(CLI::App& cmd, Context& ctx) {
//     auto o = std::make_shared<ShowOptions>();
//     cmd.add_option("--type", o->type, "...")->type_name("TYPE")->required();
//     AddFormatOption(cmd, ctx);
//     return [o](Context& ctx) { return RunShow(ctx, *o); };
//   }
//   SMUTIL_COMMAND("show", "show an object by name and type", DeclareShow);
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace smutil_tool {

// The one place the output format is chosen: every command that lists
// objects or records takes --format text|json (see Output.h).
enum class OutputFormat { kText, kJson };

struct Context {
  std::string repoPath;  // --repo FILE, or the default repository (FindDefaultRepository)
  OutputFormat format = OutputFormat::kText;
  std::ostream& out;
  std::ostream& err;
};

// Exit codes of every command, so that a script can tell a broken model
// from a broken file.
constexpr int kExitDone = 0;    // done, or nothing found wrong
constexpr int kExitFailed = 1;  // findings, or not found
constexpr int kExitUsage = 2;   // bad usage: unknown option, missing or wrong value, stray argument
constexpr int kExitIO = 3;      // an input could not be read or an output could not be written

// Runs the command once its options are parsed; returns the exit code.
using RunFn = std::function<int(Context&)>;

struct Command {
  std::string name;
  std::string summary;  // one line for the help text
  // Declares the command's options and arguments on its subcommand; the
  // returned function runs it with the values they were given.
  std::function<RunFn(CLI::App&, Context&)> declare;
};

std::vector<Command>& CommandTable();

struct Registrar {
  explicit Registrar(Command c) { CommandTable().push_back(std::move(c)); }
};

// The repository file read when --repo is not given, and where that choice
// came from: the environment variable SMUTIL_REPO, else the first
// repository path of the system configuration (SMUTIL_CONFIG, else the
// installed config.ini), else the sample in the installation's data
// directory.
// Worked out once per process.
struct DefaultRepository {
  std::string path;
  std::string source;       // "the environment variable SMUTIL_REPO", ...
  std::string configError;  // why the configuration could not be read ("FILE:3: ..."); empty when it could
};
const DefaultRepository& FindDefaultRepository();

}  // namespace smutil_tool

#define SMUTIL_CONCAT2(a, b) a##b
#define SMUTIL_CONCAT(a, b) SMUTIL_CONCAT2(a, b)
#define SMUTIL_COMMAND(...) \
  static const ::smutil_tool::Registrar SMUTIL_CONCAT(smutil_cmd_, __LINE__)(::smutil_tool::Command{__VA_ARGS__})
