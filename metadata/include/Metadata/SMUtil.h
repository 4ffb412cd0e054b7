// MetadataUtil: the library's static operations, grouped by family.
//
// Qualified names are written as double-quoted segments joined by ".", with a
// double quote inside a segment written twice:
//
//   QualifiedName q{U"Sales", U"Order \"Lines\"", U"Amount"};
//   MetadataUtil::ToQualifiedName(q);      // "Sales"."Order ""Lines"""."Amount"
//   QualifiedName back;
//   MetadataUtil::ParseQualifiedNameString(text, back, '.', true);
//
// Each family has its own section below and its own SMUtil*.cpp source; add a
// new family as a new section rather than interleaving it with another.
#pragma once

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "Metadata/SMExprType.h"
#include "Metadata/SMVariables.h"  // variable scanning types
#include "Utility/VXString.h"
#include "Utility/VoidID.h"
#include "objectmodel/Repository.h"
#include "objectmodel/RpGateway.h"

// For the variable-scanning section.
template <class T>
class Ref;
class ARpVariable;
// For the query and join text section (ListQuerySpec/ListQuerySpec.h).
class AbstractListQuerySpec;
class ListQuerySpec;
class MultiListQuerySpec;
class JoinGraph;
// For the variable-substitution section.
class AConnectionPool;
struct GatewayOptions;

class MetadataUtil {
 public:
  // ---------------------------------------------------------------------------
  // Qualified names (SMUtilNames.cpp)
  // ---------------------------------------------------------------------------

  // Always true: every name is quoted when written. Kept as its own entry point
  // so that the quoting operations ask one place.
  static bool AreQuotesRequired(const VXString& name);

  // quote + name + quote, unless name is empty, identifierQuote is empty, or
  // name already starts with the quote's first character. Embedded quotes are
  // NOT doubled (this is the light-weight form; ToQualifiedName doubles them).
  static VXString GenerateQuotedNameIfRequired(const VXString& name, const VXString& identifierQuote);
  // The single-name rule applied to every segment, joined with ".".
  static VXString GenerateQuotedNameIfRequired(const QualifiedName& name, const VXString& identifierQuote);

  // The written qualified name of parentNameVector followed by name: each
  // segment double-quoted (inner quotes doubled), joined with ".". An empty
  // first or last segment is written as "" so that parsing gives it back.
  static VXString ToQualifiedName(const QualifiedName& parentNameVector, const VXString& name);
  static VXString ToQualifiedName(const QualifiedName& qualifiedNameParts);

  // True when shortQName names the last levels of longQName (case-insensitive;
  // an empty inner segment of shortQName matches any one level).
  static bool IsQualifiedNameSection(const QualifiedName& shortQName, const QualifiedName& longQName,
                                     bool bAllowShortQNameEmpty);

  // Removes every empty segment in place, keeping the order of the rest.
  static void StripQualifiedNameOfEmptyStrings(QualifiedName& input);

  // Splits written text such as "A"."B" into segments. Unquoted or malformed
  // text comes back whole as a single segment. result is overwritten; reusing
  // one result vector across calls reuses its segments' storage.
  static void ParseQualifiedNameString(const VXString& qnameStr, QualifiedName& result, char separator,
                                       bool bStripQuotes);

  // All segments but the last; returns qName.
  static QualifiedName& ChopAQualifiedName(const QualifiedName& qualifiedName, QualifiedName& qName);

  // Splits text at every "." (quoted runs containing "." are kept together);
  // an unclosed quoted run is dropped. qName is emptied first.
  static void ConvertNameToQualifiedName(const VXString& strName, QualifiedName& qName);

