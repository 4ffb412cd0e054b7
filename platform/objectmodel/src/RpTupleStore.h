// RpTupleStore: a model's relation tuples other than containment (which the
// objects hold themselves). A tuple's handle is its index; an erased tuple's
// slot is reused. Each object's list gives the handles of the tuples it
// takes part in, in its order, which is the order relations show.
//
// The store trusts its caller (the model) to have checked that every
// argument resolves and that the arity is the relation's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "objectmodel/RpGateway.h"
#include "objectmodel/TupleListIndex.h"

class RpTupleStore {
 public:
  using RelTuple = ARpGateway::RelTuple;

  // Whether no tuple was ever inserted (erased ones count).
  bool IsPristine() const { return m_tuples.empty(); }
  // Inserts a checked tuple; an existing identical tuple is not doubled and
  // its handle is answered.
  std::uint32_t Insert(RelID rel, const VoidIDVector& args);
  // Inserts tuples [0, end) at once into a pristine store, as Insert one by
  // one would: sorted by object, each object's list is made once at its full
  // length. The tuples are moved from.
  void InsertAtOnce(std::vector<RelTuple>& tuples, std::size_t end);
  bool Erase(std::uint32_t handle);
  bool Erase(RelID rel, const VoidIDVector& args);
  // Erases every tuple in which id takes part.
  void Detach(const VoidID& id);
  bool MoveByHandle(std::uint32_t handle, std::ptrdiff_t delta);
  bool Move(RelID rel, const VoidIDVector& args, int delta);
  void Find(const VoidID& anchor, RelID rel, std::uint32_t anchorArgMask, std::vector<std::uint32_t>& out) const;
  void FindOf(const VoidID& id, std::vector<std::uint32_t>& out) const;
  const RelTuple* Get(std::uint32_t handle) const;
  // Whether a tuple of rel matches args (VoidID::NullID matches anything).
  bool Has(RelID rel, const VoidIDVector& args) const;

 private:
  std::vector<RelTuple> m_tuples;  // handle = index; erased: m_rel null
  std::vector<std::uint32_t> m_freeTuples;
  TupleListIndex m_tuplesOf;
};
