#include "Utility/VXThread.h"

#include <pthread.h>

#include <cstdint>
#include <string>

namespace {
// Stack kept free below the limit so the exception itself, its unwinding and
// any logging still have room.
constexpr std::size_t kSafetyMargin = 128 * 1024;

std::atomic<std::size_t> g_configuredLimit{0};

struct ThreadStack {
  bool known = false;
  std::uintptr_t base = 0;  // highest address: stacks grow down here
  std::size_t size = 0;     // 0 when the system did not say
};

thread_local ThreadStack t_stack;
thread_local std::shared_ptr<VXJobCancellation> t_job;

__attribute__((noinline)) std::uintptr_t CurrentFrame() {
  return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
}

const ThreadStack& Stack() {
  if (!t_stack.known) {
    pthread_attr_t attr;
    void* addr = nullptr;
    std::size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
      if (pthread_attr_getstack(&attr, &addr, &size) == 0 && addr && size) {
        t_stack.base = reinterpret_cast<std::uintptr_t>(addr) + size;
        t_stack.size = size;
      }
      pthread_attr_destroy(&attr);
    }
    // Without real bounds the first frame that asks is the best base we have.
    if (t_stack.base == 0 || CurrentFrame() > t_stack.base) {
      t_stack.base = CurrentFrame();
      t_stack.size = 0;
    }
    t_stack.known = true;
  }
  return t_stack;
}
}  // namespace

VXStackOverflowException::VXStackOverflowException(std::size_t used, std::size_t limit)
    : std::runtime_error("the stack is nearly exhausted: " + std::to_string(used) + " bytes used, limit " +
                         std::to_string(limit) + " bytes; the expression or query nests too deeply"),
      m_used(used),
      m_limit(limit) {}

namespace VXThread {
std::size_t GetStackUsed() {
  const ThreadStack& s = Stack();
  const std::uintptr_t here = CurrentFrame();
  return here < s.base ? static_cast<std::size_t>(s.base - here) : 0;
}

std::size_t GetStackLimit() {
  const ThreadStack& s = Stack();
  const std::size_t configured = g_configuredLimit.load(std::memory_order_relaxed);
  std::size_t real = 0;
  if (s.size > 0) real = s.size > 2 * kSafetyMargin ? s.size - kSafetyMargin : s.size / 2;
  if (configured == 0) return real > 0 ? real : 8 * 1024 * 1024 - kSafetyMargin;
  return real > 0 && real < configured ? real : configured;
}

void LowStackCheck(std::size_t extraBytes) {
  const std::size_t used = GetStackUsed();
  const std::size_t limit = GetStackLimit();
  if (used > limit || extraBytes > limit - used) throw VXStackOverflowException(used + extraBytes, limit);
}

std::size_t SetStackLimit(std::size_t bytes) { return g_configuredLimit.exchange(bytes); }

StackGuard::StackGuard() : m_base(Stack().base) {
  const std::size_t limit = GetStackLimit();
  m_floor = limit < m_base ? m_base - limit : 0;
}

void StackGuard::Overflow(std::size_t extraBytes) const {
  const std::uintptr_t here = CurrentFrame();
  const std::size_t used = here < m_base ? static_cast<std::size_t>(m_base - here) : 0;
  throw VXStackOverflowException(used + extraBytes, static_cast<std::size_t>(m_base - m_floor));
}
}  // namespace VXThread

namespace VXThreadJobMgr {
void ServiceJobCancellation() {
  if (t_job && t_job->IsCancelled()) throw VXJobCancelledException();
}

ScopedJob::ScopedJob(std::shared_ptr<VXJobCancellation> job) : m_previous(std::move(t_job)) { t_job = std::move(job); }

ScopedJob::~ScopedJob() { t_job = std::move(m_previous); }
}  // namespace VXThreadJobMgr
