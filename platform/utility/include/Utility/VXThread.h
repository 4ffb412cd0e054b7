// The host's thread services that long recursive work calls as it descends:
// a stack-depth guard and a job-cancellation point.
//
//   VXThread::LowStackCheck(0);                 // throws VXStackOverflowException when the stack runs low
//   VXThreadJobMgr::ServiceJobCancellation();   // throws VXJobCancelledException when the job was cancelled
//
// Host side of cancellation:
//
//   auto job = std::make_shared<VXJobCancellation>();
//   std::thread worker([job] {
//     VXThreadJobMgr::ScopedJob bind(job);      // this thread now runs `job`
//     RenderHugeQuery();                        // calls ServiceJobCancellation as it goes
//   });
//   job->Cancel();                              // from any thread
//
// Both exceptions are ordinary C++ exceptions: the work unwinds, cleans up and
// the host catches them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>

class VXStackOverflowException : public std::runtime_error {
 public:
  VXStackOverflowException(std::size_t used, std::size_t limit);
  std::size_t GetUsed() const { return m_used; }
  std::size_t GetLimit() const { return m_limit; }

 private:
  std::size_t m_used;
  std::size_t m_limit;
};

class VXJobCancelledException : public std::runtime_error {
 public:
  VXJobCancelledException() : std::runtime_error("the job was cancelled") {}
};

namespace VXThread {
// Throws VXStackOverflowException when the calling thread has used more than
// its stack limit, counting extraBytes the caller is about to need. The
// thread's stack base is recorded on its first call (from the thread's real
// stack bounds when the system reports them).
void LowStackCheck(std::size_t extraBytes);
// Bytes of stack the calling thread uses now, measured from its base.
std::size_t GetStackUsed();
// The limit that applies to the calling thread: the configured limit, but
// never closer than a safety margin to the end of the thread's real stack.
std::size_t GetStackLimit();
// Process-wide limit in bytes; 0 (the default) means "the thread's real stack
// less the safety margin". Returns the previous setting.
std::size_t SetStackLimit(std::size_t bytes);

// LowStackCheck for a walk that checks at every level: the thread's limit is
// read once, when the guard is made, and each Check is one compare. Made and
// used on one thread.
class StackGuard {
 public:
  StackGuard();
  void Check(std::size_t extraBytes) const {
    const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    if (here < m_floor + extraBytes) Overflow(extraBytes);
  }

 private:
  [[noreturn]] void Overflow(std::size_t extraBytes) const;
  std::uintptr_t m_floor = 0;  // lowest address the walk may reach
  std::uintptr_t m_base = 0;
};
}  // namespace VXThread

// A cancellation flag shared by the host and the thread running a job.
class VXJobCancellation {
 public:
  void Cancel() { m_cancelled.store(true, std::memory_order_release); }
  bool IsCancelled() const { return m_cancelled.load(std::memory_order_acquire); }

 private:
  std::atomic<bool> m_cancelled{false};
};

namespace VXThreadJobMgr {
// Throws VXJobCancelledException when the job bound to the calling thread has
// been cancelled; does nothing for a thread without a job.
void ServiceJobCancellation();

// Binds a job to the calling thread for its lifetime (restoring any job bound
// before, so jobs may nest).
class ScopedJob {
 public:
  explicit ScopedJob(std::shared_ptr<VXJobCancellation> job);
  ~ScopedJob();
  ScopedJob(const ScopedJob&) = delete;
  ScopedJob& operator=(const ScopedJob&) = delete;

 private:
  std::shared_ptr<VXJobCancellation> m_previous;
};
}  // namespace VXThreadJobMgr
