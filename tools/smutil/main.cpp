// smutil: the command-line face of the metadata utilities.
#include <algorithm>
#include <iostream>
#include <string>

#include "Commands.h"
#include "Metadata/SMVersion.h"

namespace smutil_tool {

std::vector<Command>& CommandTable() {
  static std::vector<Command> table;
  return table;
}

std::string DefaultRepositoryPath() { return std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml"; }

namespace {
void PrintHelp(std::ostream& out) {
  auto cmds = CommandTable();
  std::sort(cmds.begin(), cmds.end(), [](const Command& a, const Command& b) { return a.name < b.name; });
  out << "usage: smutil [--repo FILE] COMMAND [ARGS...]\n\n"
         "Without --repo, commands work on the bundled sample repository.\n\n"
         "commands:\n";
  for (const auto& c : cmds) {
    out << "  " << c.usage << "\n      " << c.summary << "\n";
  }
}

SMUTIL_COMMAND("help", "help", "show this text", [](Context& ctx) {
  PrintHelp(ctx.out);
  return 0;
});

SMUTIL_COMMAND("version", "version", "print the library version", [](Context& ctx) {
  ctx.out << "smutil " << SMUtilVersion() << "\n";
  return 0;
});
}  // namespace
}  // namespace smutil_tool

int main(int argc, char** argv) {
  using namespace smutil_tool;
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string repo = DefaultRepositoryPath();
  std::size_t i = 0;
  while (i < args.size() && args[i].rfind("--", 0) == 0) {
    if (args[i] == "--repo" && i + 1 < args.size()) {
      repo = args[i + 1];
      i += 2;
    } else if (args[i] == "--help") {
      args[i] = "help";
      break;
    } else if (args[i] == "--version") {
      args[i] = "version";
      break;
    } else {
      std::cerr << "smutil: unknown option '" << args[i] << "'; run 'smutil help'\n";
      return 2;
    }
  }
  if (i >= args.size()) {
    PrintHelp(std::cout);
    return 0;
  }
  const std::string name = args[i];
  for (const auto& c : CommandTable()) {
    if (c.name == name) {
      Context ctx{repo, std::vector<std::string>(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end()),
                  std::cout, std::cerr};
      try {
        return c.run(ctx);
      } catch (const std::exception& e) {
        std::cerr << "smutil " << name << ": " << e.what() << "\n";
        return 1;
      }
    }
  }
  std::cerr << "smutil: unknown command '" << name << "'; run 'smutil help' for the list of commands\n";
  return 2;
}
