#include "objectmodel/ObjectHashIndex.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <span>
#include <type_traits>

#include "OpenAddressing.h"
#include "Utility/SUHugePages.h"

namespace {

using OpenAddressing::IsTooFull;
using OpenAddressing::Mix;

std::uintptr_t RefOf(ARpObject* obj) { return reinterpret_cast<std::uintptr_t>(obj); }
ARpObject* ObjectOf(std::uintptr_t ref) { return reinterpret_cast<ARpObject*>(ref); }

}  // namespace

ObjectHashIndex::~ObjectHashIndex() { FreeGroups(); }

ObjectHashIndex::SlotTable::SlotTable(std::size_t n) : m_n(n) {
  static_assert(std::is_trivially_copyable_v<Slot>, "slots are zeroed and copied as bytes");
  // calloc hands a large block over as the kernel mapped it, already zero,
  // without writing it; the heap's own count includes it.
  m_p = static_cast<Slot*>(std::calloc(n, sizeof(Slot)));
  if (!m_p) throw std::bad_alloc();
  SUHugePages::Advise(m_p, n * sizeof(Slot));
}

ObjectHashIndex::SlotTable::~SlotTable() { std::free(m_p); }

void ObjectHashIndex::SlotTable::Zero() {
  if (m_n) std::memset(static_cast<void*>(m_p), 0, m_n * sizeof(Slot));
}

std::size_t ObjectHashIndex::Home(std::uint64_t key) const { return OpenAddressing::Home(key, m_slots.size() - 1); }

const ObjectHashIndex::Slot* ObjectHashIndex::FindSlot(std::uint64_t key) const {
  if (m_slots.empty()) return nullptr;
  const std::size_t mask = m_slots.size() - 1;
  for (std::size_t i = Home(key); m_slots[i].m_ref; i = (i + 1) & mask) {
    if (m_slots[i].m_key == key) return &m_slots[i];
  }
  return nullptr;
}

void ObjectHashIndex::Place(const Slot& slot) {
  const std::size_t mask = m_slots.size() - 1;
  std::size_t i = Home(slot.m_key);
  while (m_slots[i].m_ref) i = (i + 1) & mask;
  m_slots[i] = slot;
}

void ObjectHashIndex::Grow(std::size_t capacity) {
  SlotTable old(capacity);
  old.swap(m_slots);
  for (const Slot& s : old) {
    if (s.m_ref) Place(s);
  }
}

void ObjectHashIndex::Reserve(std::size_t count) {
  std::size_t capacity = m_slots.empty() ? 16 : m_slots.size();
  while (IsTooFull(count, capacity)) capacity *= 2;
  if (capacity > m_slots.size()) Grow(capacity);
}

void ObjectHashIndex::FreeGroups() {
  // A table without keys holds no group: not reading it spares a loader's
  // reserved table, never written yet, a pass that only faults it in.
  if (m_keys == 0) return;
  for (const Slot& s : m_slots) {
    if (s.IsGroup()) delete s.GetGroup();
  }
}

void ObjectHashIndex::Clear() {
  FreeGroups();
  // A table without keys is all empty slots already; zeroing it would only
  // touch every page of a table reserved and not used yet.
  if (m_keys) m_slots.Zero();
  m_keys = 0;
  m_size = 0;
}

void ObjectHashIndex::Insert(std::uint64_t key, ARpObject* obj) {
  // One probe run finds the key or the empty slot it goes into; the table
  // grows first, so that the slot found stays the right one.
  Reserve(m_keys + 1);
  ++m_size;
  const std::size_t mask = m_slots.size() - 1;
  std::size_t i = Home(key);
  for (; m_slots[i].m_ref; i = (i + 1) & mask) {
    Slot& s = m_slots[i];
    if (s.m_key != key) continue;
    if (s.IsGroup()) {
      s.GetGroup()->push_back(obj);
    } else {
      auto* group = new Group{ObjectOf(s.m_ref), obj};
      s.m_ref = reinterpret_cast<std::uintptr_t>(group) | 1u;
    }
    return;
  }
  m_slots[i] = Slot{key, RefOf(obj)};
  ++m_keys;
}

bool ObjectHashIndex::InsertUnique(std::uint64_t key, ARpObject* obj) {
  Reserve(m_keys + 1);
  const std::size_t mask = m_slots.size() - 1;
  std::size_t i = Home(key);
  for (; m_slots[i].m_ref; i = (i + 1) & mask) {
    if (m_slots[i].m_key == key) return false;
  }
  m_slots[i] = Slot{key, RefOf(obj)};
  ++m_keys;
  ++m_size;
  return true;
}

