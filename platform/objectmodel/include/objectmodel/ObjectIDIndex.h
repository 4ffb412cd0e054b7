// ObjectIDIndex: the gateway's map from an object's id to the object.
//
// Ids are numbered one after the other within their type (a loader's 1..n,
// the gateway's next free number), so most of them are found by indexing a
// table of the type by the number: no hash, and a loader that creates
// objects in id order writes each table front to back. A number far beyond
// the numbers its type already holds (a hand-picked 4000000000, a type
// outside the usual range) goes to a hash table instead, so that no file can
// make a table larger than about four slots per object of its type.
//
//   ObjectIDIndex byID;
//   byID.InsertUnique(obj->GetID(), obj);          // false if the id is taken
//   ARpObject* same = byID.Find(obj->GetID());     // obj
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "Utility/VoidID.h"
#include "objectmodel/ObjectHashIndex.h"

class ARpObject;

class ObjectIDIndex {
 public:
  // The object with id, or null.
  ARpObject* Find(const VoidID& id) const {
    if (const Numbered* t = TableOf(id.m_interfaceTypeID); t && id.m_uniqueNum < t->m_byNum.size()) {
      if (ARpObject* p = t->m_byNum[id.m_uniqueNum]) return p;
    }
    return m_others.Size() ? m_others.FindOne(id.Packed()) : nullptr;
  }
  // Insert unless the id is taken (then false and nothing changes).
  bool InsertUnique(const VoidID& id, ARpObject* obj);
  // False when obj is not the object of id.
  bool Erase(const VoidID& id, ARpObject* obj);
  // Starts fetching where id's object is kept, for a caller that knows its
  // next ids.
  void Prefetch(const VoidID& id) const;
  // Appends every object, in no particular order.
  void GetAll(std::vector<ARpObject*>& out) const;
  std::size_t Size() const { return m_size; }

 private:
  // Types at or above this, or below zero, are all kept in the hash.
  static constexpr std::int32_t kTableTypes = 1 << 14;
  // The numbers of one type; a null slot holds no object.
  struct Numbered {
    SUHugePages::Vector<ARpObject*> m_byNum;
    std::size_t m_count = 0;  // objects in m_byNum
  };
  const Numbered* TableOf(std::int32_t type) const {
    return type >= 0 && static_cast<std::size_t>(type) < m_byType.size() ? m_byType[type].get() : nullptr;
  }
  // The slot for id, making room for it when its number is close enough to
  // those its type holds; null when id belongs in the hash.
  ARpObject** SlotFor(const VoidID& id);

  std::vector<std::unique_ptr<Numbered>> m_byType;  // by type id, grown on demand
  ObjectHashIndex m_others;                         // by packed id
  std::size_t m_size = 0;
};
