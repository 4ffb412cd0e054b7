#include "objectmodel/TupleListIndex.h"

#include "OpenAddressing.h"

using OpenAddressing::IsTooFull;

// Lists are made in id order at the end of a load: neighbouring ids find
// neighbouring slots.
std::size_t TupleListIndex::Home(std::uint64_t key) const { return OpenAddressing::Home(key, m_slots.size() - 1); }

std::size_t TupleListIndex::SlotOf(std::uint64_t key) const {
  const std::size_t mask = m_slots.size() - 1;
  std::size_t i = Home(key);
  while (m_slots[i].m_list != kNone && m_slots[i].m_key != key) i = (i + 1) & mask;
  return i;
}

const TupleListIndex::List* TupleListIndex::Find(const VoidID& id) const {
  if (m_count == 0) return nullptr;
  const Slot& s = m_slots[SlotOf(id.Packed())];
  return s.m_list == kNone ? nullptr : &m_lists[s.m_list];
}

TupleListIndex::List* TupleListIndex::Find(const VoidID& id) {
  return const_cast<List*>(static_cast<const TupleListIndex*>(this)->Find(id));
}

void TupleListIndex::Reserve(std::size_t count) {
  std::size_t capacity = m_slots.empty() ? 16 : m_slots.size();
  while (IsTooFull(count, capacity)) capacity *= 2;
  if (capacity > m_slots.size()) Grow(capacity);
}

void TupleListIndex::Grow(std::size_t capacity) {
  SUHugePages::Vector<Slot> old(capacity);
  old.swap(m_slots);
  const std::size_t mask = capacity - 1;
  for (const Slot& s : old) {
    if (s.m_list == kNone) continue;
    std::size_t i = Home(s.m_key);
    while (m_slots[i].m_list != kNone) i = (i + 1) & mask;
    m_slots[i] = s;
  }
}

TupleListIndex::List& TupleListIndex::Get(const VoidID& id) {
  // Room first, so that the slot found stays the right one.
  Reserve(m_count + 1);
  const std::uint64_t key = id.Packed();
  Slot& s = m_slots[SlotOf(key)];
  if (s.m_list != kNone) return m_lists[s.m_list];
  if (!m_freeLists.empty()) {
    s.m_list = m_freeLists.back();
    m_freeLists.pop_back();
  } else {
    s.m_list = static_cast<std::uint32_t>(m_lists.size());
    m_lists.emplace_back();
  }
  s.m_key = key;
  ++m_count;
  return m_lists[s.m_list];
}

void TupleListIndex::Erase(const VoidID& id) {
  if (m_count == 0) return;
  const std::size_t hole = SlotOf(id.Packed());
  if (m_slots[hole].m_list == kNone) return;
  List& list = m_lists[m_slots[hole].m_list];
  List().swap(list);  // its room too, not only its handles
  m_freeLists.push_back(m_slots[hole].m_list);
  --m_count;
  OpenAddressing::CloseHole(
      m_slots, hole, [](const Slot& s) { return s.m_list != kNone; }, [this](const Slot& s) { return Home(s.m_key); });
}
