#include "ObjectKeeper.h"

#include "objectmodel/ObjectPool.h"
#include "objectmodel/RpObject.h"

namespace {
std::atomic<unsigned> g_nextThread{0};
// The stripe of this thread: threads are numbered as they first count.
unsigned ThreadStripe(unsigned stripes) {
  thread_local const unsigned t_number = g_nextThread.fetch_add(1, std::memory_order_relaxed);
  return t_number % stripes;
}
}  // namespace

ObjectKeeper::~ObjectKeeper() = default;

void ObjectKeeper::Acquire() noexcept {
  if (m_stripes[ThreadStripe(kStripes)].m_count.fetch_add(1, std::memory_order_relaxed) > kDrained / 2) {
    m_central.fetch_add(1, std::memory_order_relaxed);
  }
}

void ObjectKeeper::Release() noexcept {
  if (m_stripes[ThreadStripe(kStripes)].m_count.fetch_sub(1, std::memory_order_release) <= kDrained / 2) return;
  if (m_central.fetch_sub(1, std::memory_order_acq_rel) == 1) FreeAll();
}

ObjectPool* ObjectKeeper::Pool() {
  if (!m_pool) m_pool = ObjectPool::Create();
  return m_pool;
}

bool ObjectKeeper::HasHandles() const noexcept {
  std::int64_t sum = m_central.load(std::memory_order_acquire) - kModelShare;
  for (const Stripe& s : m_stripes) sum += s.m_count.load(std::memory_order_acquire);
  return sum != 0;
}

void ObjectKeeper::FreeBuriedIfUnheld() {
  if (m_buried.empty() || HasHandles()) return;
  for (ARpObject* obj : m_buried) delete obj;
  m_buried.clear();
}

void ObjectKeeper::Retire(std::vector<ARpObject*> objects) noexcept {
  m_objects = std::move(objects);
  // Counts that reached a stripe before it was drained are in what the
  // exchange answers; later ones see the mark and go to the central count.
  std::int64_t counted = 0;
  for (Stripe& s : m_stripes) counted += s.m_count.exchange(kDrained, std::memory_order_acq_rel);
  m_central.fetch_add(counted, std::memory_order_relaxed);
  if (m_central.fetch_sub(kModelShare, std::memory_order_acq_rel) == kModelShare) FreeAll();
}

void ObjectKeeper::FreeAll() noexcept {
  for (ARpObject* obj : m_objects) delete obj;
  for (ARpObject* obj : m_buried) delete obj;
  // The loaded objects' memory goes with the pool, once they are all freed.
  if (m_pool) m_pool->Release();
  delete this;
}
