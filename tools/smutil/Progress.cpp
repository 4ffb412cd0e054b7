#include "Progress.h"

#include <unistd.h>

#include <iostream>

namespace smutil_tool {

Progress::Progress(Context& ctx, std::string command)
    : m_ctx(ctx), m_command(std::move(command)), m_bShown(&ctx.err == &std::cerr && isatty(STDERR_FILENO) == 1) {}

Progress::~Progress() { Done(); }

void Progress::Show(const std::string& text) {
  if (!m_bShown) return;
  // \r back to the start, the text, then clear what a longer line left.
  m_ctx.err << "\rsmutil " << m_command << ": " << text << "\x1b[K" << std::flush;
  m_bLine = true;
}

void Progress::Step(const std::string& what) { Show(what + "..."); }

void Progress::Count(std::uint64_t done, std::uint64_t total) {
  if (!m_bShown || total == 0) return;
  const std::uint64_t percent = done * 100 / total;
  if (percent == m_lastPercent) return;
  m_lastPercent = percent;
  Show(std::to_string(done) + " of " + std::to_string(total) + " objects (" + std::to_string(percent) + "%)");
}

void Progress::Done() {
  if (!m_bLine) return;
  m_ctx.err << "\r\x1b[K" << std::flush;
  m_bLine = false;
}

}  // namespace smutil_tool
