#include "RpModel.h"

#include <algorithm>

#include "ObjectKeeper.h"
#include "TypeTable.h"
#include "Utility/VXStringCaseInsensitive.h"
#include "objectmodel/NamePathWalk.h"
#include "objectmodel/Networker.h"

namespace {
constexpr const char* kSrc = "server/objectmodel/RpModel.cpp";
}  // namespace

RpModel::RpModel(ARpGateway& home) : m_home(home), m_keeper(ObjectKeeper::Create()) {}

RpModel::~RpModel() {
  std::vector<ARpObject*> all;
  m_byID.GetAll(all);
  for (ARpObject* obj : all) {
    obj->m_state.fetch_or(ARpObject::kDeletedBit, std::memory_order_release);
    obj->m_pParent = nullptr;
    if (obj->m_extra) obj->m_extra->m_children.clear();
  }
  // Freed now, or by the last handle onto any of them.
  m_keeper->Retire(std::move(all));
}

ARpObject* RpModel::NewObject(const RpTypeInfo& info, const VoidID& id) {
  // Objects a load creates are made together in a pool (see Load); those
  // made one by one as the repository is edited are the heap's, so that
  // deleting them gives their memory back (once no handle is held, see
  // ObjectKeeper).
  ARpObject* obj = info.m_create(nullptr);
  obj->m_keeper = m_keeper;
  // With its id from the start, an object refused at once is deleted as
  // one of its type.
  obj->m_id = id;
  return obj;
}

void RpModel::AddToTypeIndex(ARpObject* obj) {
  auto [it, inserted] = m_byType.try_emplace(obj->GetTypeID());
  if (inserted) m_typeOrder.push_back(obj->GetTypeID());
  obj->m_typeSlot = static_cast<std::uint32_t>(it->second.m_slots.size());
  it->second.m_slots.push_back(obj);
}

void RpModel::RemoveFromTypeIndex(ARpObject* obj) {
  auto it = m_byType.find(obj->GetTypeID());
  if (it == m_byType.end()) return;
  TypeIndex& ti = it->second;
  if (obj->m_typeSlot < ti.m_slots.size() && ti.m_slots[obj->m_typeSlot] == obj) {
    ti.m_slots[obj->m_typeSlot] = nullptr;
    ++ti.m_dead;
  }
  // Compact when more than half the slots are dead, keeping the order.
  if (ti.m_dead * 2 > ti.m_slots.size()) {
    std::size_t w = 0;
    for (ARpObject* p : ti.m_slots) {
      if (!p) continue;
      p->m_typeSlot = static_cast<std::uint32_t>(w);
      ti.m_slots[w++] = p;
    }
    ti.m_slots.resize(w);
    ti.m_dead = 0;
  }
}

void RpModel::CopyInto(RpModel& to) const {
  // Built as a file is loaded: one batch, the indexes made whole at the
  // end. Types keep their order of first creation, those whose objects are
  // all gone included, and objects their creation order within each type.
  for (TypeID t : m_typeOrder) to.m_byType.try_emplace(t);
  to.m_typeOrder = m_typeOrder;
  using Batch = ARpGateway::LoadBatch;
  Batch batch;
  batch.m_objects.reserve(m_byID.Size());
  // Each object's place in the batch, by type and type slot.
  std::unordered_map<TypeID, std::vector<std::uint32_t>> place;
  std::vector<const ARpObject*> sources;
  sources.reserve(m_byID.Size());
  for (TypeID t : m_typeOrder) {
    const TypeIndex& ti = m_byType.at(t);
    std::vector<std::uint32_t>& at = place[t];
    at.resize(ti.m_slots.size(), Batch::kNoParent);
    for (const ARpObject* p : ti.m_slots) {
      if (!p) continue;
      at[p->m_typeSlot] = static_cast<std::uint32_t>(batch.m_objects.size());
      batch.m_objects.push_back({p->m_id, Batch::kNoParent});
      batch.m_names.push_back(p->m_name);
      sources.push_back(p);
    }
  }
  for (std::uint32_t i = 0; i < sources.size(); ++i) {
    const ARpObject* p = sources[i];
    if (!p->m_extra) continue;
    for (const VXString& a : p->m_extra->m_aliases) batch.m_aliases.push_back({i, a});
    // Each parent's children in their order make the same lists.
    for (const ARpObject* child : p->GetChildPointers()) {
      const std::uint32_t c = place.at(child->GetTypeID())[child->m_typeSlot];
      batch.m_objects[c].m_parent = i;
      batch.m_children.push_back(c);
    }
  }
  const SUHugePages::Vector<ARpObject*> made = to.Load(batch);
  // Values are copied; source definitions are shared, as they are never
  // changed in place.
  for (std::size_t i = 0; i < sources.size(); ++i) {
    if (sources[i]->m_extra && !sources[i]->m_extra->m_props.empty()) {
      made[i]->GetExtra().m_props = sources[i]->m_extra->m_props;
    }
  }
  // Numbers of deleted objects stay taken.
  to.m_nextNum = m_nextNum;
  // Tuples name objects by id, so they copy as they are.
  to.m_tuples = m_tuples;
  to.m_blobs = m_blobs;
  to.m_gatewayType = m_gatewayType;
  to.m_logicalName = m_logicalName;
}

