// The rules the model's open-addressing tables share (the hash index and
// the index of tuple lists).
#pragma once

#include <cstddef>
#include <cstdint>

namespace OpenAddressing {

// Final mix of a 64-bit key (MurmurHash3's): ids, and keys made from object
// addresses, are poor in their low bits, which pick the slot.
inline std::uint64_t Mix(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ull;
  h ^= h >> 33;
  return h;
}

// The home slot of a key in a table of mask + 1 slots. Keys that differ
// only in their low four bits (ids numbered one after the other) get
// neighbouring slots, so creating or visiting objects in id order walks
// the table instead of jumping; hashed keys stay spread.
inline std::size_t Home(std::uint64_t key, std::size_t mask) { return (Mix(key >> 4) + (key & 15u)) & mask; }

// At most 3/4 full, so a probe run stays short.
inline bool IsTooFull(std::size_t keys, std::size_t capacity) { return keys * 4 >= capacity * 3; }

// Empties the slot at hole of a linear-probing table, a power of two long.
// Backward shift: later entries of the run are pulled into the hole unless
// their home lies cyclically in (hole, j], so no probe run is ever cut short
// and no tombstones build up. isFull(slot) tells a used slot, homeOf(slot)
// where its probe starts.
template <class Slots, class IsFull, class HomeOf>
void CloseHole(Slots& slots, std::size_t hole, IsFull isFull, HomeOf homeOf) {
  const std::size_t mask = slots.size() - 1;
  for (std::size_t j = (hole + 1) & mask; isFull(slots[j]); j = (j + 1) & mask) {
    const std::size_t home = homeOf(slots[j]);
    const bool bHomeInGap = hole <= j ? (hole < home && home <= j) : (hole < home || home <= j);
    if (bHomeInGap) continue;
    slots[hole] = slots[j];
    hole = j;
  }
  slots[hole] = {};
}

}  // namespace OpenAddressing
