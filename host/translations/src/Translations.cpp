// The translation units of a repository, their import into the bundle store
// and the store's coverage.
#include "Translations/Translations.h"

#include <unordered_map>

#include "Metadata/SMConstants.h"
#include "Metadata/SMExternalizationUtil.h"
#include "TranslationStore.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/SUStrUtil.h"
#include "objectmodel/TypeIDs.h"

namespace smutil_translations {
namespace {

using EU = ExternalizationUtil;

VXString DescribeObject(const Ref<ARpObject>& obj) {
  VXString s;
  EU::XMLDescribeObjectStart(obj, s, 0, true, false);
  EU::XMLDescribeObjectEnd(s, 0);
  return s;
}

// The upgrade identifier written in an XML description; empty without one.
VXString UpgradeIDIn(const VXString& objectXml) {
  const VXString open = SUStrUtil::XMLMakeStartTag(_S_XML_UPGRADE_ID, 0);
  const VXString close = SUStrUtil::XMLMakeEndTag(_S_XML_UPGRADE_ID, 0);
  const std::size_t from = objectXml.find(open);
  if (from == VXString::npos) return VXString();
  const std::size_t begin = from + open.size();
  const std::size_t end = objectXml.find(close, begin);
  return end == VXString::npos ? VXString() : BaseStringUtil::TrimBoth(objectXml.substr(begin, end - begin));
}

std::string ObjectLabel(const Ref<ARpObject>& obj) {
  return ToNarrow(SUStrUtil::GetTypeName(obj->GetTypeID()) + U" " + MetadataUtil::GenerateQualifiedName(obj));
}

// The export rows of one object, and how many of them are display-name rows.
std::size_t RowsOf(const Ref<ARpObject>& obj, std::vector<FourVXStrings>& rows) {
  rows.clear();
  EU::GetExternalizationInfo({obj}, rows);
  VXStringVector displayVariables;
  EU::GetDisplayNameVariables(obj, displayVariables);
  return displayVariables.size();
}

bool UsesVariable(const Ref<ARpObject>& obj, const TranslationUnit& unit) {
  std::vector<FourVXStrings> rows;
  const std::size_t nDisplay = RowsOf(obj, rows);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if ((i >= nDisplay) == unit.bDescription && BaseStringUtil::IsCaseInsensitiveMatch(rows[i].s2, unit.variable)) {
      return true;
    }
  }
  return false;
}

}  // namespace

VXString BundleKeyOfVariable(const VXString& variable) {
  VXString name = BaseStringUtil::TrimBoth(variable);
  if (BaseStringUtil::CaseInsensitiveFindPatternAtStart(name, g_sSessionPrefix)) {
    name.erase(0, g_sSessionPrefix.size());
  }
  if (name.size() >= 2 && name.front() == U'"' && name.back() == U'"') {
    name = name.substr(1, name.size() - 2);
    BaseStringUtil::ReplacePatternInString(name, U"\"\"", U"\"");
  }
  if (MetadataUtil::BeginsWithKEXBundlePrefix(name)) {
    VXString key = MetadataUtil::GetStringAfterKEXBundlePrefix(name);
    if (!key.empty()) return key;
  }
  return name;
}

RpObjectVector PresentationObjects(ARpGateway* pRp) {
  RpObjectVector objects;
  if (!pRp) return objects;
  for (TypeID type : {kTIDACatalogFolder, kTIDAEntityFolder, kTIDAFolderAttr, kTIDAPresentationHierarchy,
                      kTIDAPresentationLevel, kTIDAMktg_CustomerType}) {
    VoidIDVector ids;
    pRp->GetObjectIDsOfType(type, ids);
    for (const VoidID& id : ids) objects.push_back(pRp->GetObject(id));
  }
  return objects;
}

