#include <gtest/gtest.h>
#include <pthread.h>

#include <thread>

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
