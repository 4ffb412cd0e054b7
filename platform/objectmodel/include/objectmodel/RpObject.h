// ARpObject: the base of every repository object, and the one place that
// stores an object's data. The interface classes (ATable, AFolder, ...) add
// no data: they are thin views over this storage, so a million objects cost
// little more than their names (see ObjectModel.h for the figures).
//
// Storage per object: id, name, parent, a count, and an optional extra block
// (former names, ordered children, typed properties) allocated only when one
// of these is set. Properties are keyed by RpProp and hold one of the few
// value types of RpPropValue.
//
// Reads may run on many threads at once; changes (setters, relation and
// containment edits, renames, deletes) need the caller to have the
// repository to itself, as the server's editing sessions do.
//
//   Ref<ARpObject> column = rp.GetObject(columnID);
//   const VXString name = column->GetName();
//   Ref<ARpObject> table = column->GetParentObject();   // null at the top
//   column->SetDescription(U"Order total in cents");
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <variant>
#include <vector>

#include "Expr/Expr.h"
#include "Utility/VXString.h"
#include "Utility/VoidID.h"
#include "objectmodel/ObjectPool.h"
#include "objectmodel/Ref.h"
#include "objectmodel/Relation.h"
#include "objectmodel/TypeIDs.h"

class ObjectKeeper;

using TypeIDVector = std::vector<TypeID>;
using VXStringStringMap = std::map<VXString, VXString>;

// The class record of an interface type.
class AMetaClass {
 public:
  constexpr AMetaClass(TypeID typeID, const char* className) : m_typeID(typeID), m_className(className) {}
  TypeID GetTypeID() const { return m_typeID; }
  const char* GetClassName() const { return m_className; }
  // The meta class of a type id of the catalogue, or null.
  static const AMetaClass* FromTypeID(TypeID typeID);

 private:
  TypeID m_typeID;
  const char* m_className;
};

namespace MultiplicityTypes {
enum Cardinality : int { kZero = 0, kOne = 1, kMany = 2, kUnknown = 3 };
}

// The cardinality of a role of a relationship: from m_startCardinality to
// m_endCardinality, with optional numeric bounds (0 = none).
struct Multiplicity {
  MultiplicityTypes::Cardinality m_startCardinality = MultiplicityTypes::kZero;
  MultiplicityTypes::Cardinality m_endCardinality = MultiplicityTypes::kMany;
  int m_optionalLowerBound = 0;
  int m_optionalUpperBound = 0;

  // Whether the range allows count (kMany reads as "two or more", so
  // CheckCardinality(2) asks "may there be many?"). Numeric bounds, when
  // set, narrow the range.
  bool CheckCardinality(int count) const;
  friend bool operator==(const Multiplicity&, const Multiplicity&) = default;
};

// The mapping of a logical table source: pairs of a logical expression (most
// often one IDToken naming a logical column) and the physical expression it
// maps to, plus the physical tables the source reads and their joins.
struct RpSourceDefinition {
  std::vector<std::pair<Expr, Expr>> m_logicalToPhysical;
  VoidIDVector m_physicalTables;
  // Joins among m_physicalTables as (table, table, join object) triples;
  // the join object may be null for an unnamed join.
  std::vector<std::pair<std::pair<VoidID, VoidID>, VoidID>> m_joins;
  Expr m_whereClause;
  bool m_bDistinct = false;

  friend bool operator==(const RpSourceDefinition&, const RpSourceDefinition&) = default;
};