  // Database and catalog from "database<delimiter>catalog" (delimiter from
  // the system configuration); always two segments, "//" read as ".".
  static QualifiedName SplitConcatenatedCatalogName(const VXString& concatenatedCatalogName);
  // databaseName + delimiter + catalogName, or databaseName alone when the
  // catalog is empty. Nothing is escaped.
  static VXString ToConcatenatedCatalogName(const VXString& databaseName, const VXString& catalogName);
  // The concatenated name of a database (its name) or of a catalog (its
  // database's name, the delimiter, its own name); empty for anything else
  // and for a handle that names nothing.
  static VXString ToConcatenatedCatalogName(const Ref<APhysicalDataFolder>& databaseOrCatalog);

  // Inserts the empty levels that an object of objTypeID has between its own
  // name and parent's (the object model's accordion rule).
  static void AddEmptyAccordionNames(TypeID objTypeID, const Ref<ARpObject>& parent, QualifiedName& qualifiedName);

  // ---------------------------------------------------------------------------
  // Object type catalogue (SMUtilTypes.cpp)
  // ---------------------------------------------------------------------------

  // Upper-case display name of an interface type id ("LOGICAL TABLE SOURCE").
  // An id outside the catalogue is a logic error (VXAssertException).
  static VXString ToTypeName(TypeID typeID);

  // Whether objects of type need a parent. Repository variables may stand
  // alone although they can have one.
  static bool MustHaveParent(TypeID type);
  // Appends the types an object of type may live under: the object model's
  // parent table, then the nesting of levels and presentation hierarchies.
  static void GetParentTypes(TypeID type, std::vector<TypeID>& types);
  // Replaces typeIDVector with the types never shown to users.
  static void GetHiddenObjectTypes(std::vector<TypeID>& typeIDVector);
  // The object model's list of types shown in administration tools.
  static void FillDisplayTypes(std::vector<TypeID>& arrayTypes);
  // Whether two repositories are compared object by object for type.
  static bool IsCompareableType(TypeID type);

  // ---------------------------------------------------------------------------
  // Object naming and resolution by name (SMUtilObjects.cpp)
  // ---------------------------------------------------------------------------

  static constexpr std::int32_t kUnknownColumnIndex = -1;

  // The written qualified name of obj (empty for a handle that names nothing).
  static VXString GenerateQualifiedName(const Ref<ARpObject>& obj);
  // The segments of obj's name, outermost first, accordion levels included.
  static QualifiedName& GenerateQualifiedName(const Ref<ARpObject>& obj, QualifiedName& objName);
  // With a non-empty parentName: parentName plus obj's own name, no accordion
  // levels. With an empty one: as the two-argument form.
  static QualifiedName& GenerateQualifiedName(const Ref<ARpObject>& obj, QualifiedName& objName,
                                              const QualifiedName& parentName);
  // obj's container, or a null handle.
  static Ref<ARpObject> GetParent(const Ref<ARpObject>& obj);

  // The name of the measure column of a measure definition; empty without a
  // gateway or a column. An id that does not resolve is a logic error.
  static VXString GetName(const VoidID& measureDefnID, ARpGateway* pRp);

  // kSME_Physical when the session variable SELECTPHYSICAL reads as true,
  // kSME_Logical otherwise.
  static ExprType GetLayerToQuery(ARpGateway* rpGateway);

  // The object of interfaceTypeID whose name, without its empty levels,
  // equals refQName without its empty levels, exactly (case counts); null
  // when there is none.
  static Ref<ARpObject> GetRpObjectFromQualifiedName(ARpGateway* pRpGateway, TypeID interfaceTypeID,
                                                     QualifiedName refQName);
  // Whether written text names obj, ignoring case. With bAliasMatching any
  // former name of obj under its current parent is accepted too.
  static bool IsQualifiedNameMatch(const Ref<ARpObject>& obj, const VXString& qualifiedNamePattern,
                                   bool bAliasMatching);

  // Appends the names and former names of every object of type (and, for
  // subject areas, of their sub-folders): the names a new one must avoid.
  static void GenerateNameVectorOfRootObjects(ARpGateway* pRp, TypeID type, VXStringVector& nameVec);
  // Appends the names and former names of rpParent's children of typeID
  // (of every repository variable for kTIDARpVariable).
  static void GetAllocatedChildrenNames(ARpGateway* pRp, TypeID typeID, const Ref<ARpObject>& rpParent,
                                        VXStringVector& names);

