// ObjectHashIndex: the gateway's flat multimap from a 64-bit key to objects,
// behind its indexes by (type, folded name) and by (parent, exact name), and
// the ids its id index keeps outside its tables (see ObjectIDIndex). The
// keys are exact ids or hashes; a hash index's caller filters what it
// finds, since distinct names may share a hash.
//
// An open-addressing table with linear probing and backward-shift deletion,
// one 16-byte slot per distinct key and no allocation per object: a probe
// touches one cache line of the table, which keeps a lookup in a
// million-object repository to a few cache misses, and loading a million
// objects costs no million small allocations. Objects that share a key (a
// column name in hundreds of tables) share the slot through a side list, so
// duplicates never lengthen the probe runs of other keys.
//
//   ObjectHashIndex byID;
//   byID.Insert(obj->GetID().Packed(), obj);
//   ARpObject* same = byID.FindOne(obj->GetID().Packed());   // obj
//   std::vector<ARpObject*> found;
//   byID.Find(key, found);   // under a name hash: compare the names found
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "Utility/SUHugePages.h"

class ARpObject;

class ObjectHashIndex {
 public:
  ObjectHashIndex() = default;
  ~ObjectHashIndex();
  ObjectHashIndex(const ObjectHashIndex&) = delete;
  ObjectHashIndex& operator=(const ObjectHashIndex&) = delete;

  void Insert(std::uint64_t key, ARpObject* obj);
  // Insert unless the key is taken (then false and nothing changes), in one
  // probe run: for unique keys such as ids.
  bool InsertUnique(std::uint64_t key, ARpObject* obj);
  // Insert of every (key, object) pair, faster than one by one on a large
  // table.
  using Batch = SUHugePages::Vector<std::pair<std::uint64_t, ARpObject*>>;
  void InsertAll(const Batch& entries);
  // False when obj is not under key.
  bool Erase(std::uint64_t key, ARpObject* obj);
  // Appends the objects under key, in no particular order.
  void Find(std::uint64_t key, std::vector<ARpObject*>& out) const;
  // One object under key (for unique keys), or null.
  ARpObject* FindOne(std::uint64_t key) const;
  // Starts fetching the slot where key's probe begins, for a caller that
  // knows its next keys.
  void Prefetch(std::uint64_t key) const {
    if (!m_slots.empty()) __builtin_prefetch(m_slots.data() + Home(key));
  }
  // Appends every object in the index, in no particular order.
  void GetAll(std::vector<ARpObject*>& out) const;
  // Makes room for count distinct keys without growing again.
  void Reserve(std::size_t count);
  // Forgets every object and keeps the table's room.
  void Clear();
  std::size_t Size() const { return m_size; }

 private:
  using Group = std::vector<ARpObject*>;
  struct Slot {
    std::uint64_t m_key = 0;
    // 0: empty; an ARpObject*; or, with the low bit set (objects are
    // aligned), a Group* of the two or more objects of the key.
    std::uintptr_t m_ref = 0;
    bool IsGroup() const { return m_ref & 1u; }
    Group* GetGroup() const { return reinterpret_cast<Group*>(m_ref & ~std::uintptr_t{1}); }
  };
  std::size_t Home(std::uint64_t key) const;
  const Slot* FindSlot(std::uint64_t key) const;
  void Grow(std::size_t capacity);
  void Place(const Slot& slot);
  void RemoveSlot(std::size_t at);
  void FreeGroups();

  // The slots, zeroed (all empty) when allocated. Large tables are asked of
  // the kernel already zeroed and in huge pages where it offers them: a
  // million-object table spans 32 MB, and each probe lands on a random page.
  class SlotTable {
   public:
    SlotTable() = default;
    explicit SlotTable(std::size_t n);
    ~SlotTable();
    SlotTable(const SlotTable&) = delete;
    SlotTable& operator=(const SlotTable&) = delete;
    void swap(SlotTable& o) noexcept {
      std::swap(m_p, o.m_p);
      std::swap(m_n, o.m_n);
    }
    std::size_t size() const { return m_n; }
    bool empty() const { return m_n == 0; }
    Slot* data() { return m_p; }
    const Slot* data() const { return m_p; }
    Slot& operator[](std::size_t i) { return m_p[i]; }
    const Slot& operator[](std::size_t i) const { return m_p[i]; }
    const Slot* begin() const { return m_p; }
    const Slot* end() const { return m_p + m_n; }
    void Zero();

   private:
    Slot* m_p = nullptr;
    std::size_t m_n = 0;
  };

  SlotTable m_slots;       // size 0 or a power of two
  std::size_t m_keys = 0;  // occupied slots
  std::size_t m_size = 0;  // indexed objects
};
