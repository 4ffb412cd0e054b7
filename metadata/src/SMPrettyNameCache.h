// The written names of the objects one rendering has met, so that a name is
// generated once per object however often an expression refers to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Utility/VoidID.h"

namespace pretty_detail {

// A name is not stored apart: the table keeps where the walk first wrote it
// in its own output, and a later reference copies it from there. An
// open-addressing table keyed by id, 16 bytes a slot so that the table of a
// long expression stays in cache; it starts small and grows with the walk.
// A table belongs to one walk: nothing in it outlives the call that made it,
// so a rename between two calls can never show a stale name.
class NameCache {
 public:
  // Forgets every name, keeping the memory for the next walk of the same
  // visitor.
  void Clear();

  // Where the name of id was written (offset and length in the output);
  // false when it is not known.
  bool Find(const VoidID& id, std::size_t& offset, std::size_t& length) const;
  // Records where the name of id was written; the first place recorded for
  // an id stays. A place beyond 32-bit positions is not kept.
  void Store(const VoidID& id, std::size_t offset, std::size_t length);

 private:
  static constexpr std::uint32_t kNoName = UINT32_MAX;  // the length of an empty slot
  struct Slot {
    std::uint64_t m_key = 0;  // VoidID::Packed
    std::uint32_t m_offset = 0;
    std::uint32_t m_length = kNoName;
  };
  void Grow();

  std::vector<Slot> m_slots;  // size 0 or a power of two
  std::size_t m_count = 0;
};

}  // namespace pretty_detail