  // Replaces objVector with the handles of the ids that resolve, in order.
  static void VoidIDVectorToRpObjectVector(ARpGateway* pRp, const VoidIDVector& objIDs, RpObjectVector& objVector);

  // 0-based position of attr from attrIter's position on; kUnknownColumnIndex
  // when absent.
  static std::int32_t FindColumnIndex(const Ref<AAttribute>& attr, BinaryRelIter<AAttribute> attrIter);
  // The element columnIndex places from attrIter's position; a null handle
  // when the iteration ends first or columnIndex is negative.
  static Ref<AAttribute> GetIthColumn(std::int32_t columnIndex, BinaryRelIter<AAttribute> attrIter);

  // ---------------------------------------------------------------------------
  // Moving objects (SMUtilSetParent.cpp)
  // ---------------------------------------------------------------------------

  // Moves obj under newParent, through the one link that "parent" means for
  // obj's type (a column's table, a level's parent level, a user's role ...);
  // afterwards GetParent(obj) is newParent, except where the parent stands
  // for another object (a source folder for its logical table, a physical
  // dimension or hierarchy for its cube table, an AW hierarchy or level for
  // its AW dimension) or the link is a relation (users and roles, a
  // presentation column and its presentation level). A null newParent, or
  // obj's current parent, changes nothing. A parent type the type does not
  // accept, a type that has no parent and a move under itself are logic
  // errors (VXAssertException), except for a user, who is left where he is.
  // An attribute's keys are deleted before it moves. A physical level given
  // a hierarchy becomes its top level; given a level, it goes to that
  // level's hierarchy directly below it.
  static void SetParent(const Ref<ARpObject>& obj, const Ref<ARpObject>& newParent);
  // Appends the types SetParent accepts as the new parent of an object of
  // type (nothing for a type that cannot be given a parent).
  static void GetNewParentTypes(TypeID type, std::vector<TypeID>& types);

  // ---------------------------------------------------------------------------
  // Variable references in text (SMUtilVariables.cpp; types in SMVariables.h)
  // ---------------------------------------------------------------------------

  // Appends to positions the references in inputOutput that open with
  // patternToMatch (a lower-case opening such as kValueNameOfStr). With a null
  // pattern: all VALUEOF references, then all VALUELISTOF references.
  // nAddOffset is added to every recorded position.
  static void FindVariables(const VXString& inputOutput, VariablePositions& positions,
                            const char32_t* patternToMatch = nullptr, std::size_t nAddOffset = 0);
  // True when customName holds exactly one reference, it is qualified, and its
  // name begins with pattern (ignoring case); variable then gets a copy of it.
  static bool HasVariablesStartedWithPattern(const VXString& customName, const VXString& pattern,
                                             VariableTokenInfo& variable);
  // Whether varName begins with S_KEX_BUNDLE_PREFIX, ignoring case.
  static bool BeginsWithKEXBundlePrefix(const VXString& varName);
  // varName less the length of the bundle prefix (not checked), trimmed.
  static VXString GetStringAfterKEXBundlePrefix(const VXString& varName);
  // The trimmed text after the first "#KEY#"; varName unchanged without one.
  static VXString GetKeyFromKEXBundleVariable(const VXString& varName);
  // Splits NAME<_S_MULTI_VAR_TOKEN>SOURCE. False, outputs untouched, when the
  // token is missing or the name part would be empty.
  static bool ParseMultiVar(const VXString& sMultiVarName, VXString& sVarName, VXString& sSourceName);
  // The same for the name of a session variable: false unless var resolves and
  // its initialization block resolves and is a session block.
  static bool ParseMultiVar(const Ref<ARpVariable>& var, VXString& sVarName, VXString& sSourceName);

