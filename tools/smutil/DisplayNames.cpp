#include "DisplayNames.h"

#include <CLI/CLI.hpp>

namespace smutil_tool {

void AddLangOption(CLI::App& cmd, std::string& lang) {
  cmd.add_option("--lang", lang, "the session's language for bundle strings (en, fr, ...)")->type_name("LANG");
}

}  // namespace smutil_tool