void ObjectHashIndex::InsertAll(const Batch& entries) {
  // A large batch is first dealt out to 2,048 regions in one pass. Into a
  // table that has room for it all (a loader reserved it), the regions are
  // those of the home slots: each region's inserts stay within a few
  // kilobytes of the table instead of landing anywhere in it. Otherwise the
  // table grows on the way and the regions are those of the keys: the
  // entries of one key (a name that a thousand columns bear) come together,
  // while their group is at hand. Such a table is only dealt to once it
  // outgrows the cache: until then entries go in as they come, which a
  // million names (some 80,000 distinct ones) do all the way.
  constexpr std::size_t kDealFrom = 1 << 16;
  constexpr std::size_t kCachedTable = std::size_t{4} << 20;
  constexpr int kRegionBits = 11;
  if (entries.size() >= kDealFrom) {
    const bool bRoom = !m_slots.empty() && !IsTooFull(m_keys + entries.size(), m_slots.size());
    std::size_t first = 0;
    for (; !bRoom && first < entries.size() && m_slots.size() * sizeof(Slot) <= kCachedTable; ++first) {
      Insert(entries[first].first, entries[first].second);
    }
    const std::span<const Batch::value_type> rest(entries.data() + first, entries.size() - first);
    if (rest.size() < kDealFrom) {
      for (const auto& [key, obj] : rest) Insert(key, obj);
      return;
    }
    int tableBits = 0;
    while ((std::size_t{1} << tableBits) < m_slots.size()) ++tableBits;
    const int shift = std::max(0, tableBits - kRegionBits);
    // Scratch that is written whole before it is read: left unzeroed, which
    // spares a pass over 20 MB at a million entries.
    const auto region = SUHugePages::Uninitialized<std::uint32_t>(rest.size());
    std::vector<std::size_t> start((std::size_t{1} << kRegionBits) + 1);
    for (std::size_t i = 0; i < rest.size(); ++i) {
      region[i] =
          static_cast<std::uint32_t>(bRoom ? Home(rest[i].first) >> shift : Mix(rest[i].first) >> (64 - kRegionBits));
      ++start[region[i] + 1];
    }
    for (std::size_t r = 1; r < start.size(); ++r) start[r] += start[r - 1];
    struct Entry {
      std::uint64_t key;
      ARpObject* obj;
    };
    const auto dealt = SUHugePages::Uninitialized<Entry>(rest.size());
    for (std::size_t i = 0; i < rest.size(); ++i) {
      dealt[start[region[i]]++] = Entry{rest[i].first, rest[i].second};
    }
    for (std::size_t i = 0; i < rest.size(); ++i) Insert(dealt[i].key, dealt[i].obj);
    return;
  }
  // A small batch goes in as it comes, each insert fetching the home slot
  // of the entry a few inserts ahead. No room is made for every entry up
  // front: entries may share keys (a million names are some 80,000
  // distinct ones), and the table would be ten times larger than it needs.
  // A caller that knows the count of distinct keys reserves.
  constexpr std::size_t kAhead = 8;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    // An empty table has no slot to fetch yet; the first insert makes one.
    if (i + kAhead < entries.size()) Prefetch(entries[i + kAhead].first);
    Insert(entries[i].first, entries[i].second);
  }
}

bool ObjectHashIndex::Erase(std::uint64_t key, ARpObject* obj) {
  const Slot* found = FindSlot(key);
  if (!found) return false;
  Slot& s = const_cast<Slot&>(*found);
  if (!s.IsGroup()) {
    if (s.m_ref != RefOf(obj)) return false;
    RemoveSlot(static_cast<std::size_t>(&s - m_slots.data()));
  } else {
    Group* group = s.GetGroup();
    auto it = std::find(group->begin(), group->end(), obj);
    if (it == group->end()) return false;
    // Order within a key does not matter; the last takes the hole.
    *it = group->back();
    group->pop_back();
    if (group->size() == 1) {
      s.m_ref = RefOf(group->front());
      delete group;
    }
  }
  --m_size;
  return true;
}

void ObjectHashIndex::RemoveSlot(std::size_t at) {
  OpenAddressing::CloseHole(
      m_slots, at, [](const Slot& s) { return s.m_ref != 0; }, [this](const Slot& s) { return Home(s.m_key); });
  --m_keys;
}

void ObjectHashIndex::Find(std::uint64_t key, std::vector<ARpObject*>& out) const {
  const Slot* s = FindSlot(key);
  if (!s) return;
  if (s->IsGroup()) {
    out.insert(out.end(), s->GetGroup()->begin(), s->GetGroup()->end());
  } else {
    out.push_back(ObjectOf(s->m_ref));
  }
}

ARpObject* ObjectHashIndex::FindOne(std::uint64_t key) const {
  const Slot* s = FindSlot(key);
  if (!s) return nullptr;
  return s->IsGroup() ? s->GetGroup()->front() : ObjectOf(s->m_ref);
}

void ObjectHashIndex::GetAll(std::vector<ARpObject*>& out) const {
  out.reserve(out.size() + m_size);
  for (const Slot& s : m_slots) {
    if (!s.m_ref) continue;
    if (s.IsGroup()) {
      out.insert(out.end(), s.GetGroup()->begin(), s.GetGroup()->end());
    } else {
      out.push_back(ObjectOf(s.m_ref));
    }
  }
}
