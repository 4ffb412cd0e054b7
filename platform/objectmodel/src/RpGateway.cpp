#include "objectmodel/RpGateway.h"

#include <algorithm>
#include <atomic>
#include <string>

#include "RadixSort.h"
#include "TypeTable.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/DataBlobUtil.h"
#include "Utility/VXStringCaseInsensitive.h"
#include "objectmodel/NamePathWalk.h"
#include "objectmodel/Networker.h"

namespace {
constexpr const char* kSrc = "server/objectmodel/RpGateway.cpp";
}

namespace {
// The case-folded code points, NULs left out, two to a step of a 128-bit
// multiply whose halves are folded together: the one pass over a name that
// both name keys start from. Names equal without regard to case (and to
// NULs) hash alike. Taking two code points a step halves the chain of
// multiplies that each of a million names waits on during a load.
std::uint64_t FoldedNameHash(std::u32string_view name) {
  constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
  const auto step = [](std::uint64_t h, std::uint64_t w) {
    const unsigned __int128 p = static_cast<unsigned __int128>(h ^ w) * kMul;
    return static_cast<std::uint64_t>(p) ^ static_cast<std::uint64_t>(p >> 64);
  };
  std::uint64_t h = 1469598103934665603ull;
  // Pairs of ASCII code points other than NUL (most names, whole) take a
  // short path; the first other code point hands the rest of the name to
  // the loop below at a pair's boundary, so the hash is the same.
  std::size_t i = 0;
  for (; i + 1 < name.size(); i += 2) {
    const char32_t a = name[i];
    const char32_t b = name[i + 1];
    if (a - 1 >= 0x7F || b - 1 >= 0x7F) break;
    h = step(h, VXCaseFold::FoldChar(a) | (std::uint64_t{VXCaseFold::FoldChar(b)} << 32));
  }
  std::uint64_t pending = 0;
  bool bHalf = false;
  for (char32_t c : name.substr(i)) {
    if (c == 0) continue;
    const std::uint64_t f = VXCaseFold::FoldChar(c);
    if (bHalf) h = step(h, pending | (f << 32));
    pending = f;
    bHalf = !bHalf;
  }
  // A last code point without a partner is marked above any pair, so that
  // it never hashes like one.
  if (bHalf) h = step(h, pending | (std::uint64_t{1} << 63));
  return step(h, 0);
}
std::uint64_t ChildKeyOf(const ARpObject* parent, std::uint64_t nameHash) {
  return nameHash + static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(parent)) * 0xC2B2AE3D27D4EB4Full;
}
std::uint64_t NameKeyOf(TypeID type, std::uint64_t nameHash) {
  return nameHash ^ static_cast<std::uint64_t>(static_cast<std::uint32_t>(type)) * 0x9E3779B97F4A7C15ull;
}
}  // namespace

// ---- RefHelper --------------------------------------------------------------

ARpObject* RefHelper::GetObjectPointerFromGatway(ARpGateway* pRp, const VoidID& id) {
  return pRp ? pRp->Find(id) : nullptr;
}

void RefHelper::AddRef(ARpGateway* pRp, const VoidID& id) {
  if (ARpObject* p = GetObjectPointerFromGatway(pRp, id)) AddRef(p);
}

void RefHelper::ReleaseRef(ARpGateway* pRp, const VoidID& id) {
  if (ARpObject* p = GetObjectPointerFromGatway(pRp, id)) ReleaseRef(p);
}

void RefHelper::AddRef(ARpObject* pObj) { pObj->m_refCount.fetch_add(1, std::memory_order_relaxed); }

void RefHelper::ReleaseRef(ARpObject* pObj) {
  if (pObj->m_refCount.fetch_sub(1, std::memory_order_acq_rel) == 1) delete pObj;
}

bool RefHelper::IsLive(const ARpObject* pObj) { return !pObj->IsDeleted(); }
ARpGateway* RefHelper::GatewayOf(const ARpObject* pObj) { return pObj->m_pRp; }
VoidID RefHelper::IDOf(const ARpObject* pObj) { return pObj->m_id; }

// ---- objects ---------------------------------------------------------------

namespace {
std::atomic<std::uint64_t> g_nextGatewayInstance{1};
}  // namespace

ARpGateway::ARpGateway() : m_instanceID(g_nextGatewayInstance.fetch_add(1, std::memory_order_relaxed)) {}