// Property keys. The name is the one repository files use.
#define SMUTIL_RP_PROPS(X)                          \
  X(DisplayName, "DisplayName")                     \
  X(DisplayNameUse, "DisplayNameUse")               \
  X(DisplayDescription, "DisplayDescription")       \
  X(DisplayDescriptionUse, "DisplayDescriptionUse") \
  X(TranslationKey, "TranslationKey")               \
  X(Description, "Description")                     \
  X(GUID, "GUID")                                   \
  X(UpgradeID, "UpgradeID")                         \
  X(PropertyMap, "Properties")                      \
  X(Expr, "Expr")                                   \
  X(VariableType, "VariableType")                   \
  X(HideObjectExpr, "HideObjectExpr")               \
  X(AggrExpr, "AggrExpr")                           \
  X(JoinExpr, "JoinExpr")                           \
  X(JoinType, "JoinType")                           \
  X(TableType, "TableType")                         \
  X(DataType, "DataType")                           \
  X(Nullable, "Nullable")                           \
  X(Derived, "Derived")                             \
  X(TargetType, "TargetType")                       \
  X(DatabaseProperties, "DatabaseProperties")       \
  X(DataSourceName, "DataSourceName")               \
  X(DBUserName, "DBUserName")                       \
  X(XMLADataSourceInfo, "XMLADataSourceInfo")       \
  X(ServerName, "ServerName")                       \
  X(ServerPort, "ServerPort")                       \
  X(EJBBean, "EJBBean")                             \
  X(OrreryServiceName, "OrreryServiceName")         \
  X(WSDL, "WSDL")                                   \
  X(QPLKey, "QPLKey")                               \
  X(EncryptedPassword, "EncryptedPassword")         \
  X(PostConnectStrings, "PostConnectStrings")       \
  X(PreDisconnectStrings, "PreDisconnectStrings")   \
  X(BeforeQueryStrings, "BeforeQueryStrings")       \
  X(AfterQueryStrings, "AfterQueryStrings")         \
  X(HostName, "HostName")                           \
  X(BaseDN, "BaseDN")                               \
  X(KeyDBFile, "KeyDBFile")                         \
  X(BindPassword, "BindPassword")                   \
  X(KeyDBPassword, "KeyDBPassword")                 \
  X(Multiplicity, "Multiplicity")                   \
  X(SourceDefinition, "SourceDefinition")           \
  X(DimensionToCache, "DimensionToCache")           \
  X(LevelKey, "LevelKey")                           \
  X(SubjectArea, "SubjectArea")                     \
  X(InitString, "InitString")                       \
  X(DefaultInitValue, "DefaultInitValue")           \
  X(Disabled, "Disabled")                           \
  X(BlockType, "BlockType")

enum class RpProp : std::uint16_t {
#define SMUTIL_RP_PROP_ENUM(id, name) k##id,
  SMUTIL_RP_PROPS(SMUTIL_RP_PROP_ENUM)
#undef SMUTIL_RP_PROP_ENUM
      kCount
};
// Name of a key, and the key of a name (false when unknown).
const char* RpPropName(RpProp key);
bool RpPropFromName(const std::string& name, RpProp& key);

// An object's children in their order. A child that leaves its parent
// leaves an empty slot behind, and the slots are closed up in bulk, so that
// taking one child out is constant time however many the parent has; this
// view walks the slots and skips the empty ones.
//
//   for (ARpObject* child : table->GetChildPointers()) ...
class ChildPointers {
 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = ARpObject*;
    using difference_type = std::ptrdiff_t;
    using pointer = ARpObject* const*;
    using reference = ARpObject* const&;
    Iterator() = default;
    Iterator(ARpObject* const* p, ARpObject* const* end) : m_p(p), m_end(end) { Skip(); }
    ARpObject* operator*() const { return *m_p; }
    Iterator& operator++() {
      ++m_p;
      Skip();
      return *this;
    }
    Iterator operator++(int) {
      Iterator old = *this;
      ++*this;
      return old;
    }
    friend bool operator==(const Iterator& a, const Iterator& b) { return a.m_p == b.m_p; }

