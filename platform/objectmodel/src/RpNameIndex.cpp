#include "RpNameIndex.h"

#include <algorithm>

#include "Utility/VXStringCaseInsensitive.h"
#include "objectmodel/RpObject.h"

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

std::uint64_t RpNameIndex::NameKey(TypeID type, std::u32string_view name) {
  return NameKeyOf(type, FoldedNameHash(name));
}

std::uint64_t RpNameIndex::ChildKey(const ARpObject* parent, const VXString& name) {
  return ChildKeyOf(parent, FoldedNameHash(name));
}

void RpNameIndex::Reserve(std::size_t count) {
  m_byParentAndName.Reserve(count);
  if (m_bBulkNamesComplete) m_bulkByName.reserve(count);
  if (m_bBulkChildrenComplete) m_bulkByParent.reserve(count);
}

void RpNameIndex::BeginBulkLoad(bool bEmptyModel) {
  m_bBulkLoad = true;
  m_bulkByName.clear();
  m_bulkByParent.clear();
  m_bBulkNamesComplete = bEmptyModel;
  m_bBulkChildrenComplete = m_bBulkNamesComplete;
}

void RpNameIndex::DropBulkNames() {
  ObjectHashIndex::Batch().swap(m_bulkByName);
  m_bBulkNamesComplete = false;
  DropBulkChildren();
}

void RpNameIndex::DropBulkChildren() {
  ObjectHashIndex::Batch().swap(m_bulkByParent);
  m_bBulkChildrenComplete = false;
}

void RpNameIndex::EndBulkLoad(const std::vector<TypeSlots>& types, std::size_t objectCount) {
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
    if (bNames) byName.reserve(objectCount);
    if (bChildren) byParent.reserve(objectCount);
    for (const auto& [t, slots] : types) {
      for (ARpObject* obj : *slots) {
        if (!obj) continue;
        const std::uint64_t h = FoldedNameHash(obj->GetName());
        if (bChildren) byParent.emplace_back(ChildKeyOf(obj->GetParentPointer(), h), obj);
        if (!bNames) continue;
        byName.emplace_back(NameKeyOf(t, h), obj);
        for (const VXString& a : obj->GetAliasList()) byName.emplace_back(NameKey(t, a), obj);
      }
    }
  }
  DropBulkNames();
  m_byParentAndName.InsertAll(byParent);
  m_byName.InsertAll(byName);
}

void RpNameIndex::BuildAll(const std::vector<TypeSlots>& types, std::size_t objectCount) {
  // Each name is hashed once for both indexes, and each index is filled in
  // one batch (see InsertAll).
  m_byParentAndName.Clear();
  m_byName.Clear();
  ObjectHashIndex::Batch byParent;
  ObjectHashIndex::Batch byName;
  byParent.reserve(objectCount);
  byName.reserve(objectCount);
  for (const auto& [t, slots] : types) {
    for (ARpObject* obj : *slots) {
      if (!obj) continue;
      const std::uint64_t h = FoldedNameHash(obj->GetName());
      byParent.emplace_back(ChildKeyOf(obj->GetParentPointer(), h), obj);
      byName.emplace_back(NameKeyOf(t, h), obj);
      for (const VXString& a : obj->GetAliasList()) byName.emplace_back(NameKey(t, a), obj);
    }
  }
  m_byParentAndName.InsertAll(byParent);
  m_byName.InsertAll(byName);
}

void RpNameIndex::IndexChild(ARpObject* obj) {
  if (!m_bBulkLoad) m_byParentAndName.Insert(ChildKey(obj->GetParentPointer(), obj->GetName()), obj);
}

bool RpNameIndex::UnindexChild(ARpObject* obj) {
  if (!m_bBulkLoad) return m_byParentAndName.Erase(ChildKey(obj->GetParentPointer(), obj->GetName()), obj);
  // The object moves or changes its name: its entry kept for the end would
  // be stale, and the end makes them all again.
  if (m_bBulkChildrenComplete) DropBulkChildren();
  return false;
}

void RpNameIndex::IndexName(ARpObject* obj, const VXString& name, bool bAlias) {
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
      if (!bAlias && m_bBulkChildrenComplete) m_bulkByParent.emplace_back(ChildKeyOf(obj->GetParentPointer(), h), obj);
    } catch (...) {
      DropBulkNames();
      throw;
    }
  }
}

void RpNameIndex::UnindexName(ARpObject* obj, const VXString& name) {
  if (!m_bBulkLoad) {
    m_byName.Erase(NameKey(obj->GetTypeID(), name), obj);
  } else if (m_bBulkNamesComplete) {
    // A name gone from the list's object: EndBulkLoad reads every name.
    DropBulkNames();
  }
}

void RpNameIndex::FindChildrenByExactName(const ARpObject* parent, const VXString& name,
                                          std::vector<ARpObject*>& out) const {
  // Names that share the hash are dropped here.
  const std::size_t first = out.size();
  m_byParentAndName.Find(ChildKey(parent, name), out);
  out.erase(std::remove_if(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
                           [&](const ARpObject* c) { return c->GetParentPointer() != parent || c->GetName() != name; }),
            out.end());
}

void RpNameIndex::FindChildrenByNameNoCase(const ARpObject* parent, const VXString& name,
                                           std::vector<ARpObject*>& out) const {
  const std::size_t first = out.size();
  m_byParentAndName.Find(ChildKey(parent, name), out);
  out.erase(std::remove_if(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
                           [&](const ARpObject* c) {
                             return c->GetParentPointer() != parent || !EqualNoCaseNoNul(c->GetName(), name);
                           }),
            out.end());
}
