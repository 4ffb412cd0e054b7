// Relations between repository objects: ordered n-ary tuples, each of one
// relationship (RelID) with its system number, indexed by every participating
// object. Containment (an object's parent link) is relationship 1 and is kept
// in the objects themselves (parent pointer, ordered child list) so that the
// many leaf objects pay no tuple for it; every other relationship lives in the
// gateway's tuple store. Both are walked with the same iterators.
//
//   BinaryRelIter<AColumn> it = table->GetColumns();
//   for (it.ToBegin(); !it.IsEnd(); ++it) names.push_back((*it)->GetName());
//   ARelation::InsertRelationship(RpRel::kLogicalToPresentationColumn, {logicalCol, presCol});
//
// System numbers (argument positions from 0; "sorted": the argument whose
// objects see the tuples in a user-controlled order; "delete": which
// argument goes when another one is deleted, "own" by the model's rule,
// "pred" as the installed delete-dependency predicate decides):
//
//   No. relationship                      args                                       sorted  delete
//     1 containment (parent link)         parent, child                              0       own 0 -> 1, whole subtree
//    30 logical to presentation column    AAttribute, AFolderAttr                    0       own 0 -> 1
//    31 alias column to source column     AColumn (alias), AColumn (source)          1       own 1 -> 0
//    32 logical to presentation level     ALevel, APresentationLevel                 0       own 0 -> 1
//    33 presentation level columns        APresentationLevel, AFolderAttr            0       -
//    34 preferred drill-down              ALevel (from), ALevel (to)                 0       -
//    35 security role users               ASecurityRole, AUser                       0       -
//    36 child security roles              ASecurityRole (parent), (child)            0       -
//    37 physical display folder tables    APhysicalDisplayFolder, ATable             0       -
//    38 logical display folder tables     ALogicalDisplayFolder, ALogicalTable       0       -
//    39 physical dimension hierarchies    APhysicalDimension, AHierarchy             0       -
//    40 physical complex join             ATable, ATable, AComplexJoin               0       pred 0 or 1 -> 2
//    41 physical foreign key reference    ATable, ATableKey, AForeignKey             0       pred 1 -> 2
//    42 physical foreign key columns      AForeignKey, AColumn                       0       -
//    43 logical foreign key columns       ALogicalForeignKey, AAttribute             0       -
//    44 logical foreign key reference     ALogicalTable, AKey, ALogicalForeignKey    0       own 1 -> 2
//    45 role player of a logical join     ARole, AEntity / ALogicalTable             0       -
//    46 project included objects          AProject, presentation object              0       -
//    47 project excluded objects          AProject, presentation object              0       -
//    48 AW column link                    AAWColumn, AAWHierarchy / AAWLevel         0       -
//    49 physical dimension cube columns   APhysicalDimension, ACubeColumn            0       -
//    50 logical level attributes          ALevel, AAttribute                         0       -
//    51 user read denials                 AUser, any object the user may not read    0       -
//   109 level parent link                 ALevel, ARole (of an ALevelToLevel)        0       pred 0 -> 1; 1 -> 0
//   111 presentation hierarchy dimension  APresentationHierarchy, ADimension         0       pred 1 -> 0
//   329 key column                        AColumn / AAttribute, ATableKey / AKey     1       pred 0 -> 1
//
// The five "pred" numbers need knowledge the model does not have (a role's
// cardinality, whether a key's table goes anyway), so the host's predicate
// (ANetworker::global_specialDeleteDependencyPredicate) decides them: a
// complex join cannot live without either table; a foreign key without the
// key it references; a level, under a role of many-cardinality, without its
// last parent link (and a level's parent-link roles go with it); a
// presentation hierarchy without its dimension; a key without one of its
// columns, unless the key's container is going already (then by containment).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "objectmodel/Ref.h"

class RelID {
 public:
  std::int32_t m_systemID = 0;

