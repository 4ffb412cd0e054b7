#include "objectmodel/ChildNameIndex.h"

#include "objectmodel/RpObject.h"

namespace {

// Final mix of a 64-bit key (MurmurHash3's): the table takes the low bits.
std::uint64_t Mix(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ull;
  h ^= h >> 33;
  return h;
}

// At most 3/4 full, so a probe sequence stays short.
bool IsTooFull(std::size_t size, std::size_t capacity) { return size * 4 >= capacity * 3; }

}  // namespace

std::uint64_t ChildNameIndex::KeyOf(const ARpObject* parent, const VXString& name) {
  std::uint64_t h = 1469598103934665603ull ^ reinterpret_cast<std::uintptr_t>(parent);
  for (char32_t c : name) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return Mix(h);
}

std::uint64_t ChildNameIndex::KeyOf(const ARpObject* obj) { return KeyOf(obj->GetParentPointer(), obj->GetName()); }

void ChildNameIndex::Place(std::uint64_t hash, ARpObject* obj) {
  const std::size_t mask = m_slots.size() - 1;
  std::size_t i = hash & mask;
  while (m_slots[i].m_obj) i = (i + 1) & mask;
  m_slots[i] = Slot{hash, obj};
}

void ChildNameIndex::Grow(std::size_t capacity) {
  std::vector<Slot> old;
  old.swap(m_slots);
  m_slots.assign(capacity, Slot{});
  for (const Slot& s : old) {
    if (s.m_obj) Place(s.m_hash, s.m_obj);
  }
}

void ChildNameIndex::Reserve(std::size_t count) {
  std::size_t capacity = m_slots.empty() ? 16 : m_slots.size();
  while (IsTooFull(count, capacity)) capacity *= 2;
  if (capacity > m_slots.size()) Grow(capacity);
}

void ChildNameIndex::Clear() {
  m_slots.clear();
  m_size = 0;
}

void ChildNameIndex::Insert(ARpObject* obj) {
  Reserve(m_size + 1);
  Place(KeyOf(obj), obj);
  ++m_size;
}

bool ChildNameIndex::Erase(ARpObject* obj) {
  if (m_slots.empty()) return false;
  const std::size_t mask = m_slots.size() - 1;
  std::size_t i = KeyOf(obj) & mask;
  while (m_slots[i].m_obj != obj) {
    if (!m_slots[i].m_obj) return false;
    i = (i + 1) & mask;
  }
  // Backward shift: pull later entries of the run into the hole when their
  // home slot does not lie strictly between the hole and themselves, so no
  // probe sequence is ever cut short and no tombstones build up.
  std::size_t hole = i;
  for (std::size_t j = (i + 1) & mask; m_slots[j].m_obj; j = (j + 1) & mask) {
    const std::size_t home = m_slots[j].m_hash & mask;
    const bool bHomeInGap = hole <= j ? (hole < home && home <= j) : (hole < home || home <= j);
    if (bHomeInGap) continue;
    m_slots[hole] = m_slots[j];
    hole = j;
  }
  m_slots[hole] = Slot{};
  --m_size;
  return true;
}

void ChildNameIndex::Find(const ARpObject* parent, const VXString& name, std::vector<ARpObject*>& out) const {
  if (m_slots.empty()) return;
  const std::uint64_t hash = KeyOf(parent, name);
  const std::size_t mask = m_slots.size() - 1;
  for (std::size_t i = hash & mask; m_slots[i].m_obj; i = (i + 1) & mask) {
    const Slot& s = m_slots[i];
    if (s.m_hash == hash && s.m_obj->GetParentPointer() == parent && s.m_obj->GetName() == name) out.push_back(s.m_obj);
  }
}
