// ObjectPool: memory for the objects a load creates, handed out front to
// back from large chunks rather than one heap block per object. A million
// objects then cost a million pointer bumps instead of a million trips
// through the heap, and lie in memory in the order they were read.
//
// Objects are freed one at a time (an edit deletes one, the last handle on a
// tombstone lets go), but their memory goes back to the heap all together:
// once the owner has released the pool and the last object is freed. A pool
// is for objects that are made together and mostly die together.
//
//   ObjectPool* pool = ObjectPool::Create();
//   void* p = pool->Allocate(sizeof(T));   // the owner's thread only
//   T* t = ::new (p) T();
//   ...
//   t->~T();
//   pool->Free(p, sizeof(T));              // any thread, once per Allocate
//   pool->Release();                       // the owner is done with it
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

class ObjectPool {
 public:
  // Whether Free marks the freed block unreadable, for AddressSanitizer;
  // only then does it need the block's size.
#if defined(__SANITIZE_ADDRESS__)
  static constexpr bool kPoisons = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  static constexpr bool kPoisons = true;
#else
  static constexpr bool kPoisons = false;
#endif
#else
  static constexpr bool kPoisons = false;
#endif

  // Blocks are aligned for pointers and 64-bit integers, which is all an
  // object holds.
  static constexpr std::size_t kAlign = alignof(std::uint64_t);

  static ObjectPool* Create();
  ObjectPool(const ObjectPool&) = delete;
  ObjectPool& operator=(const ObjectPool&) = delete;

  // Room for one object of bytes. Only the owner allocates, and never after
  // Release.
  void* Allocate(std::size_t bytes);
  // The block is no longer used (bytes: as allocated; read only when
  // kPoisons). After Release, the last one frees the pool.
  void Free(void* p, std::size_t bytes) noexcept;
  // The owner lets go; the pool goes once no block is in use.
  void Release() noexcept;

  // Bytes taken from the heap, all chunks together.
  std::size_t ReservedBytes() const { return m_reserved; }

 private:
  ObjectPool() = default;
  ~ObjectPool();
  char* NewChunk(std::size_t bytes);

  // The owner's share of the count: far more than any number of blocks, so
  // that blocks freed while the owner still allocates never bring the count
  // to zero. Release trades it for the number of blocks handed out.
  static constexpr std::int64_t kOwnerShare = std::int64_t{1} << 62;
  std::atomic<std::int64_t> m_count{kOwnerShare};
  std::int64_t m_handedOut = 0;
  std::vector<std::pair<char*, std::size_t>> m_chunks;
  char* m_next = nullptr;
  char* m_end = nullptr;
  std::size_t m_reserved = 0;
};