Ref<ARpObject> RpModel::CreateObject(TypeID type, VXString name, const VoidID& parent, const VoidID& requestedID) {
  const RpTypeInfo* info = FindTypeInfo(type);
  if (!info) VXAssert::handleLogicError(kSrc, __LINE__, "unknown object type");
  ARpObject* pParent = nullptr;
  if (!parent.IsNull()) {
    pParent = Find(parent);
    if (!pParent) VXAssert::handleLogicError(kSrc, __LINE__, "parent does not resolve");
    const TypeIDVector& allowed = info->m_parentTypes;
    if (std::find(allowed.begin(), allowed.end(), pParent->GetTypeID()) == allowed.end()) {
      VXAssert::handleLogicError(kSrc, __LINE__, "parent type not allowed for this type");
    }
  }
  ++m_namingRevision;
  std::uint32_t& next = m_nextNum[type];
  VoidID id;
  if (requestedID.IsNull()) {
    if (next == 0) next = 1;
    while (Find(VoidID(type, next))) ++next;
    id = VoidID(type, next++);
  } else {
    if (requestedID.m_interfaceTypeID != type) VXAssert::handleLogicError(kSrc, __LINE__, "id of another type");
    if (Find(requestedID)) VXAssert::handleLogicError(kSrc, __LINE__, "id already taken");
    id = requestedID;
    if (id.m_uniqueNum >= next && id.m_uniqueNum != 0xFFFFFFFFu) next = id.m_uniqueNum + 1;
  }
  ARpObject* obj = NewObject(*info, id);
  obj->m_pRp = &m_home;
  obj->m_name = std::move(name);
  m_byID.InsertUnique(id, obj);
  AddToTypeIndex(obj);
  LinkParent(obj, pParent);
  m_names.IndexName(obj, obj->m_name);
  m_names.IndexChild(obj);
  if (obj->m_name.empty()) ++m_emptyNamed;
  return Ref<ARpObject>(obj);
}

