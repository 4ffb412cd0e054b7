#include <gtest/gtest.h>

#include <thread>

#include "Utility/ServerLog.h"

TEST(ServerLog, TracesFollowTheTraceLevelErrorsAlwaysPass) {
  ScopedLogCapture capture(/*traceLevel=*/1);
  ServerLog::LogTrace(U"detail", 16);
  ServerLog::LogTrace(U"summary", 1);
  ServerLog::LogWarning(U"careful", 5);
  ServerLog::LogError(U"broken", 9);
  const auto records = capture.Records();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].text, U"summary");
  EXPECT_EQ(records[0].severity, LogSeverity::kTrace);
  EXPECT_EQ(records[1].level, 5);
  EXPECT_TRUE(capture.Contains(LogSeverity::kError, U"broke"));
  EXPECT_FALSE(capture.Contains(LogSeverity::kWarning, U"broke"));
}

TEST(ServerLog, CaptureRestoresThePreviousSinkAndLevel) {
  const int before = ServerLog::GetTraceLevel();
  {
    ScopedLogCapture outer(3);
    {
      ScopedLogCapture inner(50);
      EXPECT_EQ(ServerLog::GetTraceLevel(), 50);
      ServerLog::LogTrace(U"to inner", 20);
      EXPECT_EQ(inner.Records().size(), 1u);
    }
    EXPECT_EQ(ServerLog::GetTraceLevel(), 3);
    ServerLog::LogTrace(U"to outer", 2);
    std::thread t([] { ServerLog::LogError(U"from a thread", 1); });
    t.join();
    EXPECT_EQ(outer.Records().size(), 2u);
  }
  EXPECT_EQ(ServerLog::GetTraceLevel(), before);
  EXPECT_STREQ(ServerLog::SeverityName(LogSeverity::kWarning), "WARNING");
}
