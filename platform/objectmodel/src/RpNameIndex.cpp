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
  m_byParentAndName.Insert(ChildKey(obj->GetParentPointer(), obj->GetName()), obj);
}

bool RpNameIndex::UnindexChild(ARpObject* obj) {
  return m_byParentAndName.Erase(ChildKey(obj->GetParentPointer(), obj->GetName()), obj);
}

void RpNameIndex::IndexName(ARpObject* obj, const VXString& name) {
  m_byName.Insert(NameKey(obj->GetTypeID(), name), obj);
}

void RpNameIndex::UnindexName(ARpObject* obj, const VXString& name) {
  m_byName.Erase(NameKey(obj->GetTypeID(), name), obj);
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
