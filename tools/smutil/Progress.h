// Progress of a long command on standard error, one line rewritten in place,
// shown only when standard error is a terminal: piped or redirected output
// never carries it.
//
//   Progress progress(ctx, "dict");
//   progress.Step("loading");
//   for (...) progress.Count(done, total);
//   progress.Done();   // clears the line; the destructor does it too
#pragma once

#include <cstdint>
#include <string>

#include "Commands.h"

namespace smutil_tool {

class Progress {
 public:
  Progress(Context& ctx, std::string command);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  bool IsShown() const { return m_bShown; }
  // "smutil COMMAND: WHAT..." in place of the line before.
  void Step(const std::string& what);
  // "smutil COMMAND: DONE of TOTAL objects (P%)", redrawn when the percentage
  // changes.
  void Count(std::uint64_t done, std::uint64_t total);
  // Clears the line.
  void Done();

 private:
  void Show(const std::string& text);

  Context& m_ctx;
  std::string m_command;
  bool m_bShown;
  bool m_bLine = false;
  std::uint64_t m_lastPercent = 101;
};

}  // namespace smutil_tool