  // ---------------------------------------------------------------------------
  // Query and join text (SMUtilQuery.cpp, SMUtilQueryJoin.cpp)
  // ---------------------------------------------------------------------------

  // A query spec as logical SQL, one clause per line. bFullyQualified
  // goes to every expression and table name; bTabs indents each clause line
  // with two tabs; bNativeSQL leaves out the internal forms, alias quotes and
  // the break line (and may take the FROM clause from the catalog folder);
  // bShortExternalMode leaves out aliases and may derive the FROM clause from
  // the first select item. Each form checks the stack (VXStackOverflowException)
  // and the job's cancellation (VXJobCancelledException) first, so nested
  // subqueries stop cleanly. An enumeration value outside its cases is a logic
  // error (VXAssertException).
  //
  //   MetadataUtil::QueryTextOptions options;
  //   options.fullyQualified = true;
  //   options.tabs = true;
  //   MetadataUtil::ToSQLStatement(spec, pRp, options);
  struct QueryTextOptions {
    bool fullyQualified = false;
    bool tabs = false;
    bool nativeSQL = false;
    bool shortExternalMode = false;
  };
  static VXString ToSQLStatement(const ListQuerySpec& request, ARpGateway* pRp, const QueryTextOptions& options);
  static VXString ToSQLStatement(const AbstractListQuerySpec& request, ARpGateway* pRp,
                                 const QueryTextOptions& options);
  static VXString ToSQLStatement(const MultiListQuerySpec& request, ARpGateway* pRp, const QueryTextOptions& options);
  // The same with the switches in order (fully qualified, tabs, native SQL,
  // short external mode).
  static VXString ToSQLStatement(const ListQuerySpec& request, ARpGateway* pRp, bool bFullyQualified, bool bTabs,
                                 bool bNativeSQL, bool bShortExternalMode);
  static VXString ToSQLStatement(const AbstractListQuerySpec& request, ARpGateway* pRp, bool bFullyQualified,
                                 bool bTabs, bool bNativeSQL, bool bShortExternalMode);
  static VXString ToSQLStatement(const MultiListQuerySpec& request, ARpGateway* pRp, bool bFullyQualified, bool bTabs,
                                 bool bNativeSQL, bool bShortExternalMode);
  // The empty SELECT frame followed by the join graph and its join conditions.
  static VXString ToSQLStatement(const JoinGraph& joinSpec, ARpGateway* pRp, const QueryTextOptions& options);
  static VXString ToSQLStatement(const JoinGraph& joinSpec, ARpGateway* pRp, bool bFullyQualified, bool bTabs,
                                 bool bNativeSQL, bool bShortExternalMode);
  // The compact lower-case diagnostic form (no join conditions).
  static VXString ToString(const ListQuerySpec& request, ARpGateway* pRp, bool bFullyQualified);

  // The tables of a join graph separated by ",\n" (plus two tabs with bTabs);
  // a node that does not resolve is written "Missing RP object".
  static VXString ToString(const JoinGraph& joinSpec, ARpGateway* pRp, bool bFullyQualified, bool bTabs);
  // The quoted catalog, schema and table names of a physical table joined by
  // "." (the database is never written); the quoted name of anything else.
  static VXString GetFullyQualifiedTableName(const Ref<ARpObject>& rpObj);
  // Appends the join condition of a physical foreign key or complex join,
  // starting with a blank; nothing for any other id.
  static void ChangeForeignKeyOrJoinIDToString(const VoidID& id, VXString& out, ARpGateway* pRp, bool bFullyQualified);
  // The first complex join attached to rpRightTable that also links
  // rpLeftTable, or a null handle.
  static Ref<ARpObject> FindComplexJoinBetweenTables(const Ref<ARpObject>& rpLeftTable,
                                                     const Ref<ARpObject>& rpRightTable);

  // ---------------------------------------------------------------------------
  // Delete dependencies (SMDelete.cpp)
  // ---------------------------------------------------------------------------

