#include "SMPrettyNameCache.h"

#include <algorithm>

namespace pretty_detail {

namespace {

// The first table: room for a dozen names before it grows.
constexpr std::size_t kFirstSlots = 32;

std::size_t SlotOf(std::uint64_t key, std::size_t mask) {
  return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

}  // namespace

void NameCache::Clear() {
  std::fill(m_slots.begin(), m_slots.end(), Slot{});
  m_count = 0;
}

NameCache::Place* NameCache::Find(const VoidID& id) {
  if (m_slots.empty()) return nullptr;
  const std::uint64_t key = id.Packed();
  const std::size_t mask = m_slots.size() - 1;
  for (std::size_t i = SlotOf(key, mask);; i = (i + 1) & mask) {
    Slot& slot = m_slots[i];
    if (slot.m_place.m_length == kNoName) return nullptr;
    if (slot.m_key == key) return &slot.m_place;
  }
}

void NameCache::Grow() {
  std::vector<Slot> old(m_slots.empty() ? kFirstSlots : 2 * m_slots.size());
  old.swap(m_slots);
  const std::size_t mask = m_slots.size() - 1;
  for (const Slot& slot : old) {
    if (slot.m_place.m_length == kNoName) continue;
    std::size_t i = SlotOf(slot.m_key, mask);
    while (m_slots[i].m_place.m_length != kNoName) i = (i + 1) & mask;
    m_slots[i] = slot;
  }
}

void NameCache::Store(const VoidID& id, std::size_t offset, std::size_t length) {
  if (!Fits(offset, length)) return;
  // Kept at most half full, so probes stay short and always end.
  if (2 * (m_count + 1) > m_slots.size()) Grow();
  const std::uint64_t key = id.Packed();
  const std::size_t mask = m_slots.size() - 1;
  std::size_t i = SlotOf(key, mask);
  for (; m_slots[i].m_place.m_length != kNoName; i = (i + 1) & mask) {
    if (m_slots[i].m_key == key) return;
  }
  m_slots[i] = Slot{key, Place{static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length)}};
  ++m_count;
}

}  // namespace pretty_detail
