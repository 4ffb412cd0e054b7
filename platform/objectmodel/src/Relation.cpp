#include "objectmodel/Relation.h"

#include <algorithm>

#include "objectmodel/RpGateway.h"

namespace RpRel {

const std::vector<RelationInfo>& AllRelations() {
  // {number, name, arity, sorted argument, own delete rule from -> to}
  static const std::vector<RelationInfo> rows = {
      {1, "containment", 2, 0, 0, 1},
      {30, "logical column to presentation column", 2, 0, 0, 1},
      {31, "alias column to source column", 2, 1, 1, 0},
      {32, "logical level to presentation level", 2, 0, 0, 1},
      {33, "presentation level columns", 2, 0, -1, -1},
      {34, "preferred drill-down", 2, 0, -1, -1},
      {35, "security role users", 2, 0, -1, -1},
      {36, "child security roles", 2, 0, -1, -1},
      {37, "physical display folder tables", 2, 0, -1, -1},
      {38, "logical display folder tables", 2, 0, -1, -1},
      {39, "physical dimension hierarchies", 2, 0, -1, -1},
      {40, "physical complex join", 3, 0, -1, -1},
      {41, "physical foreign key reference", 3, 0, -1, -1},
      {42, "physical foreign key columns", 2, 0, -1, -1},
      {43, "logical foreign key columns", 2, 0, -1, -1},
      {44, "logical foreign key reference", 3, 0, 1, 2},
      {45, "role player", 2, 0, -1, -1},
      {46, "project included objects", 2, 0, -1, -1},
      {47, "project excluded objects", 2, 0, -1, -1},
      {48, "AW column link", 2, 0, -1, -1},
      {49, "physical dimension cube columns", 2, 0, -1, -1},
      {50, "logical level attributes", 2, 0, -1, -1},
      {51, "user read denials", 2, 0, -1, -1},
      {109, "level parent link", 2, 0, -1, -1},
      {111, "presentation hierarchy dimension", 2, 0, -1, -1},
      {329, "key column", 2, 1, -1, -1},
  };
  return rows;
}

const RelationInfo* GetRelationInfo(RelID rel) {
  for (const RelationInfo& r : AllRelations()) {
    if (r.m_systemID == rel.m_systemID) return &r;
  }
  return nullptr;
}

}  // namespace RpRel

VoidRelIter::VoidRelIter(ARpGateway* pRp, const VoidID& anchor, RelID rel, std::initializer_list<int> anchorArgs,
                         int targetArg)
    : m_pRp(pRp), m_anchor(anchor), m_rel(rel), m_source(Source::kRelation), m_targetArg(targetArg) {
  for (int a : anchorArgs) {
    if (a >= 0 && a < 32) m_anchorArgMask |= 1u << a;
  }
  if (rel == RpRel::kContainment) {
    // Containment seen from the parent is the child list; from the child it
    // is the one parent.
    if (m_anchorArgMask == 1u && targetArg == 1) m_source = Source::kChildren;
  }
  Refresh();
}

VoidRelIter VoidRelIter::Children(ARpGateway* pRp, const VoidID& anchor, std::vector<TypeID> types) {
  VoidRelIter it;
  it.m_pRp = pRp;
  it.m_anchor = anchor;
  it.m_rel = RpRel::kContainment;
  it.m_source = Source::kChildren;
  it.m_anchorArgMask = 1u;
  it.m_targetArg = 1;
  it.m_types = std::move(types);
  it.Refresh();
  return it;
}

VoidRelIter VoidRelIter::FromIDs(ARpGateway* pRp, VoidIDVector ids) {
  VoidRelIter it;
  it.m_pRp = pRp;
  it.m_source = Source::kFixed;
  it.m_elems.reserve(ids.size());
  for (const VoidID& id : ids) it.m_elems.push_back({id, ARpGateway::kNoTuple});
  return it;
}

void VoidRelIter::Refresh() {
  m_elems.clear();
  if (!m_pRp) return;
  if (m_source == Source::kChildren) {
    Ref<ARpObject> anchor = m_pRp->GetObject(m_anchor);
    if (anchor.IsNull()) return;
    for (ARpObject* child : anchor->GetChildPointers()) {
      if (m_types.empty() || std::find(m_types.begin(), m_types.end(), child->GetTypeID()) != m_types.end()) {
        m_elems.push_back({child->GetID(), ARpGateway::kNoTuple});
      }
    }
  } else if (m_source == Source::kRelation) {
    if (m_rel == RpRel::kContainment) {
      // Seen from the child: its parent.
      Ref<ARpObject> anchor = m_pRp->GetObject(m_anchor);
      if (!anchor.IsNull() && anchor->GetParentPointer() && m_targetArg == 0) {
        m_elems.push_back({anchor->GetParentPointer()->GetID(), ARpGateway::kNoTuple});
      }
      return;
    }
    std::vector<std::uint32_t> handles;
    m_pRp->FindTuples(m_anchor, m_rel, m_anchorArgMask, handles);
    for (std::uint32_t h : handles) {
      const ARpGateway::RelTuple* t = m_pRp->GetTuple(h);
      if (!t || m_targetArg < 0 || static_cast<std::size_t>(m_targetArg) >= t->m_args.size()) continue;
      m_elems.push_back({t->m_args[static_cast<std::size_t>(m_targetArg)], h});
    }
  }
  m_idCache.clear();
}