  // Empties children and fills it with every object that deleting parent
  // would take along (its delete descendants), in the order the object
  // model's walk finds them; parent itself is not listed. Nothing is
  // deleted; ARpGateway::DeleteObject removes exactly these. A handle that
  // names no object leaves children empty.
  static void GetDeleteDescendants(const Ref<ARpObject>& parent, RpObjectVector& children);
  // One delete descendant with what drags it along: the object whose delete
  // takes it (parent or an earlier descendant) and the relationship between
  // the two (containment is relationship 1).
  struct DeleteDescendant {
    Ref<ARpObject> m_obj;
    Ref<ARpObject> m_from;
    RelID m_rel;
    const char* m_relName;  // the relationship's name in the model's table
  };
  // The same walk, each descendant with its reason; descendants is emptied
  // first.
  static void GetDeleteDescendants(const Ref<ARpObject>& parent, std::vector<DeleteDescendant>& descendants);

  // ---------------------------------------------------------------------------
  // Presentation ordering and drill paths (SMUtilPresentation.cpp)
  // ---------------------------------------------------------------------------
  //
  // Every operation appends to the vectors it is given and never clears them,
  // so a caller may gather the answers of several calls in one vector. A
  // handle that names nothing, or names an object of another kind than the
  // operation reads, contributes nothing.
  //
  //   RpObjectVector drillTo;
  //   MetadataUtil::GetDrillToLevelsByPreferredDrillPath(presentationLevel, drillTo);

  // Appends object to the vector of its kind: subject areas (ACatalogFolder)
  // to catalogs, presentation tables (AEntityFolder) to tables, presentation
  // columns (AFolderAttr) to columns, presentation hierarchies to hierarchies
  // and presentation levels to levels. Any other object is ignored.
  static void SortPresentationObjects(const Ref<ARpObject>& object, RpObjectVector& catalogs, RpObjectVector& tables,
                                      RpObjectVector& columns, RpObjectVector& hierarchies, RpObjectVector& levels);
  // The same for each object a project includes (excludes), in the project's
  // order; a null project gives nothing.
  static void SplitProjectIncludedPresentationObjects(const Ref<AProject>& project, RpObjectVector& catalogs,
                                                      RpObjectVector& tables, RpObjectVector& columns,
                                                      RpObjectVector& hierarchies, RpObjectVector& levels);
  static void SplitProjectExcludedPresentationObjects(const Ref<AProject>& project, RpObjectVector& catalogs,
                                                      RpObjectVector& tables, RpObjectVector& columns,
                                                      RpObjectVector& hierarchies, RpObjectVector& levels);
  // Every presentation column of presColumn's folder, presColumn among them,
  // in the folder's order. A column without a folder has no siblings and
  // gives itself alone.
  static void CollectSelfAndSiblingObjects(const Ref<AFolderAttr>& presColumn, RpObjectVector& selfAndSiblings);
  // For each attribute of the logical key in order, the presentation column
  // that shows it: the first one in preferredTable (a null preferredTable
  // matches columns without a folder), else the first one of all; nothing for
  // an attribute that no presentation column shows.
  static void GetFolderAttrsRelatedToLogicalKey(const Ref<AFolder>& preferredTable, const Ref<AKey>& logicalKey,
                                                RpObjectVector& relatedFolderAttrs);
  // The presentation columns of the level's logical level's attributes,
  // chosen as above with the table that holds the level's hierarchy as the
  // preferred table. Nothing when the level has no logical level.
  static void GetPresentationLevelAttributes(const Ref<APresentationLevel>& level, RpObjectVector& folderAttrs);
  // Where the preferred drill-down of the level's logical level leads, as
  // presentation levels: for each logical level it names, in order, its first
  // presentation level whose hierarchy lies in the same presentation table as
  // level's hierarchy, else its first presentation level of all; nothing for
  // a logical level no presentation level shows. Nothing when level has no
  // logical level.
  static void GetDrillToLevelsByPreferredDrillPath(const Ref<APresentationLevel>& level, RpObjectVector& drillToLevels);