   private:
    void Skip() {
      while (m_p != m_end && *m_p == nullptr) ++m_p;
    }
    ARpObject* const* m_p = nullptr;
    ARpObject* const* m_end = nullptr;
  };

  ChildPointers(const std::vector<ARpObject*>& slots, std::size_t live) : m_slots(&slots), m_live(live) {}
  Iterator begin() const { return Iterator(m_slots->data(), m_slots->data() + m_slots->size()); }
  Iterator end() const { return Iterator(m_slots->data() + m_slots->size(), m_slots->data() + m_slots->size()); }
  std::size_t size() const { return m_live; }
  bool empty() const { return m_live == 0; }
  // The first and last child (the object must have children).
  ARpObject* front() const { return *begin(); }
  ARpObject* back() const;

 private:
  const std::vector<ARpObject*>* m_slots;
  std::size_t m_live;
};

using RpPropValue = std::variant<std::monostate, bool, std::int64_t, VXString, VXStringVector, ByteVector, VoidID, Expr,
                                 Multiplicity, std::shared_ptr<const RpSourceDefinition>, VXStringStringMap>;

// Whether two property values are the same. Source definitions are shared
// and never changed in place, so they are compared by what they hold, not by
// which copy they are.
bool SamePropValue(const RpPropValue& a, const RpPropValue& b);

class ARpObject {
 public:
  ARpObject(const ARpObject&) = delete;
  ARpObject& operator=(const ARpObject&) = delete;
  virtual ~ARpObject();
  // Objects live on the heap or in their model's ObjectPool; deleting one
  // gives its memory back to whichever holds it.
  static void operator delete(ARpObject* p, std::destroying_delete_t);

  // The object's own name (a reference into the object: copy it when the
  // object may be renamed meanwhile).
  const VXString& GetName() const { return m_name; }
  void GetID(VoidID& id) const { id = m_id; }
  const VoidID& GetID() const { return m_id; }
  TypeID GetTypeID() const { return m_id.m_interfaceTypeID; }
  const AMetaClass* GetMetaClass() const;
  ARpGateway* GetGateway() const { return m_pRp; }
  bool IsDeleted() const { return m_state.load(std::memory_order_acquire) & kDeletedBit; }

  // The container of the object (a catalog's database, a column's table),
  // or a null handle for a top-level object.
  Ref<ARpObject> GetParentObject() const;
  // Appends the object's former names, oldest first. The vector is not
  // emptied, so a caller may gather the aliases of several objects.
  void GetAliases(VXStringVector& aliases) const;
  const VXStringVector& GetAliasList() const;
  // Whether name equals the object's name or one of its former names,
  // without regard to case.
  bool IsNameOrAlias(std::u32string_view name) const;
  // The same with a wildcard pattern (BaseStringUtil::IsWildcardCaseInsensitiveMatch).
  bool IsWildcardNameOrAlias(const VXString& pattern) const;

  // GUID and upgrade identifier bytes (empty when never assigned).
  ByteVector GetGUID() const { return GetBytes(RpProp::kGUID); }
  void SetGUID(const ByteVector& guid) { SetProperty(RpProp::kGUID, guid); }
  ByteVector GetUpgradeID() const { return GetBytes(RpProp::kUpgradeID); }
  void SetUpgradeID(const ByteVector& id) { SetProperty(RpProp::kUpgradeID, id); }
  VXString GetDescription() const { return GetString(RpProp::kDescription); }
  void SetDescription(const VXString& text) { SetProperty(RpProp::kDescription, text); }
  // The object's free property map (name to value).
  VXStringStringMap GetPropertyMap() const;
  void SetPropertyMap(const VXStringStringMap& properties) { SetProperty(RpProp::kPropertyMap, properties); }

  // Typed property access; a missing property reads as the type's empty value.
  const RpPropValue* FindProperty(RpProp key) const;
  bool HasProperty(RpProp key) const { return FindProperty(key) != nullptr; }
  void SetProperty(RpProp key, RpPropValue value);
  void ClearProperty(RpProp key);
  VXString GetString(RpProp key) const;
  bool GetBool(RpProp key) const;
  std::int64_t GetInt(RpProp key) const;
  ByteVector GetBytes(RpProp key) const;
  VXStringVector GetStrings(RpProp key) const;
  VoidID GetIDProperty(RpProp key) const;
  Expr GetExprProperty(RpProp key) const;

