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
// moves, a growing cache never copies) and found through an open-addressing
// table keyed by id. A thread keeps one spare cache between renderings:
// rendering is frequent and short, and reusing the blocks and the table
// spares every rendering the allocator's round trip to the system. The
// names themselves stay valid for the next rendering when it writes the
// same repository, unchanged since, in the same naming mode (the Owner).
class NameCache {
 public:
  struct Owner {
    std::uint64_t m_gateway = 0;  // ARpGateway::GetInstanceID; 0: names good for one walk only
    std::uint64_t m_revision = 0;  // ARpGateway::GetNamingRevision
    unsigned m_mode = 0;
    bool operator==(const Owner&) const = default;
  };
  // The thread's spare cache claimed for owner, or a new one.
  static std::unique_ptr<NameCache> Acquire(const Owner& owner);
  // Keeps cache as the thread's spare unless it grew too big to hold on to.
  static void Release(std::unique_ptr<NameCache> cache);

  // Keeps the names when they were made for owner; empties the cache
  // otherwise. Called at the start of every walk.
  void Claim(const Owner& owner);
  // The names now held depend on more than the owner says (a variable's
  // kind, say): they are dropped at the next claim.
  void Disown() { m_owner.m_gateway = 0; }

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
  void Clear();
  void Grow();
  char32_t* Room(std::size_t chars);

  std::vector<Slot> m_slots;  // size 0 or a power of two
  std::uint32_t m_generation = 1;
  std::size_t m_count = 0;
  std::vector<Block> m_blocks;
  std::size_t m_block = 0;  // the block being filled
  std::size_t m_used = 0;   // chars used in it
  VXString m_scratch;
  Owner m_owner;
};

}  // namespace pretty_detail
