// RpNameIndex: the two name indexes of a model, by (type, case-folded name
// or former name) and by (parent, case-folded own name).
//
// Keys are hashes: a probe gives candidates, and the caller drops those
// whose names do not match. A load builds both whole in one pass (BuildAll);
// an edit keeps them right as it goes. Both are complete whenever a reader
// can see the model, so a lookup only reads them.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "Utility/SUHugePages.h"
#include "Utility/VXString.h"
#include "objectmodel/ObjectHashIndex.h"
#include "objectmodel/TypeIDs.h"

class ARpObject;

class RpNameIndex {
 public:
  // One type's objects in creation order (null where deleted), as the
  // model's type index holds them.
  using TypeSlots = std::pair<TypeID, const SUHugePages::Vector<ARpObject*>*>;

  // Key of a name or former name of an object of type.
  static std::uint64_t NameKey(TypeID type, std::u32string_view name);
  // Key of an object's own name under parent. Case-folded and without NULs,
  // so that one probe finds the names a written name matches as well as the
  // exact one.
  static std::uint64_t ChildKey(const ARpObject* parent, const VXString& name);

  // Room for count objects in the (parent, name) index.
  void Reserve(std::size_t count) { m_byParentAndName.Reserve(count); }
  // Builds both indexes anew from every object's name, aliases and parent;
  // types lists every type's objects in type order.
  void BuildAll(const std::vector<TypeSlots>& types, std::size_t objectCount);

  void IndexName(ARpObject* obj, const VXString& name);
  void UnindexName(ARpObject* obj, const VXString& name);
  // Keep the (parent, name) index. Unindex answers whether the object was
  // indexed.
  void IndexChild(ARpObject* obj);
  bool UnindexChild(ARpObject* obj);

  // Candidates of type named name (hash collisions included). Appends.
  void FindByName(TypeID type, std::u32string_view name, std::vector<ARpObject*>& out) const {
    m_byName.Find(NameKey(type, name), out);
  }
  // Children of parent whose own name is exactly name, or equal without
  // regard to case and NULs. Appends.
  void FindChildrenByExactName(const ARpObject* parent, const VXString& name, std::vector<ARpObject*>& out) const;
  void FindChildrenByNameNoCase(const ARpObject* parent, const VXString& name, std::vector<ARpObject*>& out) const;

 private:
  ObjectHashIndex m_byName;           // NameKey hashes of names and former names
  ObjectHashIndex m_byParentAndName;  // ChildKey hashes of (parent, own name)
};