SUHugePages::Vector<ARpObject*> RpModel::Load(ARpGateway::LoadBatch& batch) {
  using Batch = ARpGateway::LoadBatch;
  if (m_byID.Size() != 0 || !m_tuples.IsPristine()) {
    VXAssert::handleLogicError(kSrc, __LINE__, "a batch loads into an empty gateway");
  }
  // Loaded objects are made together and mostly freed together (see
  // ObjectPool).
  ObjectPool* const pool = m_keeper->Pool();
  ++m_namingRevision;
  if (batch.m_names.size() != batch.m_objects.size()) {
    VXAssert::handleLogicError(kSrc, __LINE__, "a batch names each of its objects");
  }
  SUHugePages::Vector<ARpObject*> made(batch.m_objects.size());
  for (std::size_t i = 0; i < batch.m_objects.size(); ++i) {
    const Batch::Object& o = batch.m_objects[i];
    const TypeID type = o.m_id.m_interfaceTypeID;
    if (!m_lastType.m_info || m_lastType.m_type != type) {
      const RpTypeInfo* info = FindTypeInfo(type);
      if (!info) VXAssert::handleLogicError(kSrc, __LINE__, "unknown object type");
      auto [it, inserted] = m_byType.try_emplace(type);
      if (inserted) m_typeOrder.push_back(type);
      m_lastType = LastType{type, info, &m_nextNum[type], &it->second};
    }
    ARpObject* obj = m_lastType.m_info->m_create(pool);
    obj->m_keeper = m_keeper;
    obj->m_state.store(ARpObject::kPooledBit, std::memory_order_relaxed);
    obj->m_id = o.m_id;
    if (!m_byID.InsertUnique(o.m_id, obj)) {
      delete obj;
      VXAssert::handleLogicError(kSrc, __LINE__, "id already taken");
    }
    std::uint32_t& next = *m_lastType.m_next;
    if (o.m_id.m_uniqueNum >= next && o.m_id.m_uniqueNum != 0xFFFFFFFFu) next = o.m_id.m_uniqueNum + 1;
    obj->m_pRp = &m_home;
    obj->m_name = std::move(batch.m_names[i]);
    if (obj->m_name.empty()) ++m_emptyNamed;
    TypeIndex& ti = *m_lastType.m_index;
    obj->m_typeSlot = static_cast<std::uint32_t>(ti.m_slots.size());
    ti.m_slots.push_back(obj);
    made[i] = obj;
  }
  // Each parent's child slots are made at their full length; a child is
  // linked only as it is listed, so that every parent link is in a list.
  const SUHugePages::Vector<std::uint32_t>& children = batch.m_children;
  TypeID allowedFor = 0;
  const TypeIDVector* allowed = nullptr;
  for (std::size_t k = 0; k < children.size();) {
    const std::uint32_t p = batch.m_objects[children[k]].m_parent;
    std::size_t end = k + 1;
    while (end < children.size() && batch.m_objects[children[end]].m_parent == p) ++end;
    if (p >= made.size()) VXAssert::handleLogicError(kSrc, __LINE__, "a child without a parent in the batch");
    ARpObject* parent = made[p];
    std::vector<ARpObject*>& kids = parent->GetExtra().m_children;
    kids.reserve(kids.size() + (end - k));
    for (; k < end; ++k) {
      ARpObject* child = made[children[k]];
      if (!allowed || allowedFor != child->GetTypeID()) {
        allowedFor = child->GetTypeID();
        allowed = &FindTypeInfo(allowedFor)->m_parentTypes;
      }
      if (std::find(allowed->begin(), allowed->end(), parent->GetTypeID()) == allowed->end()) {
        VXAssert::handleLogicError(kSrc, __LINE__, "parent type not allowed for this type");
      }
      if (child->m_pParent) VXAssert::handleLogicError(kSrc, __LINE__, "a child listed twice");
      child->m_pParent = parent;
      child->m_childSlot = static_cast<std::uint32_t>(kids.size());
      kids.push_back(child);
    }
  }
  // A few former names are compared in place, past that a set answers (see
  // AppendAlias).
  constexpr std::size_t kScanLimit = 16;
  for (Batch::Alias& a : batch.m_aliases) made[a.m_object]->GetExtra().m_aliases.push_back(std::move(a.m_text));
  for (const Batch::Alias& a : batch.m_aliases) {
    ARpObject::Extra& extra = *made[a.m_object]->m_extra;
    if (extra.m_aliases.size() > kScanLimit && !extra.m_aliasSet) {
      extra.m_aliasSet = std::make_unique<std::unordered_set<VXString>>(extra.m_aliases.begin(), extra.m_aliases.end());
    }
  }
  std::vector<RpNameIndex::TypeSlots> types;
  types.reserve(m_typeOrder.size());
  for (TypeID t : m_typeOrder) types.emplace_back(t, &m_byType[t].m_slots);
  // Room for every (parent, name) key up front lets the batch go in by the
  // table's own regions.
  m_names.Reserve(m_byID.Size());
  m_names.BuildAll(types, m_byID.Size());
  m_tuples.InsertAtOnce(batch.m_tuples, batch.m_tuples.size());
  return made;
}

