// The repository-file reader's second step: the records of a whole file
// checked together (ids taken twice, parents that are missing, of a type
// the child may not live under or among its own descendants, places among
// children, tuple arguments, aliases given twice), then turned into a
// repository in one go: every object in file order, each parent's children
// in their order, the indexes and the tuples built in batches (see
// ARpGateway::Load).
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "RpFileRecords.h"

namespace RpFileLoad {

class Builder {
 public:
  explicit Builder(Records& records) : m_records(records) {}

  // Offers every fault of the records to faults. With bComplete false the
  // records stop at a fault of the scan, and only what they already show
  // counts: a parent or tuple argument not read yet may still follow, and
  // places among children may not all be there.
  void Check(bool bComplete, EarliestFault& faults);
  // After a complete Check that found nothing: the repository, which takes
  // the records' values (the records are left spent).
  std::unique_ptr<ARpGateway> Build();

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  // Record index by id: a table by number for each type whose numbers are
  // dense (the writer numbers each type from 1), a hash map for the others.
  class IDIndex {
   public:
    // Indexes the objects; an id taken before is answered by
    // onDuplicate(index) and keeps its first object.
    template <class OnDuplicate>
    void Fill(const SUHugePages::Vector<Records::Object>& objects, OnDuplicate onDuplicate);
    std::uint32_t Find(const VoidID& id) const;

   private:
    struct PerType {
      TypeID type = 0;
      std::uint32_t count = 0;
      std::uint32_t maxNumber = 0;
      SUHugePages::Vector<std::uint32_t> dense;  // empty: sparse is used
      std::unordered_map<std::uint32_t, std::uint32_t> sparse;
    };
    PerType* TypeOf(TypeID type);
    const PerType* TypeOf(TypeID type) const;
    std::vector<PerType> m_types;
    mutable std::size_t m_last = 0;
  };

  void CheckParents(bool bComplete, EarliestFault& faults);
  void CheckCycles(EarliestFault& faults);
  // Each parent's children in their order into m_children, with the faults
  // of their places.
  void OrderChildren(EarliestFault& faults);
  void CheckTuples(EarliestFault& faults);
  void CheckAliases(EarliestFault& faults);

  Records& m_records;
  IDIndex m_index;
  SUHugePages::Vector<std::uint32_t> m_parent;  // each object's parent record, or kNone
  std::vector<bool> m_duplicate;                // empty when no id is taken twice
  bool m_bPlaced = false;                       // some object has a pos
  bool m_bForward = false;                      // some parent is listed at or after its child
  // The children's record indexes, each parent's together and in their
  // order, parents in the order of their records (a complete Check's).
  SUHugePages::Vector<std::uint32_t> m_children;
};

}  // namespace RpFileLoad