  constexpr RelID() = default;
  constexpr explicit RelID(std::int32_t systemID) : m_systemID(systemID) {}
  constexpr int GetInternalSystemRelationshipID() const { return m_systemID; }
  constexpr bool IsNull() const { return m_systemID == 0; }
  friend constexpr bool operator==(RelID a, RelID b) { return a.m_systemID == b.m_systemID; }
  friend constexpr bool operator<(RelID a, RelID b) { return a.m_systemID < b.m_systemID; }
};

namespace RpRel {
constexpr RelID kContainment{1};
constexpr RelID kLogicalToPresentationColumn{30};
constexpr RelID kAliasToSourceColumn{31};
constexpr RelID kLogicalToPresentationLevel{32};
constexpr RelID kPresentationLevelColumns{33};
constexpr RelID kPreferredDrilldown{34};
constexpr RelID kSecurityRoleUsers{35};
constexpr RelID kChildSecurityRoles{36};
constexpr RelID kPhysicalDisplayFolderTables{37};
constexpr RelID kLogicalDisplayFolderTables{38};
constexpr RelID kPhysicalDimensionHierarchies{39};
constexpr RelID kComplexJoin{40};
constexpr RelID kForeignKeyReference{41};
constexpr RelID kForeignKeyColumns{42};
constexpr RelID kLogicalForeignKeyColumns{43};
constexpr RelID kLogicalForeignKeyReference{44};
constexpr RelID kRolePlayer{45};
constexpr RelID kProjectIncluded{46};
constexpr RelID kProjectExcluded{47};
constexpr RelID kAWColumnLink{48};
constexpr RelID kPhysicalDimensionCubeColumns{49};
constexpr RelID kLevelAttributes{50};
constexpr RelID kUserReadDenials{51};
constexpr RelID kLevelParentLink{109};
constexpr RelID kPresentationHierarchyDimension{111};
constexpr RelID kKeyColumn{329};

// One row of the relationship table above.
struct RelationInfo {
  std::int32_t m_systemID;
  const char* m_name;
  int m_arity;
  int m_sortedArg;
  // The model's own delete rule: deleting the object at m_ownDeleteFrom also
  // deletes the object at m_ownDeleteTo (-1: no own rule).
  int m_ownDeleteFrom;
  int m_ownDeleteTo;
};
// The row of rel, or null for an unknown relationship.
const RelationInfo* GetRelationInfo(RelID rel);
const std::vector<RelationInfo>& AllRelations();
}  // namespace RpRel

// An iterator over the objects related to one object (the anchor): a
// snapshot of the related ids taken when the iterator is made (or after it
// changes the relation itself), so walking it never sees a half-changed list
// and never touches a freed object. Three sources: the tuples of a relation
// in which the anchor stands at one of some argument positions (the related
// object being the one at the target position), the anchor's children of
// some types (containment), or a fixed list of ids.
class VoidRelIter {
 public:
  VoidRelIter() = default;
  // Tuples of rel with the anchor at any argument in anchorArgs.
  VoidRelIter(ARpGateway* pRp, const VoidID& anchor, RelID rel, std::initializer_list<int> anchorArgs, int targetArg);
  // The anchor's children whose type is one of types (all children when empty).
  static VoidRelIter Children(ARpGateway* pRp, const VoidID& anchor, std::vector<TypeID> types);
  // A fixed list (a computed set such as all levels of a dimension).
  static VoidRelIter FromIDs(ARpGateway* pRp, VoidIDVector ids);

  VoidRelIter& ToBegin() {
    m_pos = 0;
    return *this;
  }
  VoidRelIter& ToEnd() {
    m_pos = m_elems.size();
    return *this;
  }
  bool IsEnd() const { return m_pos >= m_elems.size(); }
  explicit operator bool() const { return !IsEnd(); }
  VoidRelIter& operator++() {
    if (m_pos < m_elems.size()) ++m_pos;
    return *this;
  }
  // Same relation view of the same anchor, at the same position.
  bool operator==(const VoidRelIter& o) const;
  std::size_t Size() const { return m_elems.size(); }
  std::size_t GetPosition() const { return m_pos; }
  void SetPosition(std::size_t pos) { m_pos = pos < m_elems.size() ? pos : m_elems.size(); }