bool RpModel::CollectOnPath(const LookupHint& hint, std::vector<ARpObject*>& out) const {
  // The written name of an object is its chain of names with empty levels
  // between them; matching it without regard to case means matching each
  // name so. Where the index cannot decide, the caller visits every object
  // bearing the name instead: for a name with a NUL (written names leave NULs out, so a NUL-only name
  // writes like an empty one); for an empty first segment (it may stand for
  // a NUL-only top-level name, which no index probe finds); and for a name
  // too short to have a parent.
  const std::span<const VXString> path = hint.m_path;
  if (path.size() < 2 || path.front().empty() || path.back().empty()) return false;
  for (const VXString& segment : path) {
    if (segment.find(U'\0') != VXString::npos) return false;
  }
  // Named levels only: an accordion level has no object, and an object with
  // an empty name is a level that drops out (its children are looked for
  // with the same segment).
  std::vector<const VXString*> names;
  for (const VXString& segment : path) {
    if (!segment.empty()) names.push_back(&segment);
  }
  NamePathWalk::Scratch scratch;
  NamePathWalk::Walk(
      names, m_emptyNamed != 0, scratch,
      [this](const ARpObject* parent, const VXString& name, std::vector<ARpObject*>& found) {
        // Named levels match without regard to case; objects that drop out
        // bear exactly the empty name.
        if (name.empty()) {
          m_names.FindChildrenByExactName(parent, name, found);
        } else {
          m_names.FindChildrenByNameNoCase(parent, name, found);
        }
      },
      [&out](const ARpObject*, ARpObject* found) {
        out.push_back(found);
        return true;
      },
      [&](const ARpObject* parent) {
        // A former name is the object's own, not its parents': only the last
        // level is looked for among them (the parent is never null here: the
        // first named level is the first segment).
        if (hint.m_bPathAliases && parent) {
          for (ARpObject* child : parent->GetChildPointers()) {
            if (!child->GetAliasList().empty()) out.push_back(child);
          }
        }
        return true;
      });
  return true;
}

void RpModel::CollectCandidates(const LookupHint& hint, std::vector<ARpObject*>& out) const {
  // Each type once, in the order given; the type order holds each once
  // already, and a hint's few types are checked against those before them
  // rather than copied into a list of their own.
  const std::span<const TypeID> types = hint.m_bHasTypes ? hint.m_types : std::span<const TypeID>(m_typeOrder);
  std::vector<ARpObject*> onPath;
  const bool bOnPath = hint.m_bHasName && hint.m_bHasPath && CollectOnPath(hint, onPath);
  for (auto itType = types.begin(); itType != types.end(); ++itType) {
    const TypeID t = *itType;
    if (hint.m_bHasTypes && std::find(types.begin(), itType, t) != itType) continue;
    if (hint.m_bHasName) {
      const std::size_t first = out.size();
      if (bOnPath) {
        out.insert(out.end(), onPath.begin(), onPath.end());
      } else {
        m_names.FindByName(t, hint.m_name, out);
      }
      // The key is a hash: drop collisions and objects already listed
      // (an object whose name and alias fold alike is indexed twice).
      out.erase(
          std::remove_if(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
                         [&](const ARpObject* p) { return p->GetTypeID() != t || !p->IsNameOrAlias(hint.m_name); }),
          out.end());
      std::sort(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
                [](const ARpObject* a, const ARpObject* b) { return a->m_typeSlot < b->m_typeSlot; });
      out.erase(std::unique(out.begin() + static_cast<std::ptrdiff_t>(first), out.end()), out.end());
    } else {
      auto it = m_byType.find(t);
      if (it == m_byType.end()) continue;
      for (ARpObject* p : it->second.m_slots) {
        if (p) out.push_back(p);
      }
    }
  }
}

void RpModel::LookupObjects(const ACondition& condition, std::vector<ARpObject*>& objects) const {
  objects.clear();
  LookupHint hint;
  if (!condition.GetLookupHint(hint)) hint = LookupHint();
  CollectCandidates(hint, objects);
  std::erase_if(objects, [&](ARpObject* p) { return !condition(Ref<ARpObject>(p)); });
}

