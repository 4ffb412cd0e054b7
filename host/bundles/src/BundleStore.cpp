#include "Bundles/BundleStore.h"

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "Metadata/SMConstants.h"
#include "Metadata/SMUtil.h"
#include "Utility/SUFileUtility.h"
#include "Utility/SUInstallDir.h"
#include "Utility/ServerLog.h"
#include "objectmodel/ObjectModel.h"

namespace smutil_bundles {
namespace {

struct CloseDb {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};

void SetValue(ARpGateway* pRp, const VXString& key, const VXString& value) {
  pRp->SetSessionVariableValue({kBundleBlock, VXString(S_KEX_BUNDLE_PREFIX) + key},
                               Heap<PropertyValue>(new PropertyValueString(value)));
}

VXString KeyAsDefault(const VXString& key) {
  return MetadataUtil::GetKeyFromKEXBundleVariable(VXString(S_KEX_BUNDLE_PREFIX) + key);
}

// The text of (key, language); false when there is no row.
bool Lookup(sqlite3_stmt* select, const std::string& key, const std::string& language, VXString& text) {
  sqlite3_reset(select);
  sqlite3_bind_text(select, 1, key.c_str(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
  sqlite3_bind_text(select, 2, language.c_str(), static_cast<int>(language.size()), SQLITE_TRANSIENT);
  if (sqlite3_step(select) != SQLITE_ROW) return false;
  const unsigned char* value = sqlite3_column_text(select, 0);
  text = ToVXString(std::string(value ? reinterpret_cast<const char*>(value) : ""));
  return true;
}

// Why file cannot be a bundle store without opening it (SQLite would wait
// on a named pipe and read a device); empty when it is a regular file.
std::string NotAStore(const std::string& file) {
  if (file.empty()) return "no file named";
  try {
    SUFileUtility::CheckRegularFile(file, "bundle store");
    return std::string();
  } catch (const SUFileUtility::SUFileError& e) {
    return e.GetReason();
  }
}

}  // namespace

void LoadBundleStrings(ARpGateway* pRp, const std::set<VXString>& keys, const std::string& file,
                       const VXString& language) {
  if (!pRp) return;
  const std::string refused = NotAStore(file);
  sqlite3* raw = nullptr;
  const int opened =
      !refused.empty() ? SQLITE_CANTOPEN : sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  std::unique_ptr<sqlite3, CloseDb> db(raw);
  sqlite3_stmt* rawSelect = nullptr;
  if (opened == SQLITE_OK) {
    sqlite3_prepare_v2(db.get(), "SELECT text FROM bundle_strings WHERE key = ?1 AND language = ?2", -1, &rawSelect,
                       nullptr);
  }
  std::unique_ptr<sqlite3_stmt, FinalizeStatement> select(rawSelect);
  if (!select) {
    const std::string why = !refused.empty() ? refused : db ? sqlite3_errmsg(db.get()) : "out of memory";
    ServerLog::LogError(U"Bundle strings: cannot read " + ToVXString(file) + U" (" + ToVXString(why) +
                            U"); the keys stand for their strings.",
                        1);
    for (const VXString& key : keys) SetValue(pRp, key, KeyAsDefault(key));
    return;
  }
  const std::string lang = ToNarrow(language), fallback = ToNarrow(kFallbackLanguage);
  for (const VXString& key : keys) {
    const std::string narrowKey = ToNarrow(key);
    VXString text;
    if (Lookup(select.get(), narrowKey, lang, text) || Lookup(select.get(), narrowKey, fallback, text)) {
      SetValue(pRp, key, text);
    } else {
      SetValue(pRp, key, KeyAsDefault(key));
    }
  }
}

std::string BundleFileOf(const Ref<ADatabase>& database) {
  if (database.IsNull()) return std::string();
  BinaryRelIter<AConnectionPool> pools = database->GetConnectionPools();
  pools.ToBegin();
  if (pools.IsEnd()) return std::string();
  const std::string name = ToNarrow(Ref<AConnectionPool>(pools.GetObjRef())->GetDataSourceName());
  if (name.empty()) return name;
  std::filesystem::path path(name);
  if (path.is_absolute()) return name;
  const std::filesystem::path inData = std::filesystem::path(SUInstallDir::DataDirectory()) / path;
  std::error_code ec;
  if (std::filesystem::exists(inData, ec)) return inData.string();
#ifdef SMUTIL_GENERATED_DIR
  const std::filesystem::path generated = std::filesystem::path(SMUTIL_GENERATED_DIR) / path;
  if (std::filesystem::exists(generated, ec)) return generated.string();
#endif
  return inData.string();
}

void InstallBundleHook(const std::string& storeFile) {
  Repository::PopulateResourceBundleStrings = [storeFile](ARpGateway* pRp, const std::set<VXString>& keys,
                                                          const Ref<ADatabase>& database) {
    if (!pRp) return;
    Heap<PropertyValue> language;
    pRp->GetSessionVariableValue({kBundleBlock, kLanguageVariable}, language);
    LoadBundleStrings(pRp, keys, storeFile.empty() ? BundleFileOf(database) : storeFile,
                      language ? language->StringFrom() : kFallbackLanguage);
  };
}

bool LoadSessionStrings(ARpGateway* pRp, const std::string& storeFile, const VXString& language, std::string& why) {
  if (const std::string refused = NotAStore(storeFile); !refused.empty()) {
    why = "cannot read the bundle store " + storeFile + ": " + refused;
    return false;
  }
  sqlite3* raw = nullptr;
  const int opened = sqlite3_open_v2(storeFile.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  std::unique_ptr<sqlite3, CloseDb> db(raw);
  sqlite3_stmt* rawSelect = nullptr;
  // Rows of the language sort after the fallback's, so they win.
  if (opened == SQLITE_OK) {
    sqlite3_prepare_v2(db.get(),
                       "SELECT key, text FROM bundle_strings WHERE language IN (?1, ?2) ORDER BY language = ?1", -1,
                       &rawSelect, nullptr);
  }
  std::unique_ptr<sqlite3_stmt, FinalizeStatement> select(rawSelect);
  if (!select) {
    why = "cannot read the bundle store " + storeFile + " (" +
          (db ? std::string(sqlite3_errmsg(db.get())) : std::string("out of memory")) + ")";
    return false;
  }
  const std::string lang = ToNarrow(language), fallback = ToNarrow(kFallbackLanguage);
  sqlite3_bind_text(select.get(), 1, lang.c_str(), static_cast<int>(lang.size()), SQLITE_TRANSIENT);
  sqlite3_bind_text(select.get(), 2, fallback.c_str(), static_cast<int>(fallback.size()), SQLITE_TRANSIENT);
  std::vector<std::pair<VXString, VXString>> rows;
  int rc;
  while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
    const auto* key = sqlite3_column_text(select.get(), 0);
    const auto* text = sqlite3_column_text(select.get(), 1);
    rows.emplace_back(ToVXString(std::string(key ? reinterpret_cast<const char*>(key) : "")),
                      ToVXString(std::string(text ? reinterpret_cast<const char*>(text) : "")));
  }
  if (rc != SQLITE_DONE) {
    why = "cannot read the bundle store " + storeFile + " (" + sqlite3_errmsg(db.get()) + ")";
    return false;
  }
  if (!pRp) return true;
  for (const auto& [key, text] : rows) {
    pRp->SetSessionVariableValue({kBundleBlock, key}, Heap<PropertyValue>(new PropertyValueString(text)));
  }
  return true;
}

}  // namespace smutil_bundles
