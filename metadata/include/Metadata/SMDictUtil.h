// MetadataDictUtil: names and places of objects in the metadata dictionary.
//
// The dictionary is a browsable set of XML documents, one per repository
// object, under one folder per repository. These helpers give an object its
// document's element tag, a short type code, a file-name stem, the document's
// path and its URL relative to the dictionary root:
//
//   MetadataDictUtil::GetTagName(column);                 // U"PhysicalColumn"
//   MetadataDictUtil::GetShortTypeName(column);           // U"PC"
//   MetadataDictUtil::GetDictNormalizedName(column, c);   // U"PC_ORDER_ID3F2504E0"
//   MetadataDictUtil::GetDictRelativePath(column, c);
//       // U"Database/DB_Sales1A2B3C4D/PCAT_..../PC_ORDER_ID3F2504E0.xml"
//   MetadataDictUtil::GetDictRelativeUrl(gateway, column, c);
//       // U"Sales/Database/..."
//
// Everything is a pure function of the object and the server configuration;
// nothing here writes a document. Only GetRpName reports a problem (to the
// server log) and then carries on with the first configured repository path.
#pragma once

#include <map>
#include <string_view>

#include "Utility/VXString.h"
#include "objectmodel/RpGateway.h"

// One row of the dictionary's type table.
struct TypeRelatedTuple {
  int m_typeID;
  VXString m_tagName;
  VXString m_shortTypeName;
};

// Kept for the document writer and handed through the helpers untouched.
using DictUniqueNamesCache = std::map<VXString, Ref<ARpObject>>;

class MetadataDictUtil {
 public:
  // The supported types in lookup order, ended by the row (0, "", "").
  static const TypeRelatedTuple m_supportedTypes[];

  // Element tag and short code of the object's type; empty for a type the
  // dictionary does not document.
  static VXString GetTagName(const Ref<ARpObject>& object);
  static VXString GetShortTypeName(const Ref<ARpObject>& object);

  // The document's file-name stem: short type code, "_", the object's name
  // made safe for a file name and cut to 20 characters, and the first 8
  // characters of its GUID text, which keeps equal names apart.
  static VXString GetDictNormalizedName(const Ref<ARpObject>& object, DictUniqueNamesCache& uniqueNamesCache);

  // "<tag of the outermost container>/<stem of each container>/.../<stem>.xml".
  static VXString GetDictRelativePath(const Ref<ARpObject>& object, DictUniqueNamesCache& uniqueNamesCache);

  // The base name of the repository file configured for the gateway's logical
  // name ("Sales" for "C:\\repository\\Sales.rpd"). When the configuration
  // lists no path at that name's position, logs an error and uses the first
  // configured path.
  static VXString GetRpName(ARpGateway* pGateway);

  // The repository's folder below the dictionary root: GetRpName in legacy
  // instance mode, otherwise the live repository file name without its
  // extension. A writer of many documents asks once.
  static VXString GetDictUrlBase(ARpGateway* pGateway);

  // The document's URL below the dictionary root: "<repository>/<relative path>".
  static VXString GetDictRelativeUrl(ARpGateway* pGateway, const Ref<ARpObject>& rpObj,
                                     DictUniqueNamesCache& uniqueNamesCache);
};

