// What the check families share: the helpers every check is written with,
// and the functions that add each family's checks to the table.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "Checks/ConsistencyCheck.h"

namespace checks_detail {

// The checked object as interface T (the table only routes objects of the
// check's types to it, so the cast holds).
template <class T>
Ref<T> As(const CheckContext& c) {
  return Ref<T>(c.Object());
}

template <class T>
std::size_t Count(BinaryRelIter<T> it) {
  std::size_t n = 0;
  for (; !it.IsEnd(); ++it) ++n;
  return n;
}

// Ids an expression refers to that name no live object.
VoidIDVector DeletedReferences(ARpGateway& rp, const Expr& expr);

// The live siblings of obj (same parent, same type) whose name equals obj's
// under the matching rules (case does not count), obj itself left out.
RpObjectVector SameNamedSiblings(const Ref<ARpObject>& obj);

// Reports siblings with the same name on the later one (by id), naming both:
// (this, earlier) in the message's order.
void ReportDuplicateName(const CheckContext& c);

// The earliest (by id) of obj and its live same-named siblings of its type.
VoidID EarliestSameNamed(const Ref<ARpObject>& obj);

// Sorts findings as ConsistencyMessage::operator< orders them, building the
// texts of the records about one object only while that group is sorted:
// the record's own sort key would keep every text, and the texts of a deep
// chain's qualified names add up to the square of its depth. So the texts
// are first compared with the names of deeply nested objects cut short,
// and in full only where they agree up to a cut.
void SortFindings(std::vector<ConsistencyMessage>& found);

void AddLogicalChecks(std::vector<ConsistencyCheck>& table);
void AddPhysicalChecks(std::vector<ConsistencyCheck>& table);
void AddPresentationChecks(std::vector<ConsistencyCheck>& table);

}  // namespace checks_detail

// Same-named siblings are found once per name and type for the whole run:
// asked for each of n objects that share a name, the siblings would be
// listed n times, n each. Likewise the dimension above a level is found
// once per chain of levels: walked up from each of n nested levels, the
// chain would be walked n times, n/2 levels each.
class CheckRunMemo {
 public:
  VoidID EarliestSameNamed(const Ref<ARpObject>& obj);
  // Whether a sibling of obj of obj's type other than obj is named name
  // (without regard to case, NULs left out).
  bool HasOtherSiblingNamed(const Ref<ARpObject>& obj, const VXString& name);
  // What ALevel::GetDimension answers, the chain walked once.
  ARpObject* DimensionOf(const ARpObject* level);

 private:
  struct SiblingKey {
    const ARpObject* parent;
    TypeID type;
    std::u32string folded;
    bool operator==(const SiblingKey&) const = default;
  };
  struct SiblingKeyHash {
    std::size_t operator()(const SiblingKey& k) const;
  };
  std::unordered_map<const ARpObject*, VoidID> m_earliest;
  // The first two siblings of each name asked for: enough to tell whether
  // one other than the asking object exists.
  std::unordered_map<SiblingKey, std::vector<const ARpObject*>, SiblingKeyHash> m_named;
  std::unordered_map<const ARpObject*, ARpObject*> m_dimension;
};
