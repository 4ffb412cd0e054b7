#include <gtest/gtest.h>
#include <pthread.h>

#include <thread>

#include "Utility/VXDateTime.h"
#include "Utility/VXThread.h"

namespace {
// Recurses, checking the stack at each level like the query writers do.
__attribute__((noinline)) int Descend(int depth) {
  VXThread::LowStackCheck(0);
  if (depth > 1000000) return 0;  // unreachable while the guard works
  volatile char frame[512];
  frame[0] = static_cast<char>(depth);
  return Descend(depth + 1) + frame[0];
}

// Runs Descend until the guard throws; answers the depth reached (-1 if it never threw).
int DepthUntilGuard() {
  try {
    Descend(0);
  } catch (const VXStackOverflowException& e) {
    EXPECT_GT(e.GetUsed(), e.GetLimit() / 2);
    return static_cast<int>(e.GetUsed() / 512);
  }
  return -1;
}

struct ScopedStackLimit {
  explicit ScopedStackLimit(std::size_t bytes) : m_old(VXThread::SetStackLimit(bytes)) {}
  ~ScopedStackLimit() { VXThread::SetStackLimit(m_old); }
  std::size_t m_old;
};
}  // namespace

TEST(VXThread, StackGuardThrowsACatchableException) {
  ScopedStackLimit limit(256 * 1024);
  EXPECT_EQ(VXThread::GetStackLimit(), 256u * 1024);
  const int depth = DepthUntilGuard();
  EXPECT_GT(depth, 100);
  EXPECT_LT(depth, 1024);
  // The thread is fine afterwards and a shallow call passes.
  EXPECT_NO_THROW(VXThread::LowStackCheck(0));
  EXPECT_THROW(VXThread::LowStackCheck(512 * 1024), VXStackOverflowException);
}

TEST(VXThread, SmallThreadStacksAreGuardedByTheirRealSize) {
  // A 512 KiB thread with no configured limit must be stopped by the guard
  // before it overflows.
  ScopedStackLimit limit(0);
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 512 * 1024);
  struct Result {
    int depth = 0;
    std::size_t limit = 0;
  } result;
  pthread_t thread;
  ASSERT_EQ(pthread_create(
                &thread, &attr,
                [](void* p) -> void* {
                  auto* r = static_cast<Result*>(p);
                  r->limit = VXThread::GetStackLimit();
                  r->depth = DepthUntilGuard();
                  return nullptr;
                },
                &result),
            0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  EXPECT_LE(result.limit, 512u * 1024);
  EXPECT_GT(result.depth, 100);
}

TEST(VXThreadJobMgr, CancellationReachesTheBoundThreadOnly) {
  EXPECT_NO_THROW(VXThreadJobMgr::ServiceJobCancellation());  // no job bound
  auto job = std::make_shared<VXJobCancellation>();
  bool cancelledInWorker = false;
  {
    VXThreadJobMgr::ScopedJob bind(job);
    EXPECT_NO_THROW(VXThreadJobMgr::ServiceJobCancellation());
    std::thread other([&] {
      job->Cancel();
      try {
        VXThreadJobMgr::ServiceJobCancellation();  // this thread has no job
      } catch (const VXJobCancelledException&) {
        cancelledInWorker = true;
      }
    });
    other.join();
    EXPECT_THROW(VXThreadJobMgr::ServiceJobCancellation(), VXJobCancelledException);
    {
      VXThreadJobMgr::ScopedJob nested(std::make_shared<VXJobCancellation>());
      EXPECT_NO_THROW(VXThreadJobMgr::ServiceJobCancellation());
    }
    EXPECT_THROW(VXThreadJobMgr::ServiceJobCancellation(), VXJobCancelledException);
  }
  EXPECT_FALSE(cancelledInWorker);
  EXPECT_NO_THROW(VXThreadJobMgr::ServiceJobCancellation());
}

TEST(VXDateTime, TextForms) {
  const VXDate d(2024, 2, 29);
  const VXTime t(7, 5, 9, 120000000);
  EXPECT_EQ(d.ToString(), "2024-02-29");
  EXPECT_EQ(t.ToString(0), "07:05:09");
  EXPECT_EQ(t.ToString(3), "07:05:09.120");
  EXPECT_EQ(VXDateTime(d, t).ToString(0), "2024-02-29 07:05:09");
  EXPECT_EQ(DateTimeMetaData::Convert(d, DateTimeMetaData::global_stdInternationalDateFormat), U"2024-02-29");
  EXPECT_EQ(DateTimeMetaData::Convert(VXDate(987, 3, 4), U"dd/mm/yyyy"), U"04/03/0987");
  EXPECT_EQ(DateTimeMetaData::Convert(d, U"d MON yy \"day\" m"), U"29 Feb 24 day 2");
}

TEST(VXDateTime, ReadersAcceptOnlyValidValues) {
  VXDate d;
  EXPECT_TRUE(VXDate::FromString("2024-02-29", d));
  EXPECT_EQ(d, VXDate(2024, 2, 29));
  for (const char* bad : {"2023-02-29", "2024-13-01", "0000-01-01", "2024-1-01", "2024/01/01", "2024-01-01x", ""}) {
    VXDate keep(1999, 9, 9);
    EXPECT_FALSE(VXDate::FromString(bad, keep)) << bad;
    EXPECT_EQ(keep, VXDate(1999, 9, 9));
  }
  VXTime t;
  EXPECT_TRUE(VXTime::FromString("23:59:58.5", t));
  EXPECT_EQ(t, VXTime(23, 59, 58, 500000000));
  for (const char* bad : {"24:00:00", "12:60:00", "12:00:00.", "12:00:00.1234567890", "1:00:00", "12:00:00 "}) {
    EXPECT_FALSE(VXTime::FromString(bad, t)) << bad;
  }
  VXDateTime ts;
  EXPECT_TRUE(VXDateTime::FromString("0001-01-01 00:00:00.999999999", ts));
  EXPECT_EQ(ts, VXDateTime(VXDate(1, 1, 1), VXTime(0, 0, 0, 999999999)));
  EXPECT_FALSE(VXDateTime::FromString("2024-01-01T00:00:00", ts));
}