  // Containment, for the gateway and the interface views.
  ARpObject* GetParentPointer() const { return m_pParent; }
  // Children in their order (all types).
  ChildPointers GetChildPointers() const;

  // Bytes the object uses beyond sizeof(*this): name, extras, properties.
  std::size_t DynamicBytes() const;

 protected:
  ARpObject() = default;

  template <class T>
  Ref<T> ParentAs() const {
    return m_pParent ? Ref<T>(Ref<ARpObject>(m_pParent)) : Ref<T>();
  }
  template <class T>
  BinaryRelIter<T> ChildrenOf(std::vector<TypeID> types) const {
    return BinaryRelIter<T>(VoidRelIter::Children(m_pRp, m_id, std::move(types)));
  }
  template <class T>
  BinaryRelIter<T> RelatedOf(RelID rel, int anchorArg, int targetArg) const {
    return BinaryRelIter<T>(VoidRelIter(m_pRp, m_id, rel, {anchorArg}, targetArg));
  }
  // The first object related at targetArg, or a null handle.
  template <class T>
  Ref<T> FirstRelated(RelID rel, int anchorArg, int targetArg) const {
    VoidRelIter it(m_pRp, m_id, rel, {anchorArg}, targetArg);
    return it.IsEnd() ? Ref<T>() : Ref<T>(it.GetObjRef());
  }
  template <class T>
  Ref<T> FirstChild(std::vector<TypeID> types) const {
    VoidRelIter it = VoidRelIter::Children(m_pRp, m_id, std::move(types));
    return it.IsEnd() ? Ref<T>() : Ref<T>(it.GetObjRef());
  }
  template <class T>
  Ref<T> RefProperty(RpProp key) const {
    VoidID id = GetIDProperty(key);
    return id.IsNull() ? Ref<T>() : Ref<T>(m_pRp, id);
  }
  // Replaces the single relation tuple in which this object stands at arg
  // (binary relations); a null other only removes it.
  void SetSingleRelated(RelID rel, int myArg, const Ref<ARpObject>& other);
  // Moves the object under newParent; the parent's type must be one the
  // parent table allows for this type (a logic error otherwise). A null
  // handle detaches the object.
  void SetParentLink(const Ref<ARpObject>& newParent);

 private:
  friend class RpModel;
  friend class RefHelper;
  friend class RpObjectFactory;
  static constexpr std::uint32_t kDeletedBit = 1;

  struct Extra {
    VXStringVector m_aliases;
    // The aliases again once there are many, so that adding one stays
    // constant time however many the object already has.
    std::unique_ptr<std::unordered_set<VXString>> m_aliasSet;
    // Ordered child slots; a slot whose child left is null (see ChildPointers).
    std::vector<ARpObject*> m_children;
    std::uint32_t m_deadChildren = 0;
    std::vector<std::pair<RpProp, RpPropValue>> m_props;  // sorted by key
  };
  Extra& GetExtra();

  static constexpr std::uint32_t kPooledBit = 2;  // in the keeper's pool, not on the heap

  std::atomic<std::uint32_t> m_state{0};
  VoidID m_id;
  ARpGateway* m_pRp = nullptr;
  ARpObject* m_pParent = nullptr;
  std::uint32_t m_typeSlot = 0;   // position in the gateway's type index
  std::uint32_t m_childSlot = 0;  // position in the parent's child slots
  VXString m_name;
  std::unique_ptr<Extra> m_extra;
  // Holds the object's storage while its model or a handle onto any of the
  // model's objects lives; handles count there (see ObjectKeeper).
  ObjectKeeper* m_keeper = nullptr;
};
