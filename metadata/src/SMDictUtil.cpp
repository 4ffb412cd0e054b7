// Metadata dictionary names: type table, normalized names, paths and URLs.
#include "Metadata/SMDictUtil.h"

#include <memory>
#include <string>
#include <vector>

#include "Metadata/SMConstants.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/SUFilePath.h"
#include "Utility/SUSystemConfig.h"
#include "Utility/ServerLog.h"
#include "Utility/SystemUtility.h"
#include "Utility/TYSGUIDGenerator.h"
#include "Utility/VXAssert.h"
#include "Utility/VXStringCaseInsensitive.h"
#include "objectmodel/TypeIDs.h"

// Linear search, first match wins, so the order is the lookup order.
const TypeRelatedTuple MetadataDictUtil::m_supportedTypes[] = {
    {kTIDAProject, U"Project", U"PROJ"},
    {kTIDASecurityRole, U"Group", U"GRP"},
    {kTIDAUser, VXString(S_USER), U"USR"},
    {kTIDAMktg_CustomerType, U"TargetLevel", U"TLEV"},
    {kTIDAMktg_SegmentationCatalog, U"SegmentationCatalog", U"SCAT"},
    {kTIDAMktg_ListCatalog, U"ListCatalog", U"LCAT"},
    {kTIDAMktg_QualifyingKey, U"QualifyingKey", U"QKey"},
    {kTIDAMktg_QualifiedItem, U"QualifiedListItem", U"QLI"},
    {kTIDAMktg_CatalogLink, U"ConformingDimensionLink", U"CDL"},
    {kTIDACatalogFolder, U"SubjectArea", U"PRCAT"},
    {kTIDAEntityFolder, U"PresentationTable", U"PRT"},
    {kTIDAFolderAttr, U"PresentationColumn", U"PRC"},
    {kTIDAPresentationHierarchy, U"PresentationHierarchy", U"PRH"},
    {kTIDAPresentationLevel, U"PresentationLevel", U"PRL"},
    {kTIDARelationship, U"LogicalComplexJoin", U"LCJ"},
    {kTIDALogicalTableSource, U"LogicalTableSource", U"LTS"},
    {kTIDASubjectArea, U"BusinessModel", U"BM"},
    {kTIDALogicalDisplayFolder, U"LogicalDisplayFolder", U"LDF"},
    {kTIDALogicalTable, U"LogicalTable", U"LT"},
    {kTIDAAttribute, U"LogicalColumn", U"LC"},
    {kTIDAKey, U"LogicalKey", U"LK"},
    {kTIDALogicalForeignKey, U"LogicalForeignKey", U"LFK"},
    {kTIDADimension, U"Dimension", U"DIM"},
    {kTIDALevel, U"LogicalLevel", U"LLEV"},
    {kTIDADatabase, U"Database", U"DB"},
    {kTIDASchema, U"PhysicalSchema", U"PSCH"},
    {kTIDAPhysicalDisplayFolder, U"PhysicalDisplayFolder", U"PDF"},
    {kTIDACatalog, U"PhysicalCatalog", U"PCAT"},
    {kTIDATable, U"PhysicalTable", U"PT"},
    {kTIDACubeTable, U"PhysicalCubeTable", U"PCT"},
    {kTIDAColumn, U"PhysicalColumn", U"PC"},
    {kTIDACubeColumn, U"PhysicalCubeColumn", U"PCC"},
    {kTIDATableKey, U"PhysicalKey", U"PK"},
    {kTIDAForeignKey, U"PhysicalForeignKey", U"PFK"},
    {kTIDAComplexJoin, U"PhysicalComplexJoin", U"PCJ"},
    {kTIDAHierarchy, U"Hierarchy", U"HIER"},
    {kTIDAPhysicalLevel, U"PhysicalLevel", U"PLEV"},
    {kTIDAConnectionPool, U"ConnectionPool", U"CPOOL"},
    {kTIDAAnalyticWorkspace, U"AnalyticWorkspace", U"AW"},
    {kTIDAAWCube, U"AWCube", U"AWCUBE"},
    {kTIDAAWDimension, U"AWDimension", U"AWDIM"},
    {kTIDAAWHierarchy, U"AWHierarchy", U"AWHIER"},
    {kTIDAAWLevel, U"AWLevel", U"AWLEV"},
    {kTIDAAWColumn, U"AWColumn", U"AWCOL"},
    {kTIDAPhysicalDimension, U"PhysicalDimension", U"PDIM"},
    {kTIDAInitBlock, U"InitBlock", U"IBLK"},
    {kTIDARpVariable, U"Variable", U"VAR"},
    {0, U"", U""},
};

namespace {

constexpr std::size_t kMaxNormalizedNameLength = 20;
constexpr std::size_t kGuidPartLength = 8;

const TypeRelatedTuple& RowOf(const Ref<ARpObject>& object) {
  const TypeID type = object->GetMetaClass()->GetTypeID();
  const TypeRelatedTuple* row = MetadataDictUtil::m_supportedTypes;
  while (row->m_typeID != 0 && row->m_typeID != type) ++row;
  return *row;  // the end row has the empty tag and short name
}

// Appends the name with every character that is unsafe in a file name or a
// URL replaced, stopping once `limit` characters are written.
void AppendCleanName(const VXString& name, VXString& out, std::size_t limit) {
  const std::size_t stop = out.size() + limit;
  for (char32_t c : name) {
    if (out.size() >= stop) break;
    switch (c) {
      case U'/':
      case U':':
      case U' ':
      case U'?':
      case U'*':
      case U'\\':
      case U'>':
      case U'<':
      case U'"':
      case U'\'':
      case U'|':
        out.push_back(U'_');
        break;
      case U'#':
        out.push_back(U'N');
        break;
      case U'%':
        out.push_back(U'P');
        break;
      default:
        if (c < 32 || c == 127) {
          out.push_back(U'_');
        } else if (c > 127) {
          // Widened so that a code unit beyond Unicode still prints as its value.
          out += BaseStringUtil::VXString_sprintf(U"%d", static_cast<long long>(c));
        } else {
          out.push_back(c);
        }
    }
  }
  if (out.size() > stop) out.resize(stop);  // digits of a code may run over
}

}  // namespace

