// The tool's command table. Each command lives in its own Cmd*.cpp and adds
// itself with a static SMUTIL_COMMAND registration, so main() never changes
// when a command is added.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace smutil_tool {

struct Context {
  std::string repoPath;  // --repo FILE, or the bundled sample repository
  std::vector<std::string> args;  // the command's own arguments
  std::ostream& out;
  std::ostream& err;
};

struct Command {
  std::string name;
  std::string usage;    // e.g. "quote NAME..."
  std::string summary;  // one line for the help text
  // Returns the process exit code: 0 success, 1 not found / failed, 2 bad usage.
  std::function<int(Context&)> run;
};

std::vector<Command>& CommandTable();

struct Registrar {
  explicit Registrar(Command c) { CommandTable().push_back(std::move(c)); }
};

// The default repository file when --repo is not given.
std::string DefaultRepositoryPath();

}  // namespace smutil_tool

#define SMUTIL_CONCAT2(a, b) a##b
#define SMUTIL_CONCAT(a, b) SMUTIL_CONCAT2(a, b)
#define SMUTIL_COMMAND(...) \
  static const ::smutil_tool::Registrar SMUTIL_CONCAT(smutil_cmd_, __LINE__)(::smutil_tool::Command{__VA_ARGS__})
