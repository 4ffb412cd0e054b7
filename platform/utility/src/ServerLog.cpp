#include "Utility/ServerLog.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {
int InitialTraceLevel() {
  const char* v = std::getenv("SMUTIL_LOG_LEVEL");
  if (!v || !*v) return 0;
  char* end = nullptr;
  const long n = std::strtol(v, &end, 10);
  return (end && *end == '\0' && n >= 0 && n <= 1000000) ? static_cast<int>(n) : 0;
}

void WriteToStderr(const LogRecord& r) {
  const std::string line = std::string("[smutil ") + ServerLog::SeverityName(r.severity) + " " +
                           std::to_string(r.level) + "] " + ToNarrow(r.text) + "\n";
  std::fputs(line.c_str(), stderr);
}

struct LogState {
  std::mutex mutex;
  ServerLog::Sink sink;  // empty: stderr
  std::atomic<int> traceLevel{InitialTraceLevel()};
};

LogState& State() {
  static LogState state;
  return state;
}

void Write(LogSeverity severity, const VXString& text, int level) {
  LogState& s = State();
  if (severity == LogSeverity::kTrace && level > s.traceLevel.load(std::memory_order_relaxed)) return;
  ServerLog::Sink sink;
  {
    std::lock_guard lock(s.mutex);
    sink = s.sink;
  }
  const LogRecord record{severity, level, text};
  if (sink) {
    sink(record);
  } else {
    WriteToStderr(record);
  }
}
}  // namespace

namespace ServerLog {
void LogTrace(const VXString& text, int level) { Write(LogSeverity::kTrace, text, level); }
void LogWarning(const VXString& text, int level) { Write(LogSeverity::kWarning, text, level); }
void LogError(const VXString& text, int level) { Write(LogSeverity::kError, text, level); }

Sink SetSink(Sink sink) {
  LogState& s = State();
  std::lock_guard lock(s.mutex);
  Sink old = std::move(s.sink);
  s.sink = std::move(sink);
  return old;
}

int SetTraceLevel(int level) { return State().traceLevel.exchange(level); }
int GetTraceLevel() { return State().traceLevel.load(); }

const char* SeverityName(LogSeverity severity) {
  switch (severity) {
    case LogSeverity::kTrace:
      return "TRACE";
    case LogSeverity::kWarning:
      return "WARNING";
    case LogSeverity::kError:
      return "ERROR";
  }
  return "UNKNOWN";
}
}  // namespace ServerLog

ScopedLogCapture::ScopedLogCapture(int traceLevel) {
  m_previousLevel = ServerLog::SetTraceLevel(traceLevel);
  m_previousSink = ServerLog::SetSink([this](const LogRecord& r) {
    std::lock_guard lock(m_mutex);
    m_records.push_back(r);
  });
}

ScopedLogCapture::~ScopedLogCapture() {
  ServerLog::SetSink(std::move(m_previousSink));
  ServerLog::SetTraceLevel(m_previousLevel);
}

std::vector<LogRecord> ScopedLogCapture::Records() const {
  std::lock_guard lock(m_mutex);
  return m_records;
}

bool ScopedLogCapture::Contains(LogSeverity severity, const VXString& text) const {
  std::lock_guard lock(m_mutex);
  for (const LogRecord& r : m_records) {
    if (r.severity == severity && r.text.find(text) != VXString::npos) return true;
  }
  return false;
}
