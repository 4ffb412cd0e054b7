#include "SMPrettyNameCache.h"

#include <algorithm>

namespace pretty_detail {

namespace {

// Blocks stay well under the size the allocator maps fresh from the system.
constexpr std::size_t kBlockChars = 8 * 1024;

std::size_t SlotOf(const VoidID& id, std::size_t mask) {
  return static_cast<std::size_t>((id.Packed() * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

}  // namespace

void NameCache::Clear() {
  // A new generation empties every slot at once; on the rare wrap the
  // table is wiped so that no slot of an old generation looks used.
  if (++m_generation == 0) {
    std::fill(m_slots.begin(), m_slots.end(), Slot{});
    m_generation = 1;
  }
  m_count = 0;
  m_block = 0;
  m_used = 0;
}

std::u32string_view NameCache::Find(const VoidID& id) const {
  if (m_slots.empty()) return {};
  const std::size_t mask = m_slots.size() - 1;
  for (std::size_t i = SlotOf(id, mask);; i = (i + 1) & mask) {
    const Slot& slot = m_slots[i];
    if (slot.m_generation != m_generation) return {};
    if (slot.m_id == id) return {slot.m_text, slot.m_length};
  }
}

void NameCache::Grow() {
  std::vector<Slot> old(m_slots.empty() ? 64 : 2 * m_slots.size());
  old.swap(m_slots);
  const std::size_t mask = m_slots.size() - 1;
  for (const Slot& slot : old) {
    if (slot.m_generation != m_generation) continue;
    std::size_t i = SlotOf(slot.m_id, mask);
    while (m_slots[i].m_generation == m_generation) i = (i + 1) & mask;
    m_slots[i] = slot;
  }
}

char32_t* NameCache::Room(std::size_t chars) {
  for (; m_block < m_blocks.size(); ++m_block, m_used = 0) {
    Block& block = m_blocks[m_block];
    if (block.m_size - m_used >= chars) return block.m_data.get() + m_used;
  }
  const std::size_t size = std::max(kBlockChars, chars);
  m_blocks.push_back(Block{std::make_unique_for_overwrite<char32_t[]>(size), size});
  m_block = m_blocks.size() - 1;
  m_used = 0;
  return m_blocks.back().m_data.get();
}

std::u32string_view NameCache::Store(const VoidID& id, std::u32string_view text) {
  // Kept at most half full, so probes stay short and always end.
  if (2 * (m_count + 1) > m_slots.size()) Grow();
  const std::size_t mask = m_slots.size() - 1;
  std::size_t i = SlotOf(id, mask);
  for (; m_slots[i].m_generation == m_generation; i = (i + 1) & mask) {
    if (m_slots[i].m_id == id) return {m_slots[i].m_text, m_slots[i].m_length};
  }
  // A name longer than a slot can say is not kept; the caller writes it.
  if (text.size() > UINT32_MAX) return text;
  char32_t* room = Room(text.size());
  std::copy(text.begin(), text.end(), room);
  m_used += text.size();
  m_slots[i] = Slot{id, room, static_cast<std::uint32_t>(text.size()), m_generation};
  ++m_count;
  return {room, text.size()};
}

}  // namespace pretty_detail