void RpModel::FindChildrenByName(const VoidID& parent, TypeID type, const VXString& name, VoidIDVector& out) const {
  ARpObject* p = Find(parent);
  if (!p) return;
  for (ARpObject* c : p->GetChildPointers()) {
    if ((type == 0 || c->GetTypeID() == type) && c->IsNameOrAlias(name)) out.push_back(c->GetID());
  }
}

bool RpModel::RenameObject(const VoidID& id, const VXString& newName, bool bKeepOldAsAlias) {
  ARpObject* p = Find(id);
  if (!p) return false;
  if (p->m_name == newName) return true;
  ++m_namingRevision;
  const VXString old = p->m_name;
  m_names.UnindexName(p, old);
  const bool bIndexed = m_names.UnindexChild(p);
  p->m_name = newName;
  if (bIndexed) m_names.IndexChild(p);
  m_emptyNamed += static_cast<std::size_t>(newName.empty()) - static_cast<std::size_t>(old.empty());
  m_names.IndexName(p, newName);
  if (bKeepOldAsAlias && !VXCaseFold::Equal(old, newName) && !old.empty()) AppendAlias(p, old);
  return true;
}

bool RpModel::AppendAlias(ARpObject* p, const VXString& alias) {
  // A few aliases are compared in place; past that a set answers.
  constexpr std::size_t kScanLimit = 16;
  ARpObject::Extra& extra = p->GetExtra();
  VXStringVector& aliases = extra.m_aliases;
  if (extra.m_aliasSet) {
    if (!extra.m_aliasSet->insert(alias).second) return false;
  } else {
    if (std::find(aliases.begin(), aliases.end(), alias) != aliases.end()) return false;
    if (aliases.size() >= kScanLimit) {
      extra.m_aliasSet = std::make_unique<std::unordered_set<VXString>>(aliases.begin(), aliases.end());
      extra.m_aliasSet->insert(alias);
    }
  }
  aliases.push_back(alias);
  m_names.IndexName(p, alias);
  return true;
}

bool RpModel::AddAlias(const VoidID& id, const VXString& alias) {
  ARpObject* p = Find(id);
  if (!p || alias.empty()) return false;
  return AppendAlias(p, alias);
}

void RpModel::GetObjectIDsOfType(TypeID type, VoidIDVector& ids) const {
  auto it = m_byType.find(type);
  if (it == m_byType.end()) return;
  for (ARpObject* p : it->second.m_slots) {
    if (p) ids.push_back(p->GetID());
  }
}

void RpModel::SetObjectParent(ARpObject* child, ARpObject* newParent) {
  if (!child || child->m_pParent == newParent) return;
  ++m_namingRevision;
  if (newParent) {
    const RpTypeInfo* info = FindTypeInfo(child->GetTypeID());
    const TypeIDVector& allowed = info->m_parentTypes;
    if (std::find(allowed.begin(), allowed.end(), newParent->GetTypeID()) == allowed.end()) {
      VXAssert::handleLogicError(kSrc, __LINE__, "parent type not allowed for this type");
    }
    // Only an object with children can be an ancestor of its new parent;
    // a file that links a deep chain top-down never walks it.
    if (newParent == child || (child->m_extra && !child->m_extra->m_children.empty())) {
      for (ARpObject* a = newParent; a; a = a->m_pParent) {
        if (a == child) VXAssert::handleLogicError(kSrc, __LINE__, "an object cannot move under itself");
      }
    }
  }
  const bool bIndexed = m_names.UnindexChild(child);
  LinkParent(child, newParent);
  if (bIndexed) m_names.IndexChild(child);
}

void RpModel::LinkParent(ARpObject* child, ARpObject* newParent) {
  if (ARpObject* old = child->m_pParent) DropChildSlot(old, child);
  child->m_pParent = newParent;
  if (newParent) {
    auto& kids = newParent->GetExtra().m_children;
    child->m_childSlot = static_cast<std::uint32_t>(kids.size());
    kids.push_back(child);
  }
}

