// Lookup conditions of the library: predicates over repository objects by
// type and (qualified) name, which the gateway runs in LookupObjects and which
// travel between server processes as bytes.
//
//   // Presentation tables called Orders in the subject area Sales (or one of
//   // its former names), with former table names accepted too:
//   NamedInterfaceTypeCondition named(kTIDAEntityFolder, QualifiedName{U"Sales", U"", U"Orders"}, true);
//   VoidIDVector ids;
//   pRp->LookupObjects(named, ids);      // visits only tables named (or once named) Orders
//
//   // Orders in any subject area: leading empty segments stand for any name.
//   FlexibleNamedInterfaceTypeCondition flexible({kTIDAEntityFolder}, QualifiedName{U"", U"Orders"}, true);
//
//   // Across processes: the tag tells the receiver which class to make.
//   ByteVector b;
//   ConditionRegistry::ToTaggedBytes(pRp, named, b);
//   std::unique_ptr<ACondition> back = ConditionRegistry::FromTaggedBytes(pRp, b.data(), b.data() + b.size());
//
// Loading the library registers the three kinds with the object model's
// condition registry (tags NamedInterfaceType 4, FlexibleNamedInterfaceType 5
// and WildCardName 8). Byte forms (DataBlobUtil primitives, in this order):
//   NamedInterfaceTypeCondition          ObjectNameCondition part, eligible types (int
//                                        vector), qualified name (string vector),
//                                        qualified-name-match flag (bool)
//   FlexibleNamedInterfaceTypeCondition  ObjectNameCondition part, eligible types, flexible-
//                                        name-match flag, segment count (int32), each segment
//   WildcardNameCondition                pattern (string), alias-matching flag (bool)
// Decoding is bounded by the end pointer and throws BlobDecodeError (with the
// field that failed and its offset from the start of the condition's fields)
// on truncated or corrupt bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "Utility/VXString.h"
#include "Utility/VoidID.h"
#include "objectmodel/Condition.h"
#include "objectmodel/RpGateway.h"

namespace UniqueNum {
// The unique number of an identifier that names nothing yet. It is not the
// null identifier's 0, so a record that was never filled can be told from one
// that was filled with the null id.
constexpr std::uint32_t kUndefined = 0xFFFFFFFFu;
}  // namespace UniqueNum

// A name with the identifier of the object that bears it.
struct NameIDPair {
  VXString m_name;
  VoidID m_id{0, UniqueNum::kUndefined};

  NameIDPair() = default;
  NameIDPair(const VXString& name, const VoidID& id) : m_name(name), m_id(id) {}

  // Same identifier and same name (exact text).
  friend bool operator==(const NameIDPair& a, const NameIDPair& b) { return a.m_id == b.m_id && a.m_name == b.m_name; }
  // By name, then by identifier (type id signed, then unique number).
  friend bool operator<(const NameIDPair& a, const NameIDPair& b);
};

// A qualified name with the identifier of the object it names.
struct QualifiedNameIDPair {
  QualifiedName m_qName;
  VoidID m_id{0, UniqueNum::kUndefined};

  QualifiedNameIDPair() = default;
  QualifiedNameIDPair(const QualifiedName& qName, const VoidID& id) : m_qName(qName), m_id(id) {}

  // Same identifier and the same segments.
  friend bool operator==(const QualifiedNameIDPair& a, const QualifiedNameIDPair& b) {
    return a.m_id == b.m_id && a.m_qName == b.m_qName;
  }
  // Lexicographic over the segments (a proper prefix first), then by
  // identifier.
  friend bool operator<(const QualifiedNameIDPair& a, const QualifiedNameIDPair& b);
};

using NameIDPairVector = std::vector<NameIDPair>;
using QualifiedNameIDPairVector = std::vector<QualifiedNameIDPair>;

// Accepts objects of the eligible types whose name (or, with
// m_bQualifiedNameMatch, whose whole qualified name) equals the name looked
// for without regard to case; with alias matching former names count too.
class NamedInterfaceTypeCondition : public ObjectNameCondition {
 public:
  enum LookupFolderTreeRetCode : int {
    kOK = 0,
    kUnresovableTable = 1,
    kAmbiguousTable = 2,
    kAmbiguousCatalog = 3,
    kInaccessibleTable = 4,
    kNonexistentTable = 5,
  };

  // An empty condition (no types, no name) for the byte reader to fill.
  NamedInterfaceTypeCondition();
  // The object's own name is the last segment of qualifiedObjectName; the
  // match is always on the whole qualified name, however many segments.
  NamedInterfaceTypeCondition(const TypeID& namedInterfaceTypeID, const QualifiedName& qualifiedObjectName,
                              bool bAliasMatching);
  NamedInterfaceTypeCondition(const TypeIDVector& eligibleTypes, const QualifiedName& qualifiedObjectName,
                              bool bAliasMatching);
  // objectName under qualifiedParentName; with an empty parent name the match
  // is on the object's own name alone.
  NamedInterfaceTypeCondition(const TypeID& namedInterfaceTypeID, const VXString& objectName,
                              const QualifiedName& qualifiedParentName, bool bAliasMatching);
  NamedInterfaceTypeCondition(const TypeIDVector& eligibleTypes, const VXString& objectName,
                              const QualifiedName& qualifiedParentName, bool bAliasMatching);

  bool operator()(const Ref<ARpObject>& rpObj) const override;
  // There is no text form of this condition: throws UnsupportedLanguage.
  VXString ToConditionString(QueryLanguage lang) const override;
  void ToByteVector(ARpGateway* pRp, ByteVector& bytes) const override;
  const uint8* FromByteVector(ARpGateway* pRp, const uint8* p, const uint8* end) override;
  // The eligible types and the object's own name (when there is one), so the
  // gateway visits only the objects of those types indexed under that name.
  bool GetLookupHint(LookupHint& hint) const override;

