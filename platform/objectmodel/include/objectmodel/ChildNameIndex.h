// ChildNameIndex: the gateway's index of objects by (parent, exact name),
// the step of resolving a qualified name one level at a time. Top-level
// objects are kept under a null parent.
//
// An open-addressing table of (hash, object) pairs with linear probing and
// backward-shift deletion: one probe touches one cache line of the table
// and then the objects whose hash matches, which is what keeps a lookup in a
// million-object repository to a few cache misses. The key is read from the
// object itself, so the gateway must erase an object before it changes the
// object's parent or name and insert it again afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Utility/VXString.h"

class ARpObject;

class ChildNameIndex {
 public:
  void Insert(ARpObject* obj);
  // Removes obj as it is keyed now; false when it is not in the index.
  bool Erase(ARpObject* obj);
  // Makes room for count objects without growing again.
  void Reserve(std::size_t count);
  void Clear();
  // Appends every indexed child of parent (null: top level) whose own name
  // is exactly name.
  void Find(const ARpObject* parent, const VXString& name, std::vector<ARpObject*>& out) const;
  std::size_t Size() const { return m_size; }
  std::size_t MemoryBytes() const { return m_slots.capacity() * sizeof(Slot); }

 private:
  struct Slot {
    std::uint64_t m_hash = 0;
    ARpObject* m_obj = nullptr;  // null: empty slot
  };
  static std::uint64_t KeyOf(const ARpObject* parent, const VXString& name);
  static std::uint64_t KeyOf(const ARpObject* obj);
  void Grow(std::size_t capacity);
  void Place(std::uint64_t hash, ARpObject* obj);

  std::vector<Slot> m_slots;  // size 0 or a power of two
  std::size_t m_size = 0;
};