  // ---------------------------------------------------------------------------
  // Repository maintenance (SMUtilMaintenance.cpp)
  // ---------------------------------------------------------------------------

  // Passwords in scripts are sealed with a key: the repository's own script
  // key (data blob 15, its second field) or one derived from a pass phrase.
  // The plain bytes exist only in passwdBytes and in wiped temporaries. A
  // wrong key, a damaged string or a missing blob answers false and leaves
  // passwdBytes untouched.
  static bool DecryptAESPassword(ARpGateway* pRp, const VXString& aesString, ByteVector& passwdBytes);
  static bool DecryptAESPassword(const VXString& repositoryPassword, const VXString& aesString,
                                 ByteVector& passwdBytes);
  // Re-seals aesString from the old pass phrase's key to the new one's.
  // Equal pass phrases copy the string without any cryptography. False (and
  // newAESString untouched) when the string does not open with the old key.
  static bool GetNewAESString(const VXString& oldFilePassword, const VXString& aesString,
                              const VXString& newFilePassword, VXString& newAESString);
  // The same for a list, deriving each key once. Results are appended to
  // newAESStrings in order; the first string that does not open stops the
  // walk with false, the strings before it already appended.
  static bool GetNewAESStrings(const VXString& oldFilePassword, const VXStringVector& aesStrings,
                               const VXString& newFilePassword, VXStringVector& newAESStrings);

  // Re-seals every sealed password of the repository from the old pass
  // phrase's key to the new one's: the passwords of connection pools and the
  // bind and key-database passwords of LDAP servers, whose bytes hold the
  // sealed text. A script key (blob 15) equal to the old pass phrase's key
  // is replaced by the new one's. All or nothing: when any password does not
  // open with the old pass phrase, nothing changes and the answer is false.
  // rekeyed receives the number of passwords re-sealed.
  static bool RekeyRepository(ARpGateway* pRp, const VXString& oldFilePassword, const VXString& newFilePassword,
                              std::size_t& rekeyed);
  // Replaces the connection details of every connection pool and LDAP
  // server with "<Replace Me>" and empties their passwords, so a repository
  // can be handed on without them. The repository is not saved.
  static void ClearConnectionInfo(ARpGateway* rpGateway);
  // Whether a multidimensional database (target types 34, 58, 73, 84) keeps
  // application's data with the "ZOV" storage option (any case); false for
  // any other database or object.
  static bool IsZOVApplication(const Ref<ARpObject>& database, const VXString& application);
  // A two-segment name whose first segment is a subject area the user may
  // see becomes subject area, "" and table (the three-part presentation
  // form); any other name is copied. With a null gateway qName is left as it
  // is. Returns qName.
  static VXStringVector& GenerateProperPresentatationTableName(ARpGateway* pRp, const VXStringVector& qualifiedName,
                                                               VXStringVector& qName,
                                                               bool bProjectInaccessibleColumnAsNull);
  // Whether the source maps the logical column to a non-empty physical
  // expression; if so rPhysicalExpr receives it. The first pair naming the
  // column decides.
  static bool IsLogicalColumnMapped(const Ref<ARpObject>& rpColumn, const ALogicalTableSource::SourceDefinition& defn,
                                    Expr& rPhysicalExpr);
  static bool IsLogicalColumnMapped(const Ref<ARpObject>& rpColumn, const Ref<ALogicalTableSource>& source,
                                    Expr& rPhysicalExpr);
  // The schema and catalog above a web-service table. A table without a
  // parent, or a schema without a container, is a broken invariant
  // (VXAssertException); a parent that is not a schema or a container that
  // is not a catalog is a logic error.
  static void GetParentsForWSTable(Ref<ATable> refTable, Ref<ASchema>& refSchema, Ref<ACatalog>& refCatalog);
  // Writes every object of the map to the archive, each physical, cube or
  // logical table followed directly by those of its columns that are in the
  // map; the rest after them, in map order. With a downgrade file a write
  // counts only when it moved the file. Returns the writes counted. Fits
  // Repository::WriteToRPDAfterGroupingColumnsByTable_T.
  static int WriteToRPDAfterGroupingColumnsByTable(ARpArchive& archive,
                                                   const Repository::ObjectPointerMap& allObjIdPtrMap,
                                                   AFile* pDowngradeFile);
  // Caches its dimension on every level of every dimension (or clears the
  // cache). The library runs it for each repository the repository manager
  // announces, unless it is announced offline.
  static void ProcessDimensionCache(ARpGateway* pGateway, bool bSetCache);
  // The most detailed physical tables of a logical table source: those the
  // source's joins do not show to be coarser than another of its tables.
  // A foreign key join is many-to-one, from the table holding the foreign
  // key to the table of the key it references; table T is coarser than S
  // when a chain of such links leads from S to T and none leads back. Other
  // joins (complex or unnamed) carry no cardinality and order nothing. So a
  // chain F -> D -> R gives {F}; two facts on one dimension give both facts;
  // tables that reach each other both ways, or are unjoined, all stay.
  // Tables that do not resolve are left out. detailedTables is not emptied.
  static void GetMostDetailedTables(const Ref<ALogicalTableSource>& refLTS, std::set<Ref<ARpObject>>& detailedTables);

