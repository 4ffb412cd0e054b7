// ServerLog: the server log. Every diagnostic carries a severity, its text
// and a level number (1 = the most important; higher numbers are more
// detailed).
//
//   ServerLog::LogError(U"Errors inside GetRpName. ...", 1);
//   ServerLog::LogTrace(U"No new KEX Bundle Keys.", 16);
//
// Errors and warnings always reach the sink; a trace reaches it only when its
// level is at or below the trace level (0 by default, so traces are off; the
// environment variable SMUTIL_LOG_LEVEL sets it at start-up). The default
// sink writes one UTF-8 line per record to stderr. Tests capture records with
// ScopedLogCapture:
//
//   ScopedLogCapture capture(/*traceLevel=*/100);
//   DoSomething();
//   EXPECT_EQ(capture.Records().size(), 1u);
#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "Utility/VXString.h"

enum class LogSeverity { kTrace, kWarning, kError };

struct LogRecord {
  LogSeverity severity;
  int level;
  VXString text;
};

namespace ServerLog {
using Sink = std::function<void(const LogRecord&)>;

void LogTrace(const VXString& text, int level);
void LogWarning(const VXString& text, int level);
void LogError(const VXString& text, int level);

// Installs a sink (an empty one restores the stderr sink); returns the old one.
Sink SetSink(Sink sink);
// Traces of this level and below are written; returns the old level.
int SetTraceLevel(int level);
int GetTraceLevel();
// The text of a severity: "TRACE", "WARNING", "ERROR".
const char* SeverityName(LogSeverity severity);
}  // namespace ServerLog

// Collects every record written while it lives, then restores the previous
// sink and trace level. Records are kept in order; safe across threads.
class ScopedLogCapture {
 public:
  explicit ScopedLogCapture(int traceLevel = 1000);
  ~ScopedLogCapture();
  ScopedLogCapture(const ScopedLogCapture&) = delete;
  ScopedLogCapture& operator=(const ScopedLogCapture&) = delete;

  std::vector<LogRecord> Records() const;
  // Whether some record of that severity contains the text.
  bool Contains(LogSeverity severity, const VXString& text) const;

 private:
  mutable std::mutex m_mutex;
  std::vector<LogRecord> m_records;
  ServerLog::Sink m_previousSink;
  int m_previousLevel;
};