VXString MetadataDictUtil::GetTagName(const Ref<ARpObject>& object) { return RowOf(object).m_tagName; }

VXString MetadataDictUtil::GetShortTypeName(const Ref<ARpObject>& object) { return RowOf(object).m_shortTypeName; }

VXString MetadataDictUtil::GetDictNormalizedName(const Ref<ARpObject>& object, DictUniqueNamesCache&) {
  const VXString& shortName = RowOf(object).m_shortTypeName;
  VXString result;
  result.reserve(shortName.size() + 1 + kMaxNormalizedNameLength + kGuidPartLength);
  result += shortName;
  result.push_back(U'_');
  AppendCleanName(object->GetName(), result, kMaxNormalizedNameLength);
  const VXString guid = TYSGUIDGenerator::ByteVectorToGUIDString(object->GetGUID());
  result.append(guid, 0, kGuidPartLength);
  return result;
}

VXString MetadataDictUtil::GetDictRelativePath(const Ref<ARpObject>& object, DictUniqueNamesCache& uniqueNamesCache) {
  // Stems from the object up to its outermost container, joined afterwards
  // in reverse so that the path is built once instead of prepended to.
  std::vector<VXString> stems;
  stems.push_back(GetDictNormalizedName(object, uniqueNamesCache));
  Ref<ARpObject> top = object;
  for (Ref<ARpObject> parent = object->GetParentObject(); !parent.IsNull(); parent = parent->GetParentObject()) {
    stems.push_back(GetDictNormalizedName(parent, uniqueNamesCache));
    top = parent;
  }
  VXString path = GetTagName(top);
  std::size_t size = path.size() + MetadataDict::XML_FILE_EXT.size();
  for (const VXString& s : stems) size += s.size() + MetadataDict::URL_SEP.size();
  path.reserve(size);
  for (auto it = stems.rbegin(); it != stems.rend(); ++it) {
    path += MetadataDict::URL_SEP;
    path += *it;
  }
  path += MetadataDict::XML_FILE_EXT;
  return path;
}

namespace {

// The file name of path without its extension: "Sales" of "C:\rp\Sales.rpd".
// A file name without an extension, or one that only starts with "." (and
// so would leave nothing), keeps the whole path, so a folder name is never
// empty.
VXString RepositoryBaseName(const VXString& path) {
  const std::size_t sep = path.find_last_of(U"/\\");
  const std::size_t start = sep == VXString::npos ? 0 : sep + 1;
  const std::size_t dot = path.find(U'.', start);
  if (dot == VXString::npos || dot == start) return path;
  return path.substr(start, dot - start);
}

void LogRpNameError(const VXStringVector& names, const VXStringVector& paths, const VXString& logicalName) {
  VXString text = U"Errors inside GetRpName. 1, logical Names:";
  for (const VXString& n : names) text += U" " + n;
  text += U" 2, rpdPaths:";
  for (const VXString& p : paths) text += U" " + p;
  text += U" 3, logicalName:";
  text += logicalName;
  ServerLog::LogError(text, 1);
}

}  // namespace

VXString MetadataDictUtil::GetRpName(ARpGateway* pGateway) {
  if (pGateway == nullptr) VXAssert::handleAssert("server/Metadata/Src/SMDictUtil.cpp", __LINE__, "pGateway");
  const std::shared_ptr<const SUSystemConfig> config = SUSystemConfig::GetSystemConfig();
  const VXStringVector& names = config->GetLogicalRepositoryNames();
  const VXStringVector& paths = config->GetRepositoryPaths();
  const VXString& logicalName = pGateway->GetLogicalName();

  std::size_t index = 0;
  while (index < names.size() && !VXCaseFold::Equal(names[index], logicalName)) ++index;
  if (index < names.size() && index < paths.size()) return RepositoryBaseName(paths[index]);

  LogRpNameError(names, paths, logicalName);
  // With no path configured at all there is nothing to fall back on but the
  // repository's own logical name; the logged line says why.
  return paths.empty() ? logicalName : RepositoryBaseName(paths.front());
}

VXString MetadataDictUtil::GetDictUrlBase(ARpGateway* pGateway) {
  return SystemUtility::IsLegacyInstanceMode() ? GetRpName(pGateway)
                                               : SUFilePath::VXPathStripExtension(VXString(S_LIVERPD));
}

VXString MetadataDictUtil::GetDictRelativeUrl(ARpGateway* pGateway, const Ref<ARpObject>& rpObj,
                                              DictUniqueNamesCache& uniqueNamesCache) {
  VXString url = GetDictUrlBase(pGateway);
  url += MetadataDict::URL_SEP;
  url += GetDictRelativePath(rpObj, uniqueNamesCache);
  return url;
}
