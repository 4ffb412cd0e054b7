// smutil: the command-line face of the metadata utilities.
#include <cstring>
#include <iostream>
#include <string>

#include "Metadata/SMVersion.h"

namespace {
void PrintHelp(std::ostream& out) {
  out << "usage: smutil [--repo FILE] COMMAND [ARGS...]\n"
         "\n"
         "commands:\n"
         "  help        show this text\n"
         "  version     print the library version\n";
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || !std::strcmp(argv[1], "help") || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    PrintHelp(std::cout);
    return 0;
  }
  const std::string cmd = argv[1];
  if (cmd == "version" || cmd == "--version") {
    std::cout << "smutil " << SMUtilVersion() << "\n";
    return 0;
  }
  std::cerr << "smutil: unknown command '" << cmd << "'; run 'smutil help' for the list of commands\n";
  return 2;
}