bool VoidRelIter::operator==(const VoidRelIter& o) const {
  return m_pRp == o.m_pRp && m_anchor == o.m_anchor && m_rel == o.m_rel && m_source == o.m_source &&
         m_targetArg == o.m_targetArg && m_anchorArgMask == o.m_anchorArgMask &&
         std::min(m_pos, m_elems.size()) == std::min(o.m_pos, o.m_elems.size());
}

Ref<ARpObject> VoidRelIter::GetObjRef() const {
  if (IsEnd() || !m_pRp) return Ref<ARpObject>();
  return m_pRp->GetObject(m_elems[m_pos].m_target);
}

Ref<ARpObject> VoidRelIter::GetArgObjRef(int arg) const {
  if (IsEnd() || !m_pRp || arg < 0) return Ref<ARpObject>();
  const Elem& e = m_elems[m_pos];
  if (m_source == Source::kChildren) {
    if (arg == 0) return m_pRp->GetObject(m_anchor);
    if (arg == 1) return m_pRp->GetObject(e.m_target);
    return Ref<ARpObject>();
  }
  if (m_source == Source::kFixed) return arg == 0 ? m_pRp->GetObject(e.m_target) : Ref<ARpObject>();
  if (e.m_tuple == ARpGateway::kNoTuple) {
    // Containment seen from the child: (parent, child).
    if (arg == 0) return m_pRp->GetObject(e.m_target);
    if (arg == 1) return m_pRp->GetObject(m_anchor);
    return Ref<ARpObject>();
  }
  const ARpGateway::RelTuple* t = m_pRp->GetTuple(e.m_tuple);
  if (!t || static_cast<std::size_t>(arg) >= t->m_args.size()) return Ref<ARpObject>();
  return m_pRp->GetObject(t->m_args[static_cast<std::size_t>(arg)]);
}

const VoidIDVector& VoidRelIter::GetIDs() const {
  if (m_idCache.size() != m_elems.size()) {
    m_idCache.clear();
    for (const Elem& e : m_elems) m_idCache.push_back(e.m_target);
  }
  return m_idCache;
}

VoidIDVector VoidRelIter::GetTargetIDs() const { return GetIDs(); }

bool VoidRelIter::IsExistingRelationship(const VoidIDVector& ids) const {
  if (!m_pRp) return false;
  if (m_source == Source::kChildren) {
    if (ids.size() != 2) return false;
    if (!ids[0].IsNull() && ids[0] != m_anchor) return false;
    for (const Elem& e : m_elems) {
      if (ids[1].IsNull() || e.m_target == ids[1]) return true;
    }
    return false;
  }
  if (m_source != Source::kRelation) return false;
  const RpRel::RelationInfo* info = RpRel::GetRelationInfo(m_rel);
  if (!info) return false;
  if (static_cast<int>(ids.size()) == info->m_arity) return m_pRp->HasTuple(m_rel, ids);
  if (ids.size() != 2) return false;
  // (anchor side, target side): any tuple of this relation that holds the
  // first id at one of the anchor positions and the second at the target.
  std::vector<std::uint32_t> handles;
  const VoidID& anchorSide = ids[0].IsNull() ? m_anchor : ids[0];
  m_pRp->FindTuples(anchorSide, m_rel, m_anchorArgMask, handles);
  for (std::uint32_t h : handles) {
    const ARpGateway::RelTuple* t = m_pRp->GetTuple(h);
    if (!t || static_cast<std::size_t>(m_targetArg) >= t->m_args.size()) continue;
    if (ids[1].IsNull() || t->m_args[static_cast<std::size_t>(m_targetArg)] == ids[1]) return true;
  }
  return false;
}

bool VoidRelIter::Insert(const Ref<ARpObject>& obj) {
  if (!m_pRp || obj.IsNull()) return false;
  if (m_source == Source::kChildren) {
    Ref<ARpObject> anchor = m_pRp->GetObject(m_anchor);
    if (anchor.IsNull()) return false;
    if (!m_types.empty() && std::find(m_types.begin(), m_types.end(), obj->GetTypeID()) == m_types.end()) {
      return false;
    }
    m_pRp->SetObjectParent(obj.Get(), anchor.Get());
    Refresh();
    m_pos = m_elems.empty() ? 0 : m_elems.size() - 1;
    return true;
  }
  if (m_source != Source::kRelation) return false;
  const RpRel::RelationInfo* info = RpRel::GetRelationInfo(m_rel);
  if (!info || info->m_arity != 2) return false;
  int anchorArg = 0;
  while (anchorArg < 32 && !(m_anchorArgMask & (1u << anchorArg))) ++anchorArg;
  if (anchorArg >= 2 || m_targetArg == anchorArg || m_targetArg < 0 || m_targetArg >= 2) return false;
  VoidIDVector args(2);
  args[static_cast<std::size_t>(anchorArg)] = m_anchor;
  args[static_cast<std::size_t>(m_targetArg)] = obj.GetID();
  if (m_pRp->InsertTuple(m_rel, args) == ARpGateway::kNoTuple) return false;
  Refresh();
  for (std::size_t i = 0; i < m_elems.size(); ++i) {
    if (m_elems[i].m_target == obj.GetID()) m_pos = i;
  }
  return true;
}

