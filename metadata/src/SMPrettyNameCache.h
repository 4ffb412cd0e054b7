// The written names of the objects one rendering has met, so that a name is
// generated once per object however often an expression refers to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "Utility/VXString.h"
#include "Utility/VoidID.h"

namespace pretty_detail {

// Names are stored one after another in fixed blocks (a stored name never
// moves, a growing table never copies) and found through an open-addressing
// table keyed by id. A table belongs to one walk: nothing in it outlives the
// call that made it, so a rename between two calls can never show a stale
// name.
class NameCache {
 public:
  // Forgets every name, keeping the memory for the next walk of the same
  // visitor.
  void Clear();

  // The stored name of id; data() is null when there is none.
  std::u32string_view Find(const VoidID& id) const;
  // Stores text as the name of id (the first text stored for an id stays)
  // and returns the stored name.
  std::u32string_view Store(const VoidID& id, std::u32string_view text);
  // Room to build a name in before storing it.
  VXString& Scratch() { return m_scratch; }

 private:
  struct Slot {
    VoidID m_id;
    const char32_t* m_text = nullptr;
    std::uint32_t m_length = 0;
    std::uint32_t m_generation = 0;  // the slot is used when it equals m_generation
  };
  struct Block {
    std::unique_ptr<char32_t[]> m_data;
    std::size_t m_size = 0;
  };
  void Grow();
  char32_t* Room(std::size_t chars);

  std::vector<Slot> m_slots;  // size 0 or a power of two
  std::uint32_t m_generation = 1;
  std::size_t m_count = 0;
  std::vector<Block> m_blocks;
  std::size_t m_block = 0;  // the block being filled
  std::size_t m_used = 0;   // chars used in it
  VXString m_scratch;
};

}  // namespace pretty_detail
