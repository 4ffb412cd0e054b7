// RpNameIndex: the two name indexes of a model, by (type, case-folded name
// or former name) and by (parent, case-folded own name), and what a bulk
// load keeps for them until it ends.
//
// Keys are hashes: a probe gives candidates, and the caller drops those
// whose names do not match. While a bulk load runs neither index is kept;
// EndBulkLoad builds both in one pass, from the entries kept on the way when
// they are complete, or from every object.
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

  bool IsBulkLoad() const { return m_bBulkLoad; }
  // Room for count more objects.
  void Reserve(std::size_t count);
  // bEmptyModel: the load starts with no object, so the entries kept on the
  // way can be all there is.
  void BeginBulkLoad(bool bEmptyModel);
  // Builds both indexes; types lists every type's objects in type order.
  void EndBulkLoad(const std::vector<TypeSlots>& types, std::size_t objectCount);
  // Builds both indexes anew from every object's name, aliases and parent;
  // types lists every type's objects in type order.
  void BuildAll(const std::vector<TypeSlots>& types, std::size_t objectCount);

  // bAlias: name is one of obj's former names rather than its own.
  void IndexName(ARpObject* obj, const VXString& name, bool bAlias = false);
  void UnindexName(ARpObject* obj, const VXString& name);
  // Keep the (parent, name) index, except during a bulk load. Unindex
  // answers whether the object was indexed.
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
  void DropBulkNames();
  void DropBulkChildren();

  ObjectHashIndex m_byName;           // NameKey hashes of names and former names
  ObjectHashIndex m_byParentAndName;  // ChildKey hashes of (parent, own name)
  bool m_bBulkLoad = false;
  // A bulk load's entries for the two name indexes, keyed as names and
  // aliases were given, in that order: EndBulkLoad inserts them without
  // reading an object or a name again. The name entries are kept only while
  // every name of the model is among them (the load began on an empty
  // model and nothing was renamed, deleted or lost an alias since); the
  // (parent, name) entries, made as each object is created, also only while
  // no object has moved.
  ObjectHashIndex::Batch m_bulkByName;
  ObjectHashIndex::Batch m_bulkByParent;
  bool m_bBulkNamesComplete = false;
  bool m_bBulkChildrenComplete = false;
};