void RpModel::DropChildSlot(ARpObject* parent, ARpObject* child) {
  ARpObject::Extra& extra = *parent->m_extra;
  auto& kids = extra.m_children;
  kids[child->m_childSlot] = nullptr;
  ++extra.m_deadChildren;
  // The last slot stays filled, so that the last child is at hand.
  while (!kids.empty() && kids.back() == nullptr) {
    kids.pop_back();
    --extra.m_deadChildren;
  }
  if (extra.m_deadChildren > 16 && extra.m_deadChildren * 2 > kids.size()) CompactChildren(parent);
}

void RpModel::CompactChildren(ARpObject* parent) {
  if (!parent->m_extra || parent->m_extra->m_deadChildren == 0) return;
  auto& kids = parent->m_extra->m_children;
  std::size_t w = 0;
  for (ARpObject* c : kids) {
    if (!c) continue;
    c->m_childSlot = static_cast<std::uint32_t>(w);
    kids[w++] = c;
  }
  kids.resize(w);
  parent->m_extra->m_deadChildren = 0;
}

bool RpModel::MoveChild(const VoidID& childID, std::ptrdiff_t delta) {
  ARpObject* child = Find(childID);
  if (!child || !child->m_pParent || delta == 0) return false;
  CompactChildren(child->m_pParent);
  auto& kids = child->m_pParent->m_extra->m_children;
  const auto from = static_cast<std::ptrdiff_t>(child->m_childSlot);
  const auto to = std::clamp<std::ptrdiff_t>(from + delta, 0, static_cast<std::ptrdiff_t>(kids.size()) - 1);
  if (to == from) return false;
  if (to < from) {
    std::rotate(kids.begin() + to, kids.begin() + from, kids.begin() + from + 1);
  } else {
    std::rotate(kids.begin() + from, kids.begin() + from + 1, kids.begin() + to + 1);
  }
  for (std::ptrdiff_t i = std::min(from, to); i <= std::max(from, to); ++i) {
    kids[static_cast<std::size_t>(i)]->m_childSlot = static_cast<std::uint32_t>(i);
  }
  return true;
}

// ---- deletion ----------------------------------------------------------------

void RpModel::RemoveOne(ARpObject* obj, VoidIDVector& removed) {
  ++m_namingRevision;
  const VoidID id = obj->GetID();
  if (ARpObject* parent = obj->m_pParent; parent && !parent->IsDeleted()) DropChildSlot(parent, obj);
  m_names.UnindexChild(obj);
  if (obj->m_name.empty()) --m_emptyNamed;
  obj->m_pParent = nullptr;
  if (obj->m_extra) {
    // The children become top-level objects; those removed already (parts
    // of one cascade) are out of the index and stay out.
    for (ARpObject* c : obj->m_extra->m_children) {
      if (!c) continue;
      const bool bIndexed = m_names.UnindexChild(c);
      c->m_pParent = nullptr;
      if (bIndexed) m_names.IndexChild(c);
    }
    obj->m_extra->m_children.clear();
    obj->m_extra->m_deadChildren = 0;
    for (const VXString& a : obj->m_extra->m_aliases) m_names.UnindexName(obj, a);
  }
  m_names.UnindexName(obj, obj->m_name);
  RemoveFromTypeIndex(obj);
  m_tuples.Detach(id);
  removed.push_back(id);
  m_byID.Erase(id, obj);
  // Handles may still hold it: the keeper frees it once none can.
  m_keeper->Bury(obj);
}

bool RpModel::DeleteObject(const VoidID& id, bool bCascade, VoidIDVector& removed) {
  ARpObject* obj = Find(id);
  if (!obj) return false;
  std::vector<ARpObject*> doomed{obj};
  if (bCascade) {
    RpObjectVector dependents;
    Ref<ARpObject> root(obj);
    RpObjectDeleteContext context(root);
    ANetworker::ForType(obj->GetTypeID()).GetDeleteDependents(&m_home, root, dependents, context);
    for (const Ref<ARpObject>& d : dependents) {
      if (ARpObject* p = d.Get()) doomed.push_back(p);
    }
  }
  // Mark first, so that removing one object does not tidy up the child list
  // of a parent that goes too.
  for (ARpObject* p : doomed) p->m_state.fetch_or(ARpObject::kDeletedBit, std::memory_order_release);
  for (ARpObject* p : doomed) RemoveOne(p, removed);
  // An edit has the model to itself: with no handle held anywhere, nothing
  // can reach the deleted objects any more.
  m_keeper->FreeBuriedIfUnheld();
  return true;
}

