// ObjectKeeper: keeps the storage of one model's objects while the model or
// any handle onto one of them lives, and frees it all with the last of them.
//
// Handles count on the keeper, not on their object. A count kept in the
// object shared the cache line of its name and parent, so that two cores
// reading one model moved that line back and forth whenever a lookup handed
// out a handle; the keeper's count is split in stripes, each on a cache
// line of its own, and each thread counts on the stripe its number gives.
// A handle may let go on another thread than the one that took it: a
// stripe may go below zero, and only the sum means anything.
//
// When the model retires, the stripes are drained into one central count,
// each exchanged for a mark that later counts on it see (they then go to
// the central count), and the last handle to leave frees every object.
// Objects deleted while handles may hold them stay (tombstones) until then.
//
//   ObjectKeeper* keeper = ObjectKeeper::Create();
//   keeper->Acquire();           // a handle, on any thread
//   keeper->Release();
//   keeper->Retire(objects);     // the model's end: freed now or with the last handle
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

class ARpObject;
class ObjectPool;

class ObjectKeeper {
 public:
  static ObjectKeeper* Create() { return new ObjectKeeper(); }
  ObjectKeeper(const ObjectKeeper&) = delete;
  ObjectKeeper& operator=(const ObjectKeeper&) = delete;

  void Acquire() noexcept;
  void Release() noexcept;

  // The pool that loaded objects are made in; made on first use. The model's
  // thread only.
  ObjectPool* Pool();
  // Whether any handle is held. Exact only while no other thread uses the
  // model's handles, as during an edit.
  bool HasHandles() const noexcept;
  // An object taken out of the model, to be freed with the others.
  void Bury(ARpObject* obj) { m_buried.push_back(obj); }
  // Frees the buried objects now, when no handle can reach them.
  void FreeBuriedIfUnheld();
  // The model is done with its objects: every object handed here (live ones
  // marked deleted) and every buried one is freed once no handle is left,
  // and the keeper with them. The keeper is not used by the model again.
  void Retire(std::vector<ARpObject*> objects) noexcept;

 private:
  ObjectKeeper() = default;
  ~ObjectKeeper();
  void FreeAll() noexcept;

  static constexpr unsigned kStripes = 16;
  // What a drained stripe holds: far above any count, so that a count that
  // lands on it afterwards sees it and goes to the central count instead.
  static constexpr std::int64_t kDrained = std::int64_t{1} << 62;
  // The model's share of the central count while it lives: far more than
  // any number of handles, so that handles let go on the central count
  // while the stripes drain never bring it to zero early.
  static constexpr std::int64_t kModelShare = std::int64_t{1} << 60;

  struct alignas(64) Stripe {
    std::atomic<std::int64_t> m_count{0};
  };
  Stripe m_stripes[kStripes];
  alignas(64) std::atomic<std::int64_t> m_central{kModelShare};
  std::vector<ARpObject*> m_objects;
  std::vector<ARpObject*> m_buried;
  ObjectPool* m_pool = nullptr;
};
