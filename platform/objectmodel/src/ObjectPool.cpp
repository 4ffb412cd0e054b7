#include "objectmodel/ObjectPool.h"

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <new>

#include "Utility/SUHugePages.h"

namespace {
// Chunks grow with the pool, an eighth of what it holds so far, so that the
// unused end of the last one stays a small part of the whole; a large load
// gets chunks of the size that are filled in huge pages.
constexpr std::size_t kFirstChunk = std::size_t{64} << 10;
constexpr std::size_t kLargestChunk = SUHugePages::kAdviseFrom;
// Blocks larger than this get a chunk of their own.
constexpr std::size_t kOwnChunkFrom = kFirstChunk / 4;
}  // namespace

ObjectPool* ObjectPool::Create() { return new ObjectPool(); }

ObjectPool::~ObjectPool() {
  for (auto& [p, bytes] : m_chunks) {
    ASAN_UNPOISON_MEMORY_REGION(p, bytes);
    ::operator delete(p);
  }
}

char* ObjectPool::NewChunk(std::size_t bytes) {
  m_chunks.reserve(m_chunks.size() + 1);
  char* p = static_cast<char*>(::operator new(bytes));
  SUHugePages::Advise(p, bytes);
  // Nothing in a chunk may be read before it is handed out.
  ASAN_POISON_MEMORY_REGION(p, bytes);
  m_chunks.emplace_back(p, bytes);
  m_reserved += bytes;
  return p;
}

void* ObjectPool::Allocate(std::size_t bytes) {
  bytes = (bytes + kAlign - 1) & ~(kAlign - 1);
  char* p = m_next;
  if (bytes > kOwnChunkFrom) {
    // A block this large would leave much of the current chunk unused.
    p = NewChunk(bytes);
  } else if (static_cast<std::size_t>(m_end - m_next) < bytes) {
    const std::size_t chunk = std::clamp(m_reserved / 8, kFirstChunk, kLargestChunk);
    p = NewChunk(chunk);
    m_end = p + chunk;
    m_next = p + bytes;
  } else {
    m_next += bytes;
  }
  ++m_handedOut;
  ASAN_UNPOISON_MEMORY_REGION(p, bytes);
  return p;
}

void ObjectPool::Free(void* p, std::size_t bytes) noexcept {
  ASAN_POISON_MEMORY_REGION(p, (bytes + kAlign - 1) & ~(kAlign - 1));
  if (m_count.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

void ObjectPool::Release() noexcept {
  const std::int64_t trade = m_handedOut - kOwnerShare;
  if (m_count.fetch_add(trade, std::memory_order_acq_rel) + trade == 0) delete this;
}