void ARpGateway::Reserve(std::size_t count) {
  m_byParentAndName.Reserve(count);
  if (m_bBulkNamesComplete) m_bulkByName.reserve(count);
  if (m_bBulkChildrenComplete) m_bulkByParent.reserve(count);
}

void ARpGateway::BeginBulkLoad() {
  m_bBulkLoad = true;
  m_bulkByName.clear();
  m_bulkByParent.clear();
  m_bBulkNamesComplete = m_byID.Size() == 0;
  m_bBulkChildrenComplete = m_bBulkNamesComplete;
}

void ARpGateway::DropBulkNames() {
  ObjectHashIndex::Batch().swap(m_bulkByName);
  m_bBulkNamesComplete = false;
  DropBulkChildren();
}

void ARpGateway::DropBulkChildren() {
  ObjectHashIndex::Batch().swap(m_bulkByParent);
  m_bBulkChildrenComplete = false;
}

void ARpGateway::EndBulkLoad() {
  // Both name indexes are built here in one go: inserting a million random
  // keys one by one as objects arrive waits on memory for each, while a
  // batch can be put in the order of the table (see InsertAll).
  m_bBulkLoad = false;
  m_byParentAndName.Clear();
  m_byName.Clear();
  // The entries kept on the way are used as they are: no object or name is
  // read again. Those not kept are made now, in creation order, type by
  // type.
  ObjectHashIndex::Batch byParent;
  ObjectHashIndex::Batch byName;
  const bool bNames = !m_bBulkNamesComplete;
  const bool bChildren = !m_bBulkChildrenComplete;
  byName.swap(m_bulkByName);
  byParent.swap(m_bulkByParent);
  if (bNames || bChildren) {
    if (bNames) byName.reserve(m_byID.Size());
    if (bChildren) byParent.reserve(m_byID.Size());
    for (TypeID t : m_typeOrder) {
      for (ARpObject* obj : m_byType[t].m_slots) {
        if (!obj) continue;
        const std::uint64_t h = FoldedNameHash(obj->m_name);
        if (bChildren) byParent.emplace_back(ChildKeyOf(obj->m_pParent, h), obj);
        if (!bNames) continue;
        byName.emplace_back(NameKeyOf(t, h), obj);
        if (obj->m_extra) {
          for (const VXString& a : obj->m_extra->m_aliases) byName.emplace_back(NameKey(t, a), obj);
        }
      }
    }
  }
  DropBulkNames();
  m_byParentAndName.InsertAll(byParent);
  m_byName.InsertAll(byName);
}

std::uint64_t ARpGateway::ChildKey(const ARpObject* parent, const VXString& name) {
  // Case-folded and without NULs, so that one probe finds the names a
  // written name matches as well as the exact one.
  return ChildKeyOf(parent, FoldedNameHash(name));
}

namespace {
// Equal without regard to case, NUL characters left out on both sides.
bool EqualNoCaseNoNul(std::u32string_view a, std::u32string_view b) {
  std::size_t i = 0, j = 0;
  for (;;) {
    while (i < a.size() && a[i] == 0) ++i;
    while (j < b.size() && b[j] == 0) ++j;
    if (i == a.size() || j == b.size()) return i == a.size() && j == b.size();
    if (a[i] != b[j] && VXCaseFold::FoldChar(a[i]) != VXCaseFold::FoldChar(b[j])) return false;
    ++i;
    ++j;
  }
}
}  // namespace

void ARpGateway::IndexChild(ARpObject* obj) {
  if (!m_bBulkLoad) m_byParentAndName.Insert(ChildKey(obj->m_pParent, obj->m_name), obj);
}

bool ARpGateway::UnindexChild(ARpObject* obj) {
  if (!m_bBulkLoad) return m_byParentAndName.Erase(ChildKey(obj->m_pParent, obj->m_name), obj);
  // The object moves or changes its name: its entry kept for the end would
  // be stale, and the end makes them all again.
  if (m_bBulkChildrenComplete) DropBulkChildren();
  return false;
}

void ARpGateway::FindChildrenByExactName(const ARpObject* parent, const VXString& name,
                                         std::vector<ARpObject*>& out) const {
  // Names that share the hash are dropped here.
  const std::size_t first = out.size();
  m_byParentAndName.Find(ChildKey(parent, name), out);
  out.erase(std::remove_if(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
                           [&](const ARpObject* c) { return c->m_pParent != parent || c->m_name != name; }),
            out.end());
}

