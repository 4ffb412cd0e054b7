// TupleListIndex: the gateway's map from an object's id to the handles of
// the relation tuples the object takes part in, in the object's order.
//
// An open-addressing table of (id, list number) pairs over one store of
// lists: finding an id's list is one mixed hash and a short probe run, and a
// loader that gives a million objects their tuples allocates no map node per
// object.
//
//   TupleListIndex tuplesOf;
//   tuplesOf.Get(id).push_back(handle);     // the list made when id had none
//   if (const TupleListIndex::List* l = tuplesOf.Find(id)) ...
//   tuplesOf.Erase(id);
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "Utility/SUHugePages.h"
#include "Utility/VoidID.h"

class TupleListIndex {
 public:
  using List = std::vector<std::uint32_t>;

  // The list of id, or null when id has none.
  const List* Find(const VoidID& id) const;
  List* Find(const VoidID& id);
  // The list of id, made empty when id has none. The reference stays valid
  // while other lists are made and erased, until id's own list is erased.
  List& Get(const VoidID& id);
  // Forgets id's list and frees its room; nothing when id has none.
  void Erase(const VoidID& id);
  // Makes room for count ids without growing again.
  void Reserve(std::size_t count);
  // Ids that have a list.
  std::size_t Size() const { return m_count; }

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  struct Slot {
    std::uint64_t m_key = 0;
    std::uint32_t m_list = kNone;  // kNone: the slot is empty
  };
  std::size_t Home(std::uint64_t key) const;
  // The slot that holds key, or the empty slot where its probe run ends.
  std::size_t SlotOf(std::uint64_t key) const;
  void Grow(std::size_t capacity);

  SUHugePages::Vector<Slot> m_slots;  // a power of two long, at most 3/4 full
  std::size_t m_count = 0;
  // A deque, so that making a list never moves the others.
  std::deque<List> m_lists;
  std::vector<std::uint32_t> m_freeLists;  // numbers of lists erased, for reuse
};