  // ---------------------------------------------------------------------------
  // Variable substitution (SMUtilSubstitution.cpp)
  // ---------------------------------------------------------------------------

  // Replaces the references in inputOutput by the values of their variables,
  // in three passes: VALUEOF, then VALUELISTOF, then VALUENAMEOF (a value put
  // in by one pass is searched by the later ones, never by its own).
  //
  //   VXString s = U"WHERE REGION IN (VALUELISTOF(VX_SESSION.REGIONS)) AND Y = VALUEOF(CURRENT_YEAR)";
  //   MetadataUtil::ReplaceVariableWithValue(pRp, s, true, false, true);
  //   // WHERE REGION IN ('North','O''Neil') AND Y = 2024
  //
  // Unqualified names are static repository variables (their expression's
  // text, evaluated once per pass however often named) or, when none has the
  // name, HALO_HOST_NAME, HALO_INSTANCE_NAME and HALO_COMPONENT_NAME.
  // Qualified names are session variables, with an optional position in
  // front of the block: VALUEOF(1, VX_SESSION.REGIONS) is the second entry
  // as a literal ('O''Neil'), or NULL when there is none; VALUENAMEOF gives
  // the entry unquoted, or 'NULL'. Without a position VALUEOF and VALUENAMEOF
  // give the value's text, and VALUELISTOF gives every entry as a literal,
  // joined by ",". bEscapeSingleQuote doubles the quotes of the texts that
  // are not escaped anyway (an entry picked by position always is).
  //
  // With errorOnUndefinedVars a repository variable that is missing or not
  // static throws ErrorMessage 23005 (name), an unset session variable 23006
  // (block, name) and a name shared by several repository variables 23010
  // (name); inputOutput then keeps the replacements of the references after
  // the failing one in its pass. Without, such a reference is removed.
  // enablePropertyMapLock has no effect here. Linear in the length of the
  // text and of the values put in.
  static void ReplaceVariableWithValue(ARpGateway* pRp, VXString& inputOutput, bool errorOnUndefinedVars,
                                       bool enablePropertyMapLock, bool bEscapeSingleQuote);
  // Replaces every occurrence of colonVariable (exact, case counts) by
  // value; text coming from value is not searched again. An empty
  // colonVariable changes nothing.
  static void ReplaceColonVariableWithValue(VXString& inputOutput, const VXString& colonVariable,
                                            const VXString& value);
  // Whether the session has a value for (block, name); false for an empty
  // block. The block may be GlobalRpVariables::global_SessionBlockWildcard.
  static bool IsSessionVariablePopulated(ARpGateway* pRpGateway, const std::pair<VXString, VXString>& stringPair);
  // The same for a reference's (qualifier, name); false when unqualified.
  static bool IsSessionVariablePopulated(ARpGateway* pRpGateway, const VariableTokenInfo& variable);
  // Fills gatewayOptions with the pool's enabled connection scripts, each
  // with the colon variable :USER replaced by the repository's user name
  // (RetrieveUserNamePassword) and then its references replaced twice, so
  // that references brought in by values are expanded too. An undefined
  // variable throws as ReplaceVariableWithValue does with errors on; the
  // scripts before it are personalized already. A null pool is a broken
  // invariant (VXAssertException).
  static void Personalize(ARpGateway* pSecureRp, const Ref<AConnectionPool>& poolMeta, GatewayOptions& gatewayOptions);

