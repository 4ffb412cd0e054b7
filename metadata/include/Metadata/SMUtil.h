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
#include <utility>
#include <vector>

#include "Metadata/SMExprType.h"
#include "Metadata/SMVariables.h"  // variable scanning types
#include "Utility/VXString.h"
#include "Utility/VoidID.h"
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
};