  // The related object at the current position (null at the end).
  Ref<ARpObject> GetObjRef() const;
  VoidID GetTargetID() const { return IsEnd() ? VoidID::NullID : m_elems[m_pos].m_target; }
  // The object at argument position arg of the current tuple; for children
  // argument 0 is the parent and 1 the child. Null at the end or off range.
  Ref<ARpObject> GetArgObjRef(int arg) const;
  const VoidIDVector& GetIDs() const;
  VoidIDVector GetTargetIDs() const;

  // Whether a tuple of this relation holds the given ids. A vector as long as
  // the relation's arity is matched position by position; a two-element
  // vector is (anchor side, target side) of this view. VoidID::NullID in the
  // vector matches anything.
  bool IsExistingRelationship(const VoidIDVector& ids) const;

  // Changes go to the repository and the snapshot is refreshed.
  // Insert appends a link from the anchor to obj (for children: obj moves
  // under the anchor); false when the model refuses it (wrong type, fixed
  // list, unresolvable object). The iterator is left at the new element.
  bool Insert(const Ref<ARpObject>& obj);
  // Erases the link at the current position; the iterator then stands on
  // the element that followed it. An erased child is left without parent.
  bool Erase();
  // Moves the current element up (towards the first) or down by steps
  // places, stopping at the ends; the iterator follows the element.
  bool MoveUp(std::size_t steps = 1);
  bool MoveDown(std::size_t steps = 1);

  RelID GetRelID() const { return m_rel; }
  const VoidID& GetAnchorID() const { return m_anchor; }
  ARpGateway* GetGateway() const { return m_pRp; }

 protected:
  enum class Source : std::uint8_t { kNone, kRelation, kChildren, kFixed };
  struct Elem {
    VoidID m_target;
    std::uint32_t m_tuple;  // tuple handle (relations only)
  };
  void Refresh();
  bool MoveBy(std::ptrdiff_t delta);

  ARpGateway* m_pRp = nullptr;
  VoidID m_anchor;
  RelID m_rel;
  Source m_source = Source::kNone;
  std::uint32_t m_anchorArgMask = 0;
  int m_targetArg = 1;
  std::vector<TypeID> m_types;
  std::vector<Elem> m_elems;
  std::size_t m_pos = 0;
  mutable VoidIDVector m_idCache;
};

template <class T>
class BinaryRelIter : public VoidRelIter {
 public:
  BinaryRelIter() = default;
  BinaryRelIter(VoidRelIter base) : VoidRelIter(std::move(base)) {}  // NOLINT: views share one layout

  Ref<T> operator*() const { return Ref<T>(GetObjRef()); }
  BinaryRelIter& operator++() {
    VoidRelIter::operator++();
    return *this;
  }
  BinaryRelIter& ToBegin() {
    VoidRelIter::ToBegin();
    return *this;
  }
  BinaryRelIter& ToEnd() {
    VoidRelIter::ToEnd();
    return *this;
  }
  bool Insert(const Ref<T>& obj) { return VoidRelIter::Insert(Ref<ARpObject>(obj)); }
  // All related objects, in order, that are of class T.
  void GetAll(std::vector<Ref<T>>& out) const {
    for (const Elem& e : m_elems) {
      Ref<T> r(m_pRp, e.m_target);
      if (!r.IsNull()) out.push_back(r);
    }
  }
};

// Free relation operations on tuples given by their participating objects,
// in argument order. Each answers whether the repository changed.
class ARelation {
 public:
  static bool InsertRelationship(RelID rel, const RpObjectVector& objects);
  static bool EraseRelationship(RelID rel, const RpObjectVector& objects);
  // Moves the tuple one place up (down) in the order that the object at the
  // relation's sorted argument sees.
  static bool MoveUpInSortedRelationship(RelID rel, const RpObjectVector& objects);
  static bool MoveDownInSortedRelationship(RelID rel, const RpObjectVector& objects);
  static bool IsExistingRelationship(RelID rel, const RpObjectVector& objects);
};