// Vocabulary of the dictionary documents. The helpers above use URL_SEP and
// XML_FILE_EXT; the rest is for the document writer.
namespace MetadataDict {

inline constexpr std::u32string_view URL_SEP = U"/";
inline constexpr std::u32string_view XML_FILE_EXT = U".xml";

// Element names beyond the type tags.
inline constexpr std::u32string_view TAG_LEVEL_KEY = U"LevelKey";
inline constexpr std::u32string_view TAG_CHILD_GROUP = U"ChildGroup";
inline constexpr std::u32string_view TAG_PRIMARY_QUALIFIED_ITEM = U"PrimaryQualifiedItem";
inline constexpr std::u32string_view TAG_SAMPLING_TABLE = U"SamplingTable";
inline constexpr std::u32string_view TAG_EXCLUDED_SUBJECT_AREA = U"ExcludedSubjectArea";
inline constexpr std::u32string_view TAG_EXCLUDED_PRESENTATION_TABLE = U"ExcludedPresentationTable";
inline constexpr std::u32string_view TAG_EXCLUDED_PRESENTATION_COLUMN = U"ExcludedPresentationColumn";
inline constexpr std::u32string_view TAG_EXCLUDED_PRESENTATION_HIERARCHY = U"ExcludedPresentationHierarchy";
inline constexpr std::u32string_view TAG_EXCLUDED_PRESENTATION_LEVEL = U"ExcludedPresentationLevel";
inline constexpr std::u32string_view TAG_LIST_ITEM = U"ListItem";
inline constexpr std::u32string_view TAG_COLUMN = U"Column";
inline constexpr std::u32string_view TAG_KEY_COLUMN = U"KeyColumn";
inline constexpr std::u32string_view TAG_TABLE = U"Table";
inline constexpr std::u32string_view TAG_KEY = U"Key";
inline constexpr std::u32string_view TAG_FOREIGN_KEY = U"ForeignKey";
inline constexpr std::u32string_view TAG_CATALOG = U"Catalog";
inline constexpr std::u32string_view TAG_RELATED_OBJECTS = U"RelatedObjects";
inline constexpr std::u32string_view TAG_CONTAINERS = U"Containers";
inline constexpr std::u32string_view TAG_PARENT_TABLE = U"ParentTable";
inline constexpr std::u32string_view TAG_CHILD_TABLE = U"ChildTable";
inline constexpr std::u32string_view TAG_FROM = U"From";
inline constexpr std::u32string_view TAG_TO = U"To";
inline constexpr std::u32string_view TAG_EXPRESSION = U"Expression";
inline constexpr std::u32string_view TAG_ALIASES = U"Aliases";
inline constexpr std::u32string_view TAG_ALIAS = U"Alias";
inline constexpr std::u32string_view TAG_PERMISSIONS = U"Permissions";
inline constexpr std::u32string_view TAG_MAPPING = U"Mapping";
inline constexpr std::u32string_view TAG_COLUMN_MAPPING = U"ColumnMapping";
inline constexpr std::u32string_view TAG_TABLE_MAPPING = U"TableMapping";
inline constexpr std::u32string_view TAG_LEVEL_ASSOCIATION = U"LevelAssociation";
inline constexpr std::u32string_view TAG_AGGREGATION = U"Aggregation";
inline constexpr std::u32string_view TAG_PREFERRED_DRILL_PATH = U"PreferredDrillPath";
inline constexpr std::u32string_view TAG_FEATURE = U"Feature";
inline constexpr std::u32string_view TAG_PROPERTIES = U"Properties";
inline constexpr std::u32string_view TAG_PROPERTY_GROUP = U"PropertyGroup";
inline constexpr std::u32string_view TAG_PROPERTY = U"Property";
inline constexpr std::u32string_view TAG_SUB_FOLDER = U"SubFolder";
inline constexpr std::u32string_view TAG_FRAGMENT_CONTENT = U"FragmentContent";
inline constexpr std::u32string_view TAG_GROUP_BY = U"GroupBy";
inline constexpr std::u32string_view TAG_WHERE_CLAUSE = U"WhereClause";
inline constexpr std::u32string_view TAG_HAVING = U"Having";
inline constexpr std::u32string_view TAG_ORDER_BY = U"OrderBy";
inline constexpr std::u32string_view TAG_SOURCE = U"Source";
inline constexpr std::u32string_view TAG_CAN_READ = U"CanRead";
inline constexpr std::u32string_view TAG_ALL_OBJECTS = U"AllObjects";
inline constexpr std::u32string_view TAG_INDEX = U"Index";
inline constexpr std::u32string_view TAG_EVERYONE = U"Everyone";
inline constexpr std::u32string_view TAG_INIT_STRING = U"InitString";
inline constexpr std::u32string_view TAG_DEFAULT_INIT_VALUE = U"DefaultInitValue";
inline constexpr std::u32string_view TAG_JOIN = U"Join";
inline constexpr std::u32string_view TAG_CONNECTION_SCRIPT = U"ConnectionScript";
inline constexpr std::u32string_view TAG_CONFIG_PARAMETER = U"ConfigParameter";
inline constexpr std::u32string_view TAG_ON_CONNECT = U"OnConnect";
inline constexpr std::u32string_view TAG_BEFORE_QUERY = U"BeforeQuery";
inline constexpr std::u32string_view TAG_AFTER_QUERY = U"AfterQuery";
inline constexpr std::u32string_view TAG_ON_DISCONNECT = U"OnDisconnect";
inline constexpr std::u32string_view TAG_DESCRIPTOR_ID = U"DescriptorID";
inline constexpr std::u32string_view TAG_DRILL_TO_LEVELS = U"DrillToLevels";
inline constexpr std::u32string_view TAG_DRILL_FROM_LEVELS = U"DrillFromLevels";
inline constexpr std::u32string_view TAG_CLOSURE_TABLE = U"ClosureTable";
inline constexpr std::u32string_view TAG_MEMBER_KEY = U"MemberKey";
inline constexpr std::u32string_view TAG_PARENT_KEY = U"ParentKey";
inline constexpr std::u32string_view TAG_EXTERNAL_EXPRESSION = U"ExternalExpression";
inline constexpr std::u32string_view TAG_VISIBILITY_FILTER = U"VisibilityFilter";
inline constexpr std::u32string_view TAG_CONTENT_FOLDERS = U"ContentFolders";

// Attribute names.
inline constexpr std::u32string_view ATTR_NAME = U"name";
inline constexpr std::u32string_view ATTR_CATEGORY = U"category";
inline constexpr std::u32string_view ATTR_VERSION = U"version";
inline constexpr std::u32string_view ATTR_ID = U"id";
inline constexpr std::u32string_view ATTR_XLINK_HREF = U"xlink:href";
inline constexpr std::u32string_view ATTR_LEVEL = U"level";
inline constexpr std::u32string_view ATTR_PRIMARY = U"primary";
inline constexpr std::u32string_view ATTR_DRIVING = U"driving";
inline constexpr std::u32string_view ATTR_DATA_TYPE = U"dataType";
inline constexpr std::u32string_view ATTR_TYPE = U"type";
inline constexpr std::u32string_view ATTR_LENGTH = U"length";
inline constexpr std::u32string_view ATTR_NULLABLE = U"nullable";
inline constexpr std::u32string_view ATTR_VALUE = U"value";
inline constexpr std::u32string_view ATTR_FACTOR = U"factor";
inline constexpr std::u32string_view ATTR_SCHEMA = U"schema";
inline constexpr std::u32string_view ATTR_DICT_HOME = U"dictHome";
inline constexpr std::u32string_view ATTR_QUALIFIED_NAME = U"qualifiedName";
inline constexpr std::u32string_view ATTR_MAX_CONN = U"maxConn";
inline constexpr std::u32string_view ATTR_CALL_INTERFACE = U"callInterface";
inline constexpr std::u32string_view ATTR_ISOLATION_LEVEL = U"isolationLevel";
inline constexpr std::u32string_view ATTR_ASYNC_EXEC = U"asyncExec";
inline constexpr std::u32string_view ATTR_READABLE = U"readable";
inline constexpr std::u32string_view ATTR_WRITEABLE = U"writeable";
inline constexpr std::u32string_view ATTR_TARGET_TYPE = U"targetType";
inline constexpr std::u32string_view ATTR_INIT_STRING = U"initString";
inline constexpr std::u32string_view ATTR_EXTERNAL_NAME = U"externalName";
inline constexpr std::u32string_view ATTR_AGGR_RULE = U"aggrRule";
inline constexpr std::u32string_view ATTR_DEFAULT_RULE = U"defaultRule";
inline constexpr std::u32string_view ATTR_ACTIVE = U"active";
inline constexpr std::u32string_view ATTR_OVERRIDE = U"override";
inline constexpr std::u32string_view ATTR_GRAND_TOTAL = U"grandTotal";
inline constexpr std::u32string_view ATTR_TIME_DIMENSION = U"timeDimension";
inline constexpr std::u32string_view ATTR_CHRONOLOGICAL_KEY = U"chronologicalKey";
inline constexpr std::u32string_view ATTR_COMMUTATIVE = U"commutative";
inline constexpr std::u32string_view ATTR_AW_OWNER = U"awOwner";
inline constexpr std::u32string_view ATTR_LOOKUP = U"lookup";
inline constexpr std::u32string_view ATTR_IS_RAGGED = U"isRagged";
inline constexpr std::u32string_view ATTR_IS_SKIPPED = U"isSkipped";
inline constexpr std::u32string_view ATTR_IS_VALUE_BASED = U"isValueBased";
inline constexpr std::u32string_view ATTR_MEMBER_KEY_COL = U"memberKeyCol";
inline constexpr std::u32string_view ATTR_PARENT_KEY_COL = U"parentKeyCol";
inline constexpr std::u32string_view ATTR_DISTANCE_COL = U"distanceCol";
inline constexpr std::u32string_view ATTR_IS_LEAF_COL = U"isLeafCol";
inline constexpr std::u32string_view ATTR_APP_SERVER = U"appServer";
inline constexpr std::u32string_view ATTR_APP_SERVER_PORT = U"appServerPort";
inline constexpr std::u32string_view ATTR_APP_ID = U"appID";
inline constexpr std::u32string_view ATTR_EJB_NAME = U"ejbName";
inline constexpr std::u32string_view ATTR_BPM_SERVER = U"bpmServer";
inline constexpr std::u32string_view ATTR_BPM_PORT = U"bpmPort";
inline constexpr std::u32string_view ATTR_IS_SECURED = U"isSecured";
inline constexpr std::u32string_view ATTR_DIM_PROP_TYPE = U"dimPropType";
inline constexpr std::u32string_view ATTR_SPECIAL_TYPE = U"specialType";
inline constexpr std::u32string_view ATTR_CARDINALITY = U"cardinality";
inline constexpr std::u32string_view ATTR_PRIORITY_GROUP = U"priorityGroup";
inline constexpr std::u32string_view ATTR_DISP_COL = U"dispCol";
inline constexpr std::u32string_view ATTR_DEFAULT_MEMBER = U"defaultMember";
inline constexpr std::u32string_view ATTR_WS_WSDL = U"wsWSDL";
inline constexpr std::u32string_view ATTR_IS_DISTINCT = U"isDistinct";
inline constexpr std::u32string_view ATTR_ALLOW_UNMAPPED_TABLE = U"allowUnmappedTable";

// Style sheet processing instruction.
inline constexpr std::u32string_view XML_STYLESHEET_PI = U"xml-stylesheet";
inline constexpr std::u32string_view XML_STYLESHEET_PI_DATA = U"type=\"text/xsl\"";
inline constexpr std::u32string_view XSL_FILE_EXT = U".xsl";

// Values and words.
inline constexpr std::u32string_view VALUE_YES = U"yes";
inline constexpr std::u32string_view VALUE_NO = U"no";
inline constexpr std::u32string_view PREFIX_FIRST = U"First_";
inline constexpr std::u32string_view WORD_DIMENSION = U"dimension";
inline constexpr std::u32string_view WORD_SIMPLE = U"simple";
inline constexpr std::u32string_view WORD_SESSION = U"session";
inline constexpr std::u32string_view INDEX_GROUP_NON_ALPHABETIC = U"Non Alphabetic";
inline constexpr std::u32string_view REPOSITORY_KIND_DYNAMIC = U"dynamic repository";
inline constexpr std::u32string_view REPOSITORY_KIND_STATIC = U"static repository";

// Short codes of documented things that are not repository types of their own.
inline constexpr std::u32string_view SHORT_TVCOL = U"TVCOL";
inline constexpr std::u32string_view SHORT_TVO = U"TVO";
inline constexpr std::u32string_view SHORT_EMA = U"EMA";
inline constexpr std::u32string_view SHORT_PQI = U"PQI";
inline constexpr std::u32string_view SHORT_STAB = U"STAB";

// The documents' DTD. Versioned so that an older dictionary keeps validating
// against the DTD it was written for.
inline constexpr std::u32string_view DTD_SYSTEM_ID = U"http://smutil.example.org/dtd/metadata-dictionary-1.0.dtd";

}  // namespace MetadataDict