std::vector<TranslationUnit> CollectTranslationUnits(ARpGateway* pRp, const std::string& storeFile,
                                                     const std::string& sourceLanguage) {
  std::unique_ptr<TranslationStore> store;
  if (!storeFile.empty()) store = std::make_unique<TranslationStore>(storeFile, false);
  std::vector<TranslationUnit> units;
  std::vector<FourVXStrings> rows;
  for (const Ref<ARpObject>& obj : PresentationObjects(pRp)) {
    const std::size_t nDisplay = RowsOf(obj, rows);
    if (rows.empty()) continue;
    const VXString objectXml = DescribeObject(obj);
    const VXString translationKey = EU::GetTranslationKey(obj);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      TranslationUnit u;
      u.variable = rows[i].s2;
      u.key = BundleKeyOfVariable(u.variable);
      u.bDescription = i >= nDisplay;
      u.label = rows[i].s1;
      u.translationKey = translationKey;
      u.logicalColumn = rows[i].logicalColumn;
      u.objectXml = objectXml;
      if (!store || !store->Lookup(u.key, sourceLanguage, u.source)) {
        u.source = u.bDescription ? rows[i].s3 : obj->GetName();
      }
      units.push_back(std::move(u));
    }
  }
  return units;
}

ImportResult ImportXliff(ARpGateway* pRp, const std::string& inFile, const std::string& storeFile) {
  ImportResult result;
  const std::vector<TranslationUnit> units = ReadXliff(inFile, result.language);
  if (result.language.empty()) throw TranslationError(inFile + " names no target language (trgLang)");

  std::unordered_map<VXString, Ref<ARpObject>> byDescription, byUpgradeID;
  for (const Ref<ARpObject>& obj : PresentationObjects(pRp)) {
    VXString description = DescribeObject(obj);
    const VXString upgradeID = UpgradeIDIn(description);
    byDescription.emplace(std::move(description), obj);
    if (!upgradeID.empty()) byUpgradeID.emplace(upgradeID, obj);
  }
  std::vector<std::pair<VXString, VXString>> strings;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const TranslationUnit& u = units[i];
    const std::string where = "unit " + std::to_string(i + 1) + " (" + ToNarrow(u.variable) + ")";
    Ref<ARpObject> obj;
    if (auto it = byDescription.find(u.objectXml); it != byDescription.end()) {
      obj = it->second;
    } else if (auto byID = byUpgradeID.find(UpgradeIDIn(u.objectXml)); byID != byUpgradeID.end()) {
      obj = byID->second;
    }
    if (obj.IsNull()) {
      result.unmatched.push_back(where + ": no object matches " +
                                 (u.label.empty() ? std::string("its description") : ToNarrow(u.label)));
      continue;
    }
    if (u.variable.empty() || !UsesVariable(obj, u)) {
      result.unmatched.push_back(where + ": " + ObjectLabel(obj) + " does not use the variable");
      continue;
    }
    if (u.target.empty()) {
      ++result.untranslated;
      continue;
    }
    strings.emplace_back(u.key, u.target);
  }
  TranslationStore store(storeFile, true);
  store.Begin();
  for (const auto& [key, text] : strings) store.Put(key, result.language, text);
  store.Commit();
  result.imported = strings.size();
  return result;
}

bool CoverageReport::Complete() const {
  if (!objectsWithoutVariables.empty()) return false;
  for (const auto& [language, variables] : missing) {
    if (!variables.empty()) return false;
  }
  return true;
}

CoverageReport CheckCoverage(ARpGateway* pRp, const std::string& storeFile, std::vector<std::string> languages) {
  TranslationStore store(storeFile, false);
  CoverageReport report;
  report.languages = languages.empty() ? store.Languages() : std::move(languages);
  // Keys in use, each with the first variable text that names it.
  std::map<VXString, VXString> used;
  std::vector<FourVXStrings> rows;
  VXStringVector displayVariables;
  for (const Ref<ARpObject>& obj : PresentationObjects(pRp)) {
    EU::GetDisplayNameVariables(obj, displayVariables);
    if (displayVariables.empty()) report.objectsWithoutVariables.push_back(ObjectLabel(obj));
    RowsOf(obj, rows);
    for (const FourVXStrings& row : rows) used.emplace(BundleKeyOfVariable(row.s2), row.s2);
  }
  for (const std::string& language : report.languages) {
    std::vector<std::string>& missing = report.missing[language];
    VXString text;
    for (const auto& [key, variable] : used) {
      if (!store.Lookup(key, language, text)) missing.push_back(ToNarrow(variable));
    }
    std::vector<std::string>& unused = report.unused[language];
    for (const VXString& key : store.Keys(language)) {
      if (!used.count(key)) unused.push_back(ToNarrow(key));
    }
  }
  return report;
}

}  // namespace smutil_translations
