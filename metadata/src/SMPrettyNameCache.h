// The written names of the objects one rendering has met, so that a name is
// generated once per object however often an expression refers to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Utility/VoidID.h"

namespace pretty_detail {

// A name is not stored apart: the table keeps where the walk last wrote it
// in its own output, and a later reference copies it from there and then
// points the table at the copy it just made. The copy read is thus the
// nearest one, still in cache when the object keeps coming back, where the
// first one may lie megabytes back in a long output; and no text beyond the
// output is kept. An open-addressing table keyed by id, 16 bytes a slot so
// that the table of a long expression stays in cache; it starts small and
// grows with the walk. A table belongs to one walk: nothing in it outlives
// the call that made it, so a rename between two calls can never show a
// stale name.
class NameCache {
 public:
  // Where a name is written: offset and length in the output.
  struct Place {
    std::uint32_t m_offset = 0;
    std::uint32_t m_length = 0;
  };

  // Forgets every name, keeping the memory for the next walk of the same
  // visitor.
  void Clear();

  // Where the name of id was last written; null when it is not known. The
  // place holds until the next Store.
  Place* Find(const VoidID& id);
  // Records where the name of id was written; the first place recorded for
  // an id stays. A place beyond 32-bit positions is not kept.
  void Store(const VoidID& id, std::size_t offset, std::size_t length);
  // Points place at a later copy of its name; a copy beyond 32-bit
  // positions leaves it where it was.
  static void MoveTo(Place& place, std::size_t offset) {
    if (Fits(offset, place.m_length)) place.m_offset = static_cast<std::uint32_t>(offset);
  }

 private:
  static constexpr std::uint32_t kNoName = UINT32_MAX;  // the length of an empty slot
  static bool Fits(std::size_t offset, std::size_t length) { return offset < kNoName && length < kNoName - offset; }
  struct Slot {
    std::uint64_t m_key = 0;  // VoidID::Packed
    Place m_place{0, kNoName};
  };
  void Grow();

  std::vector<Slot> m_slots;  // size 0 or a power of two
  std::size_t m_count = 0;
};

}  // namespace pretty_detail