void ARpGateway::FindChildrenByNameNoCase(const ARpObject* parent, const VXString& name,
                                          std::vector<ARpObject*>& out) const {
  const std::size_t first = out.size();
  m_byParentAndName.Find(ChildKey(parent, name), out);
  out.erase(
      std::remove_if(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
                     [&](const ARpObject* c) { return c->m_pParent != parent || !EqualNoCaseNoNul(c->m_name, name); }),
      out.end());
}

ARpGateway::~ARpGateway() {
  // A repository announced to the repository manager and never closed is
  // closed now, while its objects can still be read.
  RpMgr::CloseIfOpen(*this);
  // Objects still held by handles stay as tombstones until their last
  // handle goes; everything else is freed now.
  std::vector<ARpObject*> all;
  m_byID.GetAll(all);
  for (ARpObject* obj : all) {
    obj->m_state.fetch_or(ARpObject::kDeletedBit, std::memory_order_release);
    obj->m_pParent = nullptr;
    if (obj->m_extra) obj->m_extra->m_children.clear();
  }
  for (ARpObject* obj : all) RefHelper::ReleaseRef(obj);
  // The loaded objects' memory goes with the last of them.
  if (m_pool) m_pool->Release();
}

ARpObject* ARpGateway::NewObject(const RpTypeInfo& info, const VoidID& id) {
  // Objects a bulk load creates are made together and mostly freed together
  // (see ObjectPool); others, made one by one as the repository is edited,
  // are the heap's, so that deleting them gives their memory back.
  ObjectPool* pool = nullptr;
  if (m_bBulkLoad) {
    if (!m_pool) m_pool = ObjectPool::Create();
    pool = m_pool;
  }
  ARpObject* obj = info.m_create(pool);
  obj->m_pool = pool;
  // With its id from the start, an object refused at once is deleted as
  // one of its type.
  obj->m_id = id;
  return obj;
}

ARpObject* ARpGateway::Find(const VoidID& id) const { return m_byID.Find(id); }

std::uint64_t ARpGateway::NameKey(TypeID type, std::u32string_view name) {
  return NameKeyOf(type, FoldedNameHash(name));
}

void ARpGateway::IndexName(ARpObject* obj, const VXString& name, bool bAlias) {
  if (!m_bBulkLoad) {
    m_byName.Insert(NameKey(obj->GetTypeID(), name), obj);
  } else if (m_bBulkNamesComplete) {
    // Keyed now, while the name is at hand. An own name reaches here only
    // as the object is created, already linked: its (parent, name) entry
    // too. Out of memory here, the lists would miss a name: they are
    // dropped, and EndBulkLoad reads every name.
    try {
      const std::uint64_t h = FoldedNameHash(name);
      m_bulkByName.emplace_back(NameKeyOf(obj->GetTypeID(), h), obj);
      if (!bAlias && m_bBulkChildrenComplete) m_bulkByParent.emplace_back(ChildKeyOf(obj->m_pParent, h), obj);
    } catch (...) {
      DropBulkNames();
      throw;
    }
  }
}

void ARpGateway::UnindexName(ARpObject* obj, const VXString& name) {
  if (!m_bBulkLoad) {
    m_byName.Erase(NameKey(obj->GetTypeID(), name), obj);
  } else if (m_bBulkNamesComplete) {
    // A name gone from the list's object: EndBulkLoad reads every name.
    DropBulkNames();
  }
}

void ARpGateway::AddToTypeIndex(ARpObject* obj) {
  auto [it, inserted] = m_byType.try_emplace(obj->GetTypeID());
  if (inserted) m_typeOrder.push_back(obj->GetTypeID());
  obj->m_typeSlot = static_cast<std::uint32_t>(it->second.m_slots.size());
  it->second.m_slots.push_back(obj);
}

