// The translation units of a repository, their import into the bundle store
// and the store's coverage.
#include "Translations/Translations.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "Expr/ExprBuilder.h"
#include "Metadata/SMConstants.h"
#include "Metadata/SMExternalizationUtil.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "TranslationStore.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/SUFileUtility.h"
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

// The variable's name without the session block and the quotes around it.
VXString BareVariableName(const VXString& variable) {
  VXString name = BaseStringUtil::TrimBoth(variable);
  if (BaseStringUtil::CaseInsensitiveFindPatternAtStart(name, g_sSessionPrefix)) {
    name.erase(0, g_sSessionPrefix.size());
  }
  if (name.size() >= 2 && name.front() == U'"' && name.back() == U'"') {
    name = name.substr(1, name.size() - 2);
    BaseStringUtil::ReplacePatternInString(name, U"\"\"", U"\"");
  }
  return name;
}

VXString DefaultOf(ARpGateway* pRp, const Ref<ARpVariable>& variable) {
  return ToPrettyStringVisitor::StringFromWithoutSingleQuote(variable->GetExpr(), pRp);
}

// One of an object's two texts: its display name or its custom description.
struct TextSlot {
  bool bDescription;
  VXString Stored(const Ref<ARpObject>& obj) const {
    return obj->GetString(bDescription ? RpProp::kDisplayDescription : RpProp::kDisplayName);
  }
  bool IsGenerated(const Ref<ARpObject>& obj, const VXString& text) const {
    for (bool bKex : {false, true}) {
      const VXString generated =
          bDescription ? EU::GenerateCustomDescription(obj, bKex) : EU::GenerateCustomDisplayName(obj, bKex);
      if (!generated.empty() && BaseStringUtil::IsCaseInsensitiveMatch(generated, text)) return true;
    }
    return false;
  }
  VXString VariableName(const Ref<ARpObject>& obj, bool bKex) const {
    return bDescription ? EU::GenerateCustomDescriptionInternal(obj, bKex)
                        : EU::GenerateCustomDisplayNameInternal(obj, bKex);
  }
  void Set(Ref<ARpObject>& obj, bool bKex) const {
    if (bDescription) {
      EU::SetCustomDescription(obj, true, bKex);
    } else {
      EU::SetDisplayName(obj, true, bKex);
    }
  }
  const char* Word() const { return bDescription ? "description" : "display name"; }
};

// Whether the object's text may be replaced by its reference; a hand-written
// text is first made the default of the reference's variable.
bool KeepText(ARpGateway* pRp, const Ref<ARpObject>& obj, const TextSlot& slot, bool bKex, ExternalizeResult& result) {
  const VXString text = slot.Stored(obj);
  if (BaseStringUtil::TrimBoth(text).empty() || slot.IsGenerated(obj, text)) return true;
  const std::string label = ObjectLabel(obj) + ": " + slot.Word() + " \"" + ToNarrow(text) + "\"";
  VariablePositions refs;
  MetadataUtil::FindVariables(text, refs);
  if (!refs.empty()) {
    result.skipped.push_back(label + " refers to variables itself; left as it was");
    return false;
  }
  const VXString name = slot.VariableName(obj, bKex);
  if (name.empty()) {
    result.skipped.push_back(label + " has no generated reference; left as it was");
    return false;
  }
  VoidIDVector ids;
  pRp->LookupObjects(TypedObjectNameCondition(kTIDARpVariable, name, false), ids);
  if (!ids.empty()) {
    const Ref<ARpVariable> existing(pRp->GetObject(ids.front()));
    if (existing.IsNull() || existing->GetVariableType() != ARpVariable::kSession || DefaultOf(pRp, existing) != text) {
      result.skipped.push_back(label + " left as it was: the variable " + ToNarrow(name) + " holds another value");
      return false;
    }
  } else {
    Ref<ARpVariable> variable(pRp->CreateObject(kTIDARpVariable, name));
    variable->SetVariableType(ARpVariable::kSession);
    variable->SetExpr(ExprBuilder().String(text).Build());
  }
  result.kept.push_back(label + " kept as the default of " + ToNarrow(name));
  return true;
}

}  // namespace

ExternalizeResult Externalize(ARpGateway* pRp, RpObjectVector& objects, bool bDescriptions, bool bKex) {
  ExternalizeResult result;
  for (Ref<ARpObject>& obj : objects) {
    for (const TextSlot slot : {TextSlot{false}, TextSlot{true}}) {
      if (slot.bDescription && !bDescriptions) continue;
      if (KeepText(pRp, obj, slot, bKex, result)) slot.Set(obj, bKex);
    }
  }
  return result;
}