  // ---------------------------------------------------------------------------
  // Repository credentials (SMUtilCredentials.cpp)
  // ---------------------------------------------------------------------------

  // The user name and password kept in the repository's data blob 1, for a
  // gateway of type 1 (server) or 2 (offline); the strings are left as they
  // were for any other type, a null gateway, or a repository without the
  // blob. A damaged blob throws BlobDecodeError and leaves them too.
  static void RetrieveUserNamePassword(ARpGateway* pSecureRp, VXString& vxUserName, VXString& vxPassword);

  // ---------------------------------------------------------------------------
  // Custom display names and resource-bundle strings (SMUtilBundles.cpp)
  // ---------------------------------------------------------------------------

  // The object's current custom display name: its display-name text with
  // session variables substituted (undefined ones vanish), after the bundle
  // strings it needs are loaded into the session. Presentation folders,
  // tables, columns, hierarchies, levels and customer types; any other type
  // gives its own name. An empty result (or no display name at all) gives
  // the own name unless external security authorization is on. A null
  // handle is a broken invariant (VXAssertException).
  //
  //   VXString shown = MetadataUtil::GetCustomDisplayName(&rp, column);
  static VXString GetCustomDisplayName(ARpGateway* pRp, const Ref<ARpObject>& obj);
  // The same for the custom description.
  static VXString GetCustomDescription(ARpGateway* pRp, const Ref<ARpObject>& obj);
  // True when the object (a presentation table or column) has a display name
  // that is exactly one qualified reference whose name begins with
  // S_KEX_LABEL; variable then gets a copy of it. Defined for
  // Ref<AFolderAttr> and Ref<AEntityFolder>.
  template <class T>
  static bool HasEnabledKEXLabelAsDisplayName(const T& obj, VariableTokenInfo& variable);
  // The same for a presentation column's description and S_KEX_TOOLTIP.
  // Defined for Ref<AFolderAttr>.
  template <class T>
  static bool HasEnabledKEXTooltipAsDescription(const T& obj, VariableTokenInfo& variable);
  // Adds the bundle key of (block, name) to keys and the pair to variables,
  // unless the session variable is populated already or the name has no key
  // after the bundle prefix.
  static void IfVariableIsNotPopulatedInsertIntoBundleSet(const std::pair<VXString, VXString>& variable,
                                                          ARpGateway* pRp, std::set<VXString>& keys,
                                                          std::set<std::pair<VXString, VXString>>& variables);
  // The physical database holding the bundle strings of a presentation
  // column (through its logical column's mapping) or folder (through its
  // first presentation column); null when there is none.
  static Ref<ADatabase> GetKEXBundleDatabase(const VoidID& id, ARpGateway* pRp);
};

// True when the environment variable TY_EXTERNAL_AUTHORIZATION was set when
// the library was loaded: an empty custom display name then stays empty and
// denies reading the object instead of falling back to the object's name.
extern bool g_EnableExternalSecurityAuthorization;