// ---- relations ---------------------------------------------------------------

std::uint32_t RpModel::InsertTuple(RelID rel, const VoidIDVector& args) {
  const RpRel::RelationInfo* info = RpRel::GetRelationInfo(rel);
  if (!info || static_cast<int>(args.size()) != info->m_arity) return ARpGateway::kNoTuple;
  for (const VoidID& a : args) {
    if (!Find(a)) return ARpGateway::kNoTuple;
  }
  if (rel == RpRel::kContainment) {
    ARpObject* parent = Find(args[0]);
    ARpObject* child = Find(args[1]);
    const TypeIDVector& allowed = FindTypeInfo(child->GetTypeID())->m_parentTypes;
    if (std::find(allowed.begin(), allowed.end(), parent->GetTypeID()) == allowed.end()) return ARpGateway::kNoTuple;
    SetObjectParent(child, parent);
    return ARpGateway::kContainmentTuple;
  }
  return m_tuples.Insert(rel, args);
}

std::size_t RpModel::InsertTuples(std::vector<RelTuple>& tuples) {
  std::size_t done = 0;
  if (m_tuples.IsPristine()) {
    // The run that InsertTuple would take as it is: plain tuples whose
    // arguments all resolve. Their slots are fetched a few tuples ahead.
    constexpr std::size_t kAhead = 8;
    for (; done < tuples.size(); ++done) {
      if (done + kAhead < tuples.size()) {
        for (const VoidID& a : tuples[done + kAhead].m_args) m_byID.Prefetch(a);
      }
      const RelTuple& t = tuples[done];
      const RpRel::RelationInfo* info = RpRel::GetRelationInfo(t.m_rel);
      if (!info || t.m_rel == RpRel::kContainment || t.m_args.empty() ||
          static_cast<int>(t.m_args.size()) != info->m_arity) {
        break;
      }
      if (!std::all_of(t.m_args.begin(), t.m_args.end(), [&](const VoidID& a) { return Find(a) != nullptr; })) break;
    }
    m_tuples.InsertAtOnce(tuples, done);
  }
  for (; done < tuples.size(); ++done) {
    if (InsertTuple(tuples[done].m_rel, tuples[done].m_args) == ARpGateway::kNoTuple) break;
  }
  return done;
}

bool RpModel::EraseTuple(RelID rel, const VoidIDVector& args) {
  if (rel == RpRel::kContainment) {
    if (args.size() != 2) return false;
    ARpObject* parent = Find(args[0]);
    ARpObject* child = Find(args[1]);
    if (!parent || !child || child->m_pParent != parent) return false;
    SetObjectParent(child, nullptr);
    return true;
  }
  return m_tuples.Erase(rel, args);
}

bool RpModel::HasTuple(RelID rel, const VoidIDVector& args) const {
  if (rel == RpRel::kContainment) {
    if (args.size() != 2) return false;
    ARpObject* child = args[1].IsNull() ? nullptr : Find(args[1]);
    if (child) return child->m_pParent && (args[0].IsNull() || child->m_pParent->GetID() == args[0]);
    ARpObject* parent = args[0].IsNull() ? nullptr : Find(args[0]);
    return parent && args[1].IsNull() && !parent->GetChildPointers().empty();
  }
  return m_tuples.Has(rel, args);
}

bool RpModel::MoveTuple(RelID rel, const VoidIDVector& args, int delta) {
  if (rel == RpRel::kContainment) {
    if (args.size() != 2 || !HasTuple(rel, args)) return false;
    return MoveChild(args[1], delta);
  }
  return m_tuples.Move(rel, args, delta);
}