Ref<ARpVariable> SessionVariableOf(ARpGateway* pRp, const VXString& variable) {
  const VXString name = BareVariableName(variable);
  if (!pRp || name.empty()) return Ref<ARpVariable>();
  VoidIDVector ids;
  pRp->LookupObjects(TypedObjectNameCondition(kTIDARpVariable, name, false), ids);
  for (const VoidID& id : ids) {
    const Ref<ARpVariable> v(pRp->GetObject(id));
    if (!v.IsNull() && v->GetVariableType() == ARpVariable::kSession) return v;
  }
  return Ref<ARpVariable>();
}

VXString UnitIdOfKey(const VXString& key) {
  static constexpr char32_t kHex[] = U"0123456789ABCDEF";
  VXString id;
  for (const char32_t c : key) {
    const bool bKept =
        (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || (c >= U'0' && c <= U'9') || c == U'_' || c == U'.';
    if (bKept) {
      id += c;
      continue;
    }
    id += U'-';
    VXString hex;
    for (std::uint32_t v = c; v != 0 || hex.empty(); v >>= 4) hex.insert(hex.begin(), kHex[v & 0xF]);
    id += hex;
    id += U'-';
  }
  return id;
}

VXString BundleKeyOfVariable(const VXString& variable) {
  VXString name = BareVariableName(variable);
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
  std::unordered_set<VXString> keys;
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
      // The store holds one string per key: a key shared by several texts
      // is one unit.
      if (u.key.empty() || !keys.insert(u.key).second) continue;
      u.id = UnitIdOfKey(u.key);
      u.bDescription = i >= nDisplay;
      u.label = rows[i].s1;
      u.translationKey = translationKey;
      u.logicalColumn = rows[i].logicalColumn;
      u.objectXml = objectXml;
      if (!store || !store->Lookup(u.key, sourceLanguage, u.source)) {
        const Ref<ARpVariable> variable = SessionVariableOf(pRp, u.variable);
        if (!variable.IsNull()) {
          u.source = DefaultOf(pRp, variable);
        } else {
          u.source = u.bDescription ? rows[i].s3 : obj->GetName();
        }
      }
      units.push_back(std::move(u));
    }
  }
  return units;
}

ImportResult ImportXliff(ARpGateway* pRp, const std::string& inFile, const std::string& storeFile,
                         const std::string& language) {
  std::string document;
  try {
    document = SUFileUtility::ReadRegularFile(inFile, "XLIFF file");
  } catch (const SUFileUtility::SUFileError& e) {
    throw TranslationError(e.what());
  }
  return ImportXliffDocument(pRp, document, inFile, storeFile, language);
}

ImportResult ImportXliffDocument(ARpGateway* pRp, const std::string& document, const std::string& inFile,
                                 const std::string& storeFile, const std::string& language) {
  ImportResult result;
  const std::vector<TranslationUnit> units = ReadXliffDocument(document, inFile, result.language);
  if (result.language.empty()) result.language = language;
  if (result.language.empty()) {
    throw TranslationError(inFile, 0, 0, "names no target language (trgLang or target-language); give it with --lang");
  }
  if (!language.empty() && language != result.language) {
    throw TranslationError(inFile, 0, 0, "a translation into " + result.language + ", not " + language);
  }

  // The units the repository has now, by id and by key.
  std::unordered_map<VXString, VXString> keyOfId;
  std::unordered_set<VXString> keys;
  for (const TranslationUnit& u : CollectTranslationUnits(pRp, std::string(), kSourceLanguage)) {
    keyOfId.emplace(u.id, u.key);
    keys.insert(u.key);
  }
  std::vector<std::pair<VXString, VXString>> strings;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const TranslationUnit& u = units[i];
    VXString key;
    if (auto it = keyOfId.find(u.id); it != keyOfId.end()) {
      key = it->second;
    } else if (auto located = std::find_if(u.locations.begin(), u.locations.end(),
                                           [&](const VXString& id) { return keyOfId.count(id) != 0; });
               located != u.locations.end()) {
      key = keyOfId.at(*located);
    } else if (!u.key.empty() && keys.count(u.key)) {
      key = u.key;
    } else {
      result.unmatched.push_back("unit " + std::to_string(i + 1) + " (id " + ToNarrow(u.id) +
                                 (u.variable.empty() ? std::string() : ", " + ToNarrow(u.variable)) +
                                 "): no object of the repository uses the text it translates");
      continue;
    }
    if (u.target.empty()) {
      ++result.untranslated;
      continue;
    }
    strings.emplace_back(key, u.target);
  }
  // A document with a unit the repository does not know is most likely
  // meant for another repository (or another version of it): nothing of it
  // is imported, so the store never holds half of a translation.
  if (!result.unmatched.empty()) return result;
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