void ARpGateway::RemoveFromTypeIndex(ARpObject* obj) {
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

Ref<ARpObject> ARpGateway::CreateObject(TypeID type, VXString name, const VoidID& parent, const VoidID& requestedID) {
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
  obj->m_pRp = this;
  obj->m_name = std::move(name);
  m_byID.InsertUnique(id, obj);
  AddToTypeIndex(obj);
  LinkParent(obj, pParent);
  IndexName(obj, obj->m_name);
  IndexChild(obj);
  if (obj->m_name.empty()) ++m_emptyNamed;
  return Ref<ARpObject>(obj);
}

ARpObject* ARpGateway::CreateObjectWithID(const VoidID& id, VXString&& name, ARpObject* parent) {
  const TypeID type = id.m_interfaceTypeID;
  if (!m_lastType.m_info || m_lastType.m_type != type) {
    const RpTypeInfo* info = FindTypeInfo(type);
    if (!info) VXAssert::handleLogicError(kSrc, __LINE__, "unknown object type");
    m_lastType = LastType{type, info, &m_nextNum[type], nullptr};
  }
  if (parent) {
    const TypeIDVector& allowed = m_lastType.m_info->m_parentTypes;
    if (std::find(allowed.begin(), allowed.end(), parent->GetTypeID()) == allowed.end()) {
      VXAssert::handleLogicError(kSrc, __LINE__, "parent type not allowed for this type");
    }
  }
  ARpObject* obj = NewObject(*m_lastType.m_info, id);
  // One probe both refuses a taken id and finds the slot for a new one.
  if (!m_byID.InsertUnique(id, obj)) {
    delete obj;
    return nullptr;
  }
  ++m_namingRevision;
  std::uint32_t& next = *m_lastType.m_next;
  if (id.m_uniqueNum >= next && id.m_uniqueNum != 0xFFFFFFFFu) next = id.m_uniqueNum + 1;
  obj->m_pRp = this;
  obj->m_name = std::move(name);
  if (!m_lastType.m_index) {
    auto [it, inserted] = m_byType.try_emplace(type);
    if (inserted) m_typeOrder.push_back(type);
    m_lastType.m_index = &it->second;
  }
  TypeIndex& ti = *m_lastType.m_index;
  obj->m_typeSlot = static_cast<std::uint32_t>(ti.m_slots.size());
  ti.m_slots.push_back(obj);
  if (parent) LinkParent(obj, parent);
  IndexName(obj, obj->m_name);
  IndexChild(obj);
  if (obj->m_name.empty()) ++m_emptyNamed;
  return obj;
}

Ref<ARpObject> ARpGateway::GetObject(const VoidID& id) { return Ref<ARpObject>(Find(id)); }

void ARpGateway::GetObjects(const VoidIDVector& ids, RpObjectVector& objects) {
  objects.clear();
  objects.reserve(ids.size());
  for (const VoidID& id : ids) objects.push_back(GetObject(id));
}

bool ARpGateway::CollectOnPath(const LookupHint& hint, std::vector<ARpObject*>& out) const {
  // The written name of an object is its chain of names with empty levels
  // between them; matching it without regard to case means matching each
  // name so. Where the index cannot decide, the caller visits every object
  // bearing the name instead: while a bulk load leaves the index empty; for
  // a name with a NUL (written names leave NULs out, so a NUL-only name
  // writes like an empty one); for an empty first segment (it may stand for
  // a NUL-only top-level name, which no index probe finds); and for a name
  // too short to have a parent.
  const std::span<const VXString> path = hint.m_path;
  if (m_bBulkLoad || path.size() < 2 || path.front().empty() || path.back().empty()) return false;
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
          FindChildrenByExactName(parent, name, found);
        } else {
          FindChildrenByNameNoCase(parent, name, found);
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

void ARpGateway::CollectCandidates(const LookupHint& hint, std::vector<ARpObject*>& out) const {
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
      } else if (m_bBulkLoad) {
        // The name index is built when the load ends: until then every
        // object of the type is a candidate.
        if (auto it = m_byType.find(t); it != m_byType.end()) {
          for (ARpObject* p : it->second.m_slots) {
            if (p) out.push_back(p);
          }
        }
      } else {
        m_byName.Find(NameKey(t, hint.m_name), out);
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

void ARpGateway::LookupObjects(const ACondition& condition, VoidIDVector& objIDs) {
  objIDs.clear();
  std::vector<ARpObject*> found;
  LookupObjects(condition, found);
  objIDs.reserve(found.size());
  for (const ARpObject* p : found) objIDs.push_back(p->GetID());
}

void ARpGateway::LookupObjects(const ACondition& condition, std::vector<ARpObject*>& objects) {
  objects.clear();
  LookupHint hint;
  if (!condition.GetLookupHint(hint)) hint = LookupHint();
  CollectCandidates(hint, objects);
  std::erase_if(objects, [&](ARpObject* p) { return !condition(Ref<ARpObject>(p)); });
}

void ARpGateway::FindChildrenByName(const VoidID& parent, TypeID type, const VXString& name, VoidIDVector& out) {
  ARpObject* p = Find(parent);
  if (!p) return;
  for (ARpObject* c : p->GetChildPointers()) {
    if ((type == 0 || c->GetTypeID() == type) && c->IsNameOrAlias(name)) out.push_back(c->GetID());
  }
}

bool ARpGateway::RenameObject(const VoidID& id, const VXString& newName, bool bKeepOldAsAlias) {
  ARpObject* p = Find(id);
  if (!p) return false;
  if (p->m_name == newName) return true;
  ++m_namingRevision;
  const VXString old = p->m_name;
  UnindexName(p, old);
  const bool bIndexed = UnindexChild(p);
  p->m_name = newName;
  if (bIndexed) IndexChild(p);
  m_emptyNamed += static_cast<std::size_t>(newName.empty()) - static_cast<std::size_t>(old.empty());
  IndexName(p, newName);
  if (bKeepOldAsAlias && !VXCaseFold::Equal(old, newName) && !old.empty()) AppendAlias(p, old);
  return true;
}

bool ARpGateway::AppendAlias(ARpObject* p, const VXString& alias) {
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
  IndexName(p, alias, true);
  return true;
}

bool ARpGateway::AddAlias(const VoidID& id, const VXString& alias) {
  ARpObject* p = Find(id);
  if (!p || alias.empty()) return false;
  return AppendAlias(p, alias);
}

void ARpGateway::GetObjectIDsOfType(TypeID type, VoidIDVector& ids) const {
  auto it = m_byType.find(type);
  if (it == m_byType.end()) return;
  for (ARpObject* p : it->second.m_slots) {
    if (p) ids.push_back(p->GetID());
  }
}

void ARpGateway::SetObjectParent(ARpObject* child, ARpObject* newParent) {
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
  const bool bIndexed = UnindexChild(child);
  LinkParent(child, newParent);
  if (bIndexed) IndexChild(child);
}

void ARpGateway::LinkParent(ARpObject* child, ARpObject* newParent) {
  if (ARpObject* old = child->m_pParent) DropChildSlot(old, child);
  child->m_pParent = newParent;
  if (newParent) {
    auto& kids = newParent->GetExtra().m_children;
    child->m_childSlot = static_cast<std::uint32_t>(kids.size());
    kids.push_back(child);
  }
}

void ARpGateway::DropChildSlot(ARpObject* parent, ARpObject* child) {
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

void ARpGateway::CompactChildren(ARpObject* parent) {
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

bool ARpGateway::MoveChild(const VoidID& childID, std::ptrdiff_t delta) {
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

void ARpGateway::RemoveOne(ARpObject* obj) {
  ++m_namingRevision;
  const VoidID id = obj->GetID();
  if (ARpObject* parent = obj->m_pParent; parent && !parent->IsDeleted()) DropChildSlot(parent, obj);
  UnindexChild(obj);
  if (obj->m_name.empty()) --m_emptyNamed;
  obj->m_pParent = nullptr;
  if (obj->m_extra) {
    // The children become top-level objects; those removed already (parts
    // of one cascade) are out of the index and stay out.
    for (ARpObject* c : obj->m_extra->m_children) {
      if (!c) continue;
      const bool bIndexed = UnindexChild(c);
      c->m_pParent = nullptr;
      if (bIndexed) IndexChild(c);
    }
    obj->m_extra->m_children.clear();
    obj->m_extra->m_deadChildren = 0;
    for (const VXString& a : obj->m_extra->m_aliases) UnindexName(obj, a);
  }
  UnindexName(obj, obj->m_name);
  RemoveFromTypeIndex(obj);
  DetachTuples(id);
  m_session.AllowRead(id);
  m_byID.Erase(id, obj);
  RefHelper::ReleaseRef(obj);  // the gateway's own count
}

bool ARpGateway::DeleteObject(const VoidID& id, bool bCascade) {
  ARpObject* obj = Find(id);
  if (!obj) return false;
  std::vector<ARpObject*> doomed{obj};
  RpObjectVector dependents;
  if (bCascade) {
    Ref<ARpObject> root(obj);
    RpObjectDeleteContext context(root);
    ANetworker::ForType(obj->GetTypeID()).GetDeleteDependents(this, root, dependents, context);
    for (const Ref<ARpObject>& d : dependents) {
      if (ARpObject* p = d.Get()) doomed.push_back(p);
    }
  }
  // Mark first, so that removing one object does not tidy up the child list
  // of a parent that goes too.
  for (ARpObject* p : doomed) p->m_state.fetch_or(ARpObject::kDeletedBit, std::memory_order_release);
  for (ARpObject* p : doomed) RemoveOne(p);
  return true;
}

// ---- relations ---------------------------------------------------------------

std::uint32_t ARpGateway::InsertTuple(RelID rel, const VoidIDVector& args) {
  const RpRel::RelationInfo* info = RpRel::GetRelationInfo(rel);
  if (!info || static_cast<int>(args.size()) != info->m_arity) return kNoTuple;
  for (const VoidID& a : args) {
    if (!Find(a)) return kNoTuple;
  }
  if (rel == RpRel::kContainment) {
    ARpObject* parent = Find(args[0]);
    ARpObject* child = Find(args[1]);
    const TypeIDVector& allowed = FindTypeInfo(child->GetTypeID())->m_parentTypes;
    if (std::find(allowed.begin(), allowed.end(), parent->GetTypeID()) == allowed.end()) return kNoTuple;
    SetObjectParent(child, parent);
    return kContainmentTuple;
  }
  // The same tuple again is the one already there. The first argument's
  // list is found once, for this check and for the new tuple's handle.
  std::vector<std::uint32_t>& firstList = m_tuplesOf.Get(args[0]);
  for (std::uint32_t h : firstList) {
    const RelTuple& t = m_tuples[h];
    if (t.m_rel == rel && t.m_args == args) return h;
  }
  std::uint32_t h;
  if (!m_freeTuples.empty()) {
    h = m_freeTuples.back();
    m_freeTuples.pop_back();
    m_tuples[h] = RelTuple{rel, args};
  } else {
    h = static_cast<std::uint32_t>(m_tuples.size());
    m_tuples.push_back(RelTuple{rel, args});
  }
  firstList.push_back(h);
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (std::find(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(i), args[i]) !=
        args.begin() + static_cast<std::ptrdiff_t>(i)) {
      continue;  // an object twice in one tuple is listed once
    }
    m_tuplesOf.Get(args[i]).push_back(h);
  }
  return h;
}

std::size_t ARpGateway::InsertTuples(std::vector<RelTuple>& tuples) {
  std::size_t done = 0;
  if (m_tuples.empty()) {
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
    InsertTuplesAtOnce(tuples, done);
  }
  for (; done < tuples.size(); ++done) {
    if (InsertTuple(tuples[done].m_rel, tuples[done].m_args) == kNoTuple) break;
  }
  return done;
}

void ARpGateway::InsertTuplesAtOnce(std::vector<RelTuple>& tuples, std::size_t end) {
  if (end == 0) return;
  // A tuple equal to one before it is that one (InsertTuple's rule): both
  // list the same first argument, so only tuples sharing it are compared.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> byFirst;
  byFirst.reserve(end);
  for (std::size_t i = 0; i < end; ++i)
    byFirst.emplace_back(tuples[i].m_args[0].Packed(), static_cast<std::uint32_t>(i));
  StableRadixSortByKey(byFirst);
  std::vector<bool> repeated(end);
  for (std::size_t run = 0; run < byFirst.size();) {
    std::size_t runEnd = run + 1;
    while (runEnd < byFirst.size() && byFirst[runEnd].first == byFirst[run].first) ++runEnd;
    for (std::size_t j = run + 1; j < runEnd; ++j) {
      const RelTuple& t = tuples[byFirst[j].second];
      for (std::size_t k = run; k < j; ++k) {
        const RelTuple& u = tuples[byFirst[k].second];
        if (!repeated[byFirst[k].second] && u.m_rel == t.m_rel && u.m_args == t.m_args) {
          repeated[byFirst[j].second] = true;
          break;
        }
      }
    }
    run = runEnd;
  }
  // Handles in order; each argument's list in handle order, an object twice
  // in one tuple listed once.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> members;
  members.reserve(2 * end);
  m_tuples.reserve(m_tuples.size() + end);
  for (std::size_t i = 0; i < end; ++i) {
    if (repeated[i]) continue;
    const auto h = static_cast<std::uint32_t>(m_tuples.size());
    m_tuples.push_back(std::move(tuples[i]));
    const VoidIDVector& args = m_tuples.back().m_args;
    for (std::size_t a = 0; a < args.size(); ++a) {
      if (std::find(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(a), args[a]) ==
          args.begin() + static_cast<std::ptrdiff_t>(a)) {
        members.emplace_back(args[a].Packed(), h);
      }
    }
  }
  // Sorted by id, each object's list is made at its full length at once.
  StableRadixSortByKey(members);
  std::size_t objects = 0;
  for (std::size_t m = 0; m < members.size(); ++m) objects += m == 0 || members[m].first != members[m - 1].first;
  m_tuplesOf.Reserve(objects);
  for (std::size_t run = 0; run < members.size();) {
    std::size_t runEnd = run + 1;
    while (runEnd < members.size() && members[runEnd].first == members[run].first) ++runEnd;
    const VoidID id(static_cast<TypeID>(members[run].first >> 32), static_cast<std::uint32_t>(members[run].first));
    std::vector<std::uint32_t>& list = m_tuplesOf.Get(id);
    list.reserve(list.size() + (runEnd - run));
    for (std::size_t m = run; m < runEnd; ++m) list.push_back(members[m].second);
    run = runEnd;
  }
}

bool ARpGateway::EraseTuple(std::uint32_t handle) {
  if (handle >= m_tuples.size() || m_tuples[handle].m_rel.IsNull()) return false;
  RelTuple& t = m_tuples[handle];
  for (const VoidID& a : t.m_args) {
    std::vector<std::uint32_t>* list = m_tuplesOf.Find(a);
    if (!list) continue;
    list->erase(std::remove(list->begin(), list->end(), handle), list->end());
    if (list->empty()) m_tuplesOf.Erase(a);
  }
  t.m_rel = RelID();
  t.m_args.clear();
  t.m_args.shrink_to_fit();
  m_freeTuples.push_back(handle);
  return true;
}

bool ARpGateway::EraseTuple(RelID rel, const VoidIDVector& args) {
  if (rel == RpRel::kContainment) {
    if (args.size() != 2) return false;
    ARpObject* parent = Find(args[0]);
    ARpObject* child = Find(args[1]);
    if (!parent || !child || child->m_pParent != parent) return false;
    SetObjectParent(child, nullptr);
    return true;
  }
  if (args.empty()) return false;
  std::vector<std::uint32_t> handles;
  FindTuples(args[0], rel, 1u, handles);
  for (std::uint32_t h : handles) {
    if (m_tuples[h].m_args == args) return EraseTuple(h);
  }
  return false;
}

void ARpGateway::FindTuples(const VoidID& anchor, RelID rel, std::uint32_t anchorArgMask,
                            std::vector<std::uint32_t>& out) const {
  const std::vector<std::uint32_t>* list = m_tuplesOf.Find(anchor);
  if (!list) return;
  for (std::uint32_t h : *list) {
    const RelTuple& t = m_tuples[h];
    if (!(t.m_rel == rel)) continue;
    for (std::size_t i = 0; i < t.m_args.size() && i < 32; ++i) {
      if ((anchorArgMask & (1u << i)) && t.m_args[i] == anchor) {
        out.push_back(h);
        break;
      }
    }
  }
}

void ARpGateway::FindTuplesOf(const VoidID& id, std::vector<std::uint32_t>& out) const {
  if (const std::vector<std::uint32_t>* list = m_tuplesOf.Find(id)) out.insert(out.end(), list->begin(), list->end());
}

const ARpGateway::RelTuple* ARpGateway::GetTuple(std::uint32_t handle) const {
  if (handle >= m_tuples.size() || m_tuples[handle].m_rel.IsNull()) return nullptr;
  return &m_tuples[handle];
}

bool ARpGateway::HasTuple(RelID rel, const VoidIDVector& args) const {
  auto matches = [&](const RelTuple& t) {
    if (!(t.m_rel == rel) || t.m_args.size() != args.size()) return false;
    for (std::size_t i = 0; i < args.size(); ++i) {
      if (!args[i].IsNull() && args[i] != t.m_args[i]) return false;
    }
    return true;
  };
  if (rel == RpRel::kContainment) {
    if (args.size() != 2) return false;
    ARpObject* child = args[1].IsNull() ? nullptr : Find(args[1]);
    if (child) return child->m_pParent && (args[0].IsNull() || child->m_pParent->GetID() == args[0]);
    ARpObject* parent = args[0].IsNull() ? nullptr : Find(args[0]);
    return parent && args[1].IsNull() && !parent->GetChildPointers().empty();
  }
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i].IsNull()) continue;
    const std::vector<std::uint32_t>* list = m_tuplesOf.Find(args[i]);
    if (!list) return false;
    for (std::uint32_t h : *list) {
      if (matches(m_tuples[h])) return true;
    }
    return false;
  }
  for (const RelTuple& t : m_tuples) {
    if (matches(t)) return true;
  }
  return false;
}

bool ARpGateway::MoveTupleByHandle(std::uint32_t handle, std::ptrdiff_t delta) {
  const RelTuple* t = GetTuple(handle);
  if (!t || delta == 0) return false;
  const RpRel::RelationInfo* info = RpRel::GetRelationInfo(t->m_rel);
  if (!info || info->m_sortedArg >= static_cast<int>(t->m_args.size())) return false;
  const VoidID owner = t->m_args[static_cast<std::size_t>(info->m_sortedArg)];
  std::vector<std::uint32_t>* found = m_tuplesOf.Find(owner);
  if (!found) return false;
  std::vector<std::uint32_t>& list = *found;
  // Positions in the owner's list of the tuples its view shows.
  std::vector<std::size_t> view;
  std::ptrdiff_t self = -1;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const RelTuple& u = m_tuples[list[i]];
    if (u.m_rel == t->m_rel && u.m_args[static_cast<std::size_t>(info->m_sortedArg)] == owner) {
      if (list[i] == handle) self = static_cast<std::ptrdiff_t>(view.size());
      view.push_back(i);
    }
  }
  if (self < 0) return false;
  const std::ptrdiff_t to = std::clamp<std::ptrdiff_t>(self + delta, 0, static_cast<std::ptrdiff_t>(view.size()) - 1);
  if (to == self) return false;
  const std::size_t from = view[static_cast<std::size_t>(self)];
  const std::size_t dest = view[static_cast<std::size_t>(to)];
  if (dest < from) {
    std::rotate(list.begin() + static_cast<std::ptrdiff_t>(dest), list.begin() + static_cast<std::ptrdiff_t>(from),
                list.begin() + static_cast<std::ptrdiff_t>(from) + 1);
  } else {
    std::rotate(list.begin() + static_cast<std::ptrdiff_t>(from), list.begin() + static_cast<std::ptrdiff_t>(from) + 1,
                list.begin() + static_cast<std::ptrdiff_t>(dest) + 1);
  }
  return true;
}

bool ARpGateway::MoveTuple(RelID rel, const VoidIDVector& args, int delta) {
  if (rel == RpRel::kContainment) {
    if (args.size() != 2 || !HasTuple(rel, args)) return false;
    return MoveChild(args[1], delta);
  }
  if (args.empty()) return false;
  std::vector<std::uint32_t> handles;
  FindTuples(args[0], rel, 1u, handles);
  for (std::uint32_t h : handles) {
    if (m_tuples[h].m_args == args) return MoveTupleByHandle(h, delta);
  }
  return false;
}

void ARpGateway::DetachTuples(const VoidID& id) {
  const std::vector<std::uint32_t>* list = m_tuplesOf.Find(id);
  if (!list) return;
  const std::vector<std::uint32_t> handles = *list;
  for (std::uint32_t h : handles) EraseTuple(h);
}

// ---- session -------------------------------------------------------------------

bool ARpGateway::IsReadDenied(const VoidID& id) const {
  if (!m_session.HasReadDenials()) return false;
  const ARpObject* p = Find(id);
  return p && IsReadDenied(*p);
}

bool ARpGateway::IsReadDenied(const ARpObject& obj) const {
  if (!m_session.HasReadDenials()) return false;
  for (const ARpObject* p = &obj; p; p = p->m_pParent) {
    if (m_session.IsDeniedItself(p->GetID())) return true;
  }
  return false;
}

bool ARpGateway::SignOnAs(const VXString& userName) {
  VoidIDVector users;
  LookupObjects(TypedObjectNameCondition(kTIDAUser, userName, false), users);
  if (users.empty()) return false;
  Ref<AUser> user(GetObject(users.front()));
  ClearReadDenials();
  for (BinaryRelIter<ARpObject> it = user->GetReadDenials(); !it.IsEnd(); ++it) DenyRead((*it).GetID());
  SetCurrentUser(user->GetName(), VXString());
  return true;
}

bool ARpGateway::GetDataBlob(int number, ByteVector& bytes) const {
  auto it = m_blobs.find(number);
  if (it == m_blobs.end()) return false;
  bytes = it->second;
  return true;
}

void ARpGateway::SetRepositoryCredentials(const VXString& user, const VXString& password) {
  ByteVector b;
  DataBlobUtil::ToByteVector(b, user);
  DataBlobUtil::ToByteVector(b, password);
  m_blobs[kCredentialsBlob] = std::move(b);
}

void ARpGateway::SetScriptKey(const VXString& label, const ByteVector& key) {
  ByteVector b;
  DataBlobUtil::ToByteVector(b, label);
  DataBlobUtil::ToByteVector(b, VXString(key.begin(), key.end()));
  m_blobs[kScriptKeyBlob] = std::move(b);
}