  // Two or more segments.
  bool IsFullyQualifiedSearch() const override;
  // The condition on the container: the name less its last segment (and any
  // empty segments then at its end, keeping at least one), over the parent
  // types of the eligible types. Meant for fully qualified searches; the
  // caller owns the result.
  NamedInterfaceTypeCondition* GetParentCondition() const override;
  // Appends GetUDMLChildren(parent).
  void GetChildren(const Ref<ARpObject>& parent, RpObjectVector& children) const override;

  // Whether name equals obj's name or one of its former names, ignoring case
  // (the name first, then the former names from the newest).
  static bool MatchesNameOrAliases(const VXString& name, const Ref<ARpObject>& obj);
  // The catalog.schema.object shape some reporting clients send: the first
  // segment, an empty segment, then the segments from the second to the last
  // (the last left out with bChopLastPart). qualifiedName must have at least
  // one segment. Returns qName.
  static QualifiedName& AddSchemaForCrystalReport(const QualifiedName& qualifiedName, QualifiedName& qName,
                                                  bool bChopLastPart);

  const TypeIDVector& GetEligibleTypes() const { return m_eligibleTypes; }
  const QualifiedName& GetQualifiedName() const { return m_qualifiedName; }
  // The written form of the qualified name, as the matching compares it.
  const VXString& GetQName() const { return m_qName; }
  bool IsQualifiedNameMatch() const { return m_bQualifiedNameMatch; }

 private:
  TypeIDVector m_eligibleTypes;
  QualifiedName m_qualifiedName;
  VXString m_qName;
  bool m_bQualifiedNameMatch = false;
};

// Accepts objects of the eligible types whose qualified name ends with a
// partial qualified name; leading empty segments stand for any segment. A
// presentation table also answers to its former names, and its subject area
// to the area's former names.
class FlexibleNamedInterfaceTypeCondition : public ObjectNameCondition {
 public:
  // An empty condition for the byte reader to fill.
  FlexibleNamedInterfaceTypeCondition();
  // The match is on the qualified name when flexibleName has two or more
  // segments, on the object's own name otherwise.
  FlexibleNamedInterfaceTypeCondition(const TypeIDVector& eligibleTypes, const QualifiedName& flexibleName,
                                      bool bAliasMatching);

  bool operator()(const Ref<ARpObject>& rpObj) const override;
  void ToByteVector(ARpGateway* pRp, ByteVector& bytes) const override;
  const uint8* FromByteVector(ARpGateway* pRp, const uint8* p, const uint8* end) override;
  // The eligible types and, unless the last segment is empty (any name), that
  // name: a presentation table is indexed under its own name and its former
  // names, so tables reached through an alias are still candidates.
  bool GetLookupHint(LookupHint& hint) const override;

  bool IsFullyQualifiedSearch() const override;
  FlexibleNamedInterfaceTypeCondition* GetParentCondition() const override;
  void GetChildren(const Ref<ARpObject>& parent, RpObjectVector& children) const override;

  // Whether rpObj's qualified name ends with flexibleName (see the class
  // comment). A null object never matches.
  bool IsNameFlexibleMatch(const Ref<ARpObject>& rpObj, const QualifiedName& flexibleName) const;

  const TypeIDVector& GetEligibleTypes() const { return m_eligibleTypes; }
  const QualifiedName& GetFlexibleName() const { return m_flexibleName; }
  std::int32_t GetNameSize() const { return nameSize; }
  bool IsFlexibleNameMatch() const { return m_bFlexibleNameMatch; }

 private:
  TypeIDVector m_eligibleTypes;
  std::int32_t nameSize = 0;
  QualifiedName m_flexibleName;
  bool m_bFlexibleNameMatch = false;
};

// Accepts objects whose name (or, with alias matching, a former name)
// matches a wildcard pattern of BaseStringUtil, ignoring case. It stands
// alone: no parent condition, no children.
class WildcardNameCondition : public ACondition {
 public:
  // An empty pattern for the byte reader to fill.
  WildcardNameCondition();
  WildcardNameCondition(const VXString& objName, bool bAliasMatching);

  bool operator()(const Ref<ARpObject>& rpObj) const override;
  // There is no text form of this condition: throws UnsupportedLanguage.
  VXString ToConditionString(QueryLanguage lang) const override;
  void ToByteVector(ARpGateway* pRp, ByteVector& bytes) const override;
  const uint8* FromByteVector(ARpGateway* pRp, const uint8* p, const uint8* end) override;

  VXString GetObjectName() const { return m_objName; }
  bool IsAliasMatching() const { return m_bAliasMatching; }

 private:
  VXString m_objName;
  bool m_bAliasMatching = false;
};

// Whether name equals one of allNames, ignoring case.
bool IsMatchOneOfTheNames(const VXString& name, const VXStringVector& allNames);
// Appends obj when it names an existing object.
void AddObject(const Ref<ARpObject>& obj, RpObjectVector& v);
void InsertVoidIDVecToVoidIDSet(VoidIDSet& destIDs, const VoidIDVector& srcIDs);
// Appends the objects that a search below parent visits (and a UDML export
// writes with it), by the parent's type: a business model's display folders,
// logical tables and dimensions; a logical table's columns, keys, foreign
// keys, source folder and sources; a database's tables, sub-folders,
// connection pools and display folders; and so on for every container type.
// Nothing for a handle that names no object or a type without such children.
void GetUDMLChildren(const Ref<ARpObject>& parent, RpObjectVector& children);
