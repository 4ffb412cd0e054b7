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
#include <utility>
#include <vector>

#include "Metadata/SMExprType.h"
#include "Utility/VXString.h"
#include "Utility/VoidID.h"
#include "objectmodel/Condition.h"
#include "objectmodel/Interfaces.h"
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
  QualifiedNameIDPair(QualifiedName&& qName, const VoidID& id) : m_qName(std::move(qName)), m_id(id) {}

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

  // ---- resolving a query's names (SMLookupAlgorithms.cpp, SMLookupColumns.cpp)
  //
  //   QualifiedNameIDPairVector pairs;
  //   VoidIDSet tables;
  //   VoidID area;
  //   auto code = NamedInterfaceTypeCondition::LookupFolderTree({U"Sales", U"Orders"}, pairs, pRp, kSME_Logical,
  //                                                             tables, area, false, false);
  //   // kOK: pairs holds every name the table answers to, tables its id.
  //
  // Every lookup applies the current user's read permission unless
  // bProjectInaccessibleColumnAsNull is set (the query then shows what the
  // user may not read as nulls), and records in idCollection the tables
  // whose names it resolved. Nothing throws: the code says what happened.

  // A table name of the layer to the pairs (qualified name, id) under which
  // the table found can be addressed; a one-segment presentation name that
  // names a subject area lists that area's tables and sets catalogFolderID.
  static LookupFolderTreeRetCode LookupFolderTree(const QualifiedName& qFolderName,
                                                  QualifiedNameIDPairVector& qNameIDPairs, ARpGateway* pRp,
                                                  ExprType exprType, VoidIDSet& idCollection, VoidID& catalogFolderID,
                                                  bool bProjectInaccessibleColumnAsNull,
                                                  bool bListCatalogWithoutSecurity);
  // The same, and on kAmbiguousTable / kAmbiguousCatalog the objects that
  // made it ambiguous (their qualified names and ids) in candidates, which
  // is emptied first. The code and the other outputs are those above.
  static LookupFolderTreeRetCode LookupFolderTree(const QualifiedName& qFolderName,
                                                  QualifiedNameIDPairVector& qNameIDPairs, ARpGateway* pRp,
                                                  ExprType exprType, VoidIDSet& idCollection, VoidID& catalogFolderID,
                                                  bool bProjectInaccessibleColumnAsNull,
                                                  bool bListCatalogWithoutSecurity,
                                                  QualifiedNameIDPairVector& candidates);
  // A table name of the layer to the ids of the tables it names (appended
  // to folderIDs). catalogFolderID is not changed.
  static LookupFolderTreeRetCode LookupFolder(const QualifiedName& qFolderName, VoidIDVector& folderIDs,
                                              ARpGateway* pRp, ExprType exprType, VoidIDSet& idCollection,
                                              VoidID& catalogFolderID, bool bProjectInaccessibleColumnAsNull);
  // Physical and cube tables by a name aligned with the end of their
  // qualified names; the first segment may be a concatenated catalog name
  // ("database.catalog"), and the session's default catalog settles a
  // one- or two-segment name that several tables bear. Appends to folderIDs.
  static LookupFolderTreeRetCode LookupPhysicalTable(const QualifiedName& qFolderName, VoidIDVector& folderIDs,
                                                     ARpGateway* pRp, VoidIDSet& idCollection,
                                                     bool bProjectInaccessibleColumnAsNull);
  // table.column (any table name LookupFolder takes) to the columns of the
  // first table found that bear the column name; fewer than two segments
  // find nothing. folderID is overwritten with that table (a copy: the
  // caller's value does not change).
  static void LookupFullyQualifiedColumn(const QualifiedName& qColumnName, VoidIDVector& columnIDs, VoidID folderID,
                                         ARpGateway* pRp, ExprType exprType, VoidIDSet& idCollection,
                                         bool bProjectInaccessibleColumnAsNull, bool& bFoundInaccessibleColumns);
  // The columns of one table of the layer named columnName (presentation
  // columns also by a former name); columnIDs is emptied first.
  static void LookupColumnFromFolder(const VoidID& folderID, const VXString& columnName, VoidIDVector& columnIDs,
                                     ARpGateway* pRp, ExprType exprType, VoidIDSet& idCollection,
                                     bool bProjectInaccessibleColumnAsNull, bool& bFoundInaccessibleColumns);
  static void LookupAllColumnsFromFolder(const VoidID& folderID, VoidIDVector& columnIDs, ARpGateway* pRp,
                                         ExprType exprType, VoidIDSet& idCollection,
                                         bool bProjectInaccessibleColumnAsNull);
  // Every column of every table in folderIDVector as (name, id), appended;
  // presentation columns under their custom display names.
  static void LookupAllColumnsFromFolderVector(const VoidIDVector& folderIDVector, NameIDPairVector& nameIDPairs,
                                               ARpGateway* pRp, ExprType exprType, VoidIDSet& idCollection,
                                               bool bProjectInaccessibleColumnAsNull);
  // The tables of the session's default subject area, as pairs (appended);
  // kUnresovableTable when there is no default subject area.
  static LookupFolderTreeRetCode GetAllEntityFoldersFromDefaultCatalogFolder(QualifiedNameIDPairVector& qNameIDPairs,
                                                                             ARpGateway* pRp, VoidID& catalogFolderID,
                                                                             bool bProjectInaccessibleColumnAsNull);
  // The presentation tables directly in refFolder (GetSubFolderIDs) or
  // anywhere below it (GatherEntityFolders), as pairs, appended.
  static void GetSubFolderIDs(ARpGateway* pRp, const Ref<AFolder>& refFolder, QualifiedNameIDPairVector& qNameIDPairs,
                              bool bProjectInaccessibleColumnAsNull);
  static void GatherEntityFolders(ARpGateway* pRp, const Ref<AFolder>& refFolder,
                                  QualifiedNameIDPairVector& qNameIDPairs, bool bProjectInaccessibleColumnAsNull);
  // The presentation tables below refAFolder that one of whose names ends
  // with qFolderName (appended to folderIDs), and the outcome.
  static LookupFolderTreeRetCode GatherMatchedEntityFolders(ARpGateway* pRp, const Ref<AFolder>& refAFolder,
                                                            const QualifiedName& qFolderName, VoidIDVector& folderIDs,
                                                            bool bProjectInaccessibleColumnAsNull);
  // The presentation columns of one table named name (or once so named),
  // appended to ids.
  static void GatherMatchesInEntityFolder(ARpGateway* pRp, const Ref<AFolder>& refAFolder, const VXString& name,
                                          VoidIDVector& ids, VoidIDSet& idCollection,
                                          bool bProjectInaccessibleColumnAsNull);
  // Runs condition through the gateway and appends the readable matches.
  static void QueryWithSecurity(ARpGateway* pRp, const ACondition& condition, VoidIDVector& qualifiedObjIDs,
                                bool bProjectInaccessibleColumnAsNull, bool& bFoundInaccessibleFolder);
  // Removes, in place and keeping the order, the ids the user may not read;
  // sets bFoundInaccessibleFolder when it removed one.
  static void FilterSecurity(ARpGateway* pRp, bool bProjectInaccessibleColumnAsNull, bool& bFoundInaccessibleFolder,
                             VoidIDVector& objIDs);

  // ---- "did you mean" (SMLookupSuggestions.cpp) ----------------------------
  // Up to maxCount names, best first, near the table name qFolderName of the
  // layer (or, for a one-segment presentation name, a subject area's):
  // same name in another container or case, a former name, or a last
  // segment a few edits away. Drawn only from objects the current user may
  // read, whatever the projection setting, so a suggestion never reveals a
  // secured name. Presentation names come without their empty levels, as a
  // query would write them. suggestions is emptied first.
  static void SuggestTableNames(ARpGateway* pRp, const QualifiedName& qFolderName, ExprType exprType,
                                std::vector<QualifiedName>& suggestions, std::size_t maxCount = 5);
  // The same for a column name among the readable columns of one table.
  static void SuggestColumnNames(ARpGateway* pRp, const VoidID& folderID, const VXString& columnName, ExprType exprType,
                                 VXStringVector& suggestions, std::size_t maxCount = 5);

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

// Every name under which the object can be addressed, appended as pairs:
// its qualified name, then for each former name the same with the last
// segment replaced. Nothing for an id that names no object.
void GatherAllQualifiedNameIDPairsForAnObject(ARpGateway* pRp, QualifiedNameIDPairVector& qNameIDPairs,
                                              const VoidID& id);
// The readable subject area whose name is the session's default subject
// area (asked with bCatalogSpecified); null when there is none.
Ref<ACatalogFolder> GetDefaultCatalogFolder(ARpGateway* pRp, bool bCatalogSpecified,
                                            bool bProjectInaccessibleColumnAsNull);
// Appends the columns of the layer's table folderID named columnName (every
// column for an empty name when bEmptyNameIsAll), readable ones only unless
// bProjectInaccessibleColumnAsNull; a presentation table with a match goes
// into idCollection.
void AddMatchingFolderColumns(const VoidID& folderID, const VXString& columnName, VoidIDVector& columnIDs,
                              ARpGateway* pRp, ExprType exprType, VoidIDSet& idCollection, bool bEmptyNameIsAll,
                              bool bProjectInaccessibleColumnAsNull, bool& bFoundInaccessibleColumns);
