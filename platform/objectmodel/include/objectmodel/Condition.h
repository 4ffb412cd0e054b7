// Lookup conditions: predicates over repository objects that the gateway runs
// in LookupObjects, and that travel between processes as bytes.
//
//   TypedObjectNameCondition cond(kTIDATable, U"Orders", false);
//   VoidIDVector ids;
//   pRp->LookupObjects(cond, ids);              // visits only tables named Orders
//
//   ByteVector b;
//   ConditionRegistry::ToTaggedBytes(pRp, cond, b);      // tag + fields
//   std::unique_ptr<ACondition> back = ConditionRegistry::FromTaggedBytes(pRp, b.data(), b.data() + b.size());
//
// A condition may give the gateway a hint (its eligible types and the name
// it wants); the gateway then visits only the index candidates and still
// applies the condition itself. A condition without a hint is run over every
// object (or every object of its types).
//
// Byte forms (DataBlobUtil primitives, in this order; the tag is written only
// by ToTaggedBytes, as an int32 before the fields):
//   ObjectNameCondition       name (string), alias-matching flag (bool)
//   TypedObjectNameCondition  ObjectNameCondition part, type id (int32)
//   InterfaceTypeCondition    type ids (int vector)
//   LookupAllCondition        nothing
// Readers are bounded by an end pointer and throw BlobDecodeError on
// truncated or corrupt bytes.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string_view>

#include "objectmodel/Ref.h"
#include "objectmodel/RpObject.h"

enum QueryLanguage : int { kQL_ODBCSql = 0 };

// Thrown by ToConditionString for a language the condition has no text in.
class UnsupportedLanguage : public std::runtime_error {
 public:
  explicit UnsupportedLanguage(QueryLanguage lang);
  QueryLanguage GetLanguage() const { return m_lang; }

 private:
  QueryLanguage m_lang;
};

// What a condition tells the gateway about the objects it can accept. The
// hint borrows the condition's own types and names (nothing is copied on a
// lookup's way to the index): it is valid while the condition that filled it
// lives and is not changed.
struct LookupHint {
  bool m_bHasTypes = false;
  std::span<const TypeID> m_types;  // only these types can match
  bool m_bHasName = false;
  std::u32string_view m_name;  // only objects with this name or alias (any case) can match
  // Only objects whose written qualified name is m_path (segments outermost
  // first, the last one m_name; an empty segment is a level without a name
  // of its own) can match, ignoring case; with m_bPathAliases the object
  // itself may bear the last segment as a former name instead. Lets the
  // gateway walk down from the top instead of visiting every object that
  // bears the name.
  bool m_bHasPath = false;
  bool m_bPathAliases = false;
  std::span<const VXString> m_path;
};

class ACondition {
 public:
  enum ConditionType : int {
    Unknown = 0,
    InterfaceType = 1,
    ObjectName = 2,
    kTypedObjectName = 3,
    NamedInterfaceType = 4,
    FlexibleNamedInterfaceType = 5,
    EntityInstance = 6,
    LevelMember = 7,
    WildCardName = 8,
    kWildcardInterfaceTypeCondition = 9,
    kLookupAllCondition = 10,
  };

  explicit ACondition(ConditionType type) : conditionType(type) {}
  virtual ~ACondition() = default;

  // Does the object satisfy the condition? A null handle never does.
  virtual bool operator()(const Ref<ARpObject>& obj) const = 0;
  // No condition of the model has a text form; the default throws.
  virtual VXString ToConditionString(QueryLanguage lang) const;
  // Appends the condition's fields (not its tag).
  virtual void ToByteVector(ARpGateway* pRp, ByteVector& bytes) const = 0;
  // Reads the fields back from p, never past end; returns the position
  // behind them. Throws BlobDecodeError on bad bytes.
  virtual const uint8* FromByteVector(ARpGateway* pRp, const uint8* p, const uint8* end) = 0;
  // The index hint; false when the condition has none.
  virtual bool GetLookupHint(LookupHint& hint) const;

  ConditionType GetConditionType() const { return conditionType; }

 protected:
  const ConditionType conditionType;
};

// Accepts objects whose name (or, with alias matching, one of whose former
// names) equals the object name without regard to case.
class ObjectNameCondition : public ACondition {
 public:
  ObjectNameCondition();
  ObjectNameCondition(const VXString& objectName, bool bAliasMatching);