bool VoidRelIter::Erase() {
  if (IsEnd() || !m_pRp) return false;
  const std::size_t pos = m_pos;
  bool bDone = false;
  if (m_source == Source::kChildren) {
    Ref<ARpObject> child = m_pRp->GetObject(m_elems[pos].m_target);
    if (!child.IsNull()) {
      m_pRp->SetObjectParent(child.Get(), nullptr);
      bDone = true;
    }
  } else if (m_source == Source::kRelation && m_elems[pos].m_tuple != ARpGateway::kNoTuple) {
    bDone = m_pRp->EraseTuple(m_elems[pos].m_tuple);
  }
  if (bDone) {
    Refresh();
    m_pos = std::min(pos, m_elems.size());
  }
  return bDone;
}

bool VoidRelIter::MoveBy(std::ptrdiff_t delta) {
  if (IsEnd() || !m_pRp || delta == 0) return false;
  const VoidID target = m_elems[m_pos].m_target;
  const std::uint32_t tuple = m_elems[m_pos].m_tuple;
  bool bMoved = false;
  if (m_source == Source::kChildren) {
    // Move among the shown elements: the child list may hold other types
    // in between, so step over whole neighbours of this view.
    const std::ptrdiff_t from = static_cast<std::ptrdiff_t>(m_pos);
    std::ptrdiff_t to = std::clamp<std::ptrdiff_t>(from + delta, 0, static_cast<std::ptrdiff_t>(m_elems.size()) - 1);
    if (to == from) return false;
    const VoidID neighbour = m_elems[static_cast<std::size_t>(to)].m_target;
    Ref<ARpObject> anchor = m_pRp->GetObject(m_anchor);
    if (anchor.IsNull()) return false;
    std::ptrdiff_t iFrom = -1, iTo = -1, i = 0;
    for (const ARpObject* kid : anchor->GetChildPointers()) {
      if (kid->GetID() == target) iFrom = i;
      if (kid->GetID() == neighbour) iTo = i;
      ++i;
    }
    if (iFrom < 0 || iTo < 0) return false;
    bMoved = m_pRp->MoveChild(target, iTo - iFrom);
  } else if (m_source == Source::kRelation && tuple != ARpGateway::kNoTuple) {
    bMoved = m_pRp->MoveTupleByHandle(tuple, delta);
  }
  if (!bMoved) return false;
  Refresh();
  for (std::size_t i = 0; i < m_elems.size(); ++i) {
    if (m_elems[i].m_target == target && (tuple == ARpGateway::kNoTuple || m_elems[i].m_tuple == tuple)) m_pos = i;
  }
  return true;
}

bool VoidRelIter::MoveUp(std::size_t steps) { return MoveBy(-static_cast<std::ptrdiff_t>(steps)); }
bool VoidRelIter::MoveDown(std::size_t steps) { return MoveBy(static_cast<std::ptrdiff_t>(steps)); }

namespace {
bool ToIDs(const RpObjectVector& objects, ARpGateway*& pRp, VoidIDVector& ids) {
  pRp = nullptr;
  for (const Ref<ARpObject>& o : objects) {
    if (o.IsNull()) return false;
    if (pRp && o.GetGateway() != pRp) return false;
    pRp = o.GetGateway();
    ids.push_back(o.GetID());
  }
  return pRp != nullptr;
}
}  // namespace

bool ARelation::InsertRelationship(RelID rel, const RpObjectVector& objects) {
  ARpGateway* pRp;
  VoidIDVector ids;
  if (!ToIDs(objects, pRp, ids)) return false;
  return pRp->InsertTuple(rel, ids) != ARpGateway::kNoTuple;
}

bool ARelation::EraseRelationship(RelID rel, const RpObjectVector& objects) {
  ARpGateway* pRp;
  VoidIDVector ids;
  if (!ToIDs(objects, pRp, ids)) return false;
  return pRp->EraseTuple(rel, ids);
}

bool ARelation::MoveUpInSortedRelationship(RelID rel, const RpObjectVector& objects) {
  ARpGateway* pRp;
  VoidIDVector ids;
  if (!ToIDs(objects, pRp, ids)) return false;
  return pRp->MoveTuple(rel, ids, -1);
}

bool ARelation::MoveDownInSortedRelationship(RelID rel, const RpObjectVector& objects) {
  ARpGateway* pRp;
  VoidIDVector ids;
  if (!ToIDs(objects, pRp, ids)) return false;
  return pRp->MoveTuple(rel, ids, 1);
}

bool ARelation::IsExistingRelationship(RelID rel, const RpObjectVector& objects) {
  ARpGateway* pRp;
  VoidIDVector ids;
  if (!ToIDs(objects, pRp, ids)) return false;
  return pRp->HasTuple(rel, ids);
}