  bool operator()(const Ref<ARpObject>& obj) const override;
  void ToByteVector(ARpGateway* pRp, ByteVector& bytes) const override;
  const uint8* FromByteVector(ARpGateway* pRp, const uint8* p, const uint8* end) override;
  bool GetLookupHint(LookupHint& hint) const override;

  virtual bool IsFullyQualifiedSearch() const { return false; }
  // A condition on the parent's name; the caller owns it. Null here: a plain
  // name has no parent part.
  virtual ObjectNameCondition* GetParentCondition() const { return nullptr; }
  // Appends the children of parent that a search below it should visit: by
  // default its contained objects.
  virtual void GetChildren(const Ref<ARpObject>& parent, RpObjectVector& children) const;

  const VXString& GetObjectName() const { return m_objectName; }
  bool IsAliasMatching() const { return m_bAliasMatching; }

 protected:
  ObjectNameCondition(ConditionType type, const VXString& objectName, bool bAliasMatching);
  // The name test shared by the name conditions.
  bool NameMatches(const ARpObject& obj) const;

  VXString m_objectName;
  bool m_bAliasMatching;
};

// Accepts objects of one type with the given name (or alias).
class TypedObjectNameCondition : public ObjectNameCondition {
 public:
  TypedObjectNameCondition();
  TypedObjectNameCondition(TypeID typeID, const VXString& objectName, bool bAliasMatching);

  bool operator()(const Ref<ARpObject>& obj) const override;
  void ToByteVector(ARpGateway* pRp, ByteVector& bytes) const override;
  const uint8* FromByteVector(ARpGateway* pRp, const uint8* p, const uint8* end) override;
  bool GetLookupHint(LookupHint& hint) const override;

  TypeID GetTypeID() const { return m_typeID; }

 private:
  TypeID m_typeID;
};

// Accepts every object of the given types.
class InterfaceTypeCondition : public ACondition {
 public:
  InterfaceTypeCondition() : ACondition(InterfaceType) {}
  explicit InterfaceTypeCondition(TypeID typeID) : ACondition(InterfaceType), m_types{typeID} {}
  explicit InterfaceTypeCondition(TypeIDVector types) : ACondition(InterfaceType), m_types(std::move(types)) {}

  bool operator()(const Ref<ARpObject>& obj) const override;
  void ToByteVector(ARpGateway* pRp, ByteVector& bytes) const override;
  const uint8* FromByteVector(ARpGateway* pRp, const uint8* p, const uint8* end) override;
  bool GetLookupHint(LookupHint& hint) const override;

  const TypeIDVector& GetTypes() const { return m_types; }

 private:
  TypeIDVector m_types;
};

// Accepts every object.
class LookupAllCondition : public ACondition {
 public:
  LookupAllCondition() : ACondition(kLookupAllCondition) {}
  bool operator()(const Ref<ARpObject>& obj) const override { return !obj.IsNull(); }
  void ToByteVector(ARpGateway*, ByteVector&) const override {}
  const uint8* FromByteVector(ARpGateway*, const uint8* p, const uint8*) override { return p; }
};

// Re-creates conditions from bytes by their type tag. The model registers
// its own kinds; a library registers its kinds when it is loaded (a later
// registration of a tag replaces the earlier one).
class ConditionRegistry {
 public:
  using Factory = std::function<std::unique_ptr<ACondition>()>;
  static void Register(ACondition::ConditionType type, Factory factory);
  static bool IsRegistered(ACondition::ConditionType type);
  // An empty condition of that kind, or null for an unregistered tag.
  static std::unique_ptr<ACondition> Create(ACondition::ConditionType type);

  // int32 tag, then the condition's fields.
  static void ToTaggedBytes(ARpGateway* pRp, const ACondition& cond, ByteVector& bytes);
  // Reads one tagged condition; *pNext (when given) receives the position
  // behind it. Throws BlobDecodeError on an unknown tag or bad bytes.
  static std::unique_ptr<ACondition> FromTaggedBytes(ARpGateway* pRp, const uint8* p, const uint8* end,
                                                     const uint8** pNext = nullptr);
};
