#include "TranslationStore.h"

#include <sqlite3.h>

#include "Translations/Translations.h"

namespace smutil_translations {

namespace {
std::string ColumnText(sqlite3_stmt* s, int column) {
  const unsigned char* text = sqlite3_column_text(s, column);
  return text ? reinterpret_cast<const char*>(text) : std::string();
}
}  // namespace

TranslationStore::TranslationStore(const std::string& file, bool bWrite) : m_file(file) {
  const int flags = bWrite ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
  if (file.empty()) throw TranslationError("no bundle store named");
  if (sqlite3_open_v2(file.c_str(), &m_db, flags, nullptr) != SQLITE_OK) Fail("cannot open");
  // A busy store (another writer) waits a little instead of failing at once.
  sqlite3_busy_timeout(m_db, 2000);
  if (bWrite) {
    Exec(
        "CREATE TABLE IF NOT EXISTS bundle_strings (key TEXT NOT NULL, language TEXT NOT NULL, text TEXT NOT NULL,"
        " PRIMARY KEY (key, language))");
    // A store made elsewhere may lack the key; the upsert below needs it.
    Exec("CREATE UNIQUE INDEX IF NOT EXISTS bundle_strings_key_language ON bundle_strings (key, language)");
    m_put = Prepare(
        "INSERT INTO bundle_strings (key, language, text) VALUES (?1, ?2, ?3)"
        " ON CONFLICT (key, language) DO UPDATE SET text = excluded.text");
  }
  m_lookup = Prepare("SELECT text FROM bundle_strings WHERE key = ?1 AND language = ?2");
}

TranslationStore::~TranslationStore() {
  if (m_bInTransaction) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_finalize(m_lookup);
  sqlite3_finalize(m_put);
  sqlite3_close_v2(m_db);
}

void TranslationStore::Fail(const std::string& what) {
  const std::string why = m_db ? sqlite3_errmsg(m_db) : "out of memory";
  throw TranslationError("bundle store " + m_file + ": " + what + " (" + why + ")");
}

void TranslationStore::Exec(const char* sql) {
  if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(std::string("cannot run ") + sql);
}

sqlite3_stmt* TranslationStore::Prepare(const char* sql) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(m_db, sql, -1, &s, nullptr) != SQLITE_OK) Fail("not a bundle store");
  return s;
}

bool TranslationStore::Lookup(const VXString& key, const std::string& language, VXString& text) {
  const std::string k = ToNarrow(key);
  sqlite3_reset(m_lookup);
  sqlite3_bind_text(m_lookup, 1, k.c_str(), static_cast<int>(k.size()), SQLITE_TRANSIENT);
  sqlite3_bind_text(m_lookup, 2, language.c_str(), static_cast<int>(language.size()), SQLITE_TRANSIENT);
  const int rc = sqlite3_step(m_lookup);
  if (rc == SQLITE_ROW) {
    text = ToVXString(ColumnText(m_lookup, 0));
    return true;
  }
  if (rc != SQLITE_DONE) Fail("cannot read");
  return false;
}

std::vector<std::string> TranslationStore::Languages() {
  sqlite3_stmt* s = Prepare("SELECT DISTINCT language FROM bundle_strings ORDER BY language");
  std::vector<std::string> out;
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) out.push_back(ColumnText(s, 0));
  sqlite3_finalize(s);
  if (rc != SQLITE_DONE) Fail("cannot read");
  return out;
}

std::set<VXString> TranslationStore::Keys(const std::string& language) {
  sqlite3_stmt* s = Prepare("SELECT key FROM bundle_strings WHERE language = ?1");
  sqlite3_bind_text(s, 1, language.c_str(), static_cast<int>(language.size()), SQLITE_TRANSIENT);
  std::set<VXString> out;
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) out.insert(ToVXString(ColumnText(s, 0)));
  sqlite3_finalize(s);
  if (rc != SQLITE_DONE) Fail("cannot read");
  return out;
}

void TranslationStore::Begin() {
  Exec("BEGIN IMMEDIATE");
  m_bInTransaction = true;
}

void TranslationStore::Put(const VXString& key, const std::string& language, const VXString& text) {
  const std::string k = ToNarrow(key), t = ToNarrow(text);
  sqlite3_reset(m_put);
  sqlite3_bind_text(m_put, 1, k.c_str(), static_cast<int>(k.size()), SQLITE_TRANSIENT);
  sqlite3_bind_text(m_put, 2, language.c_str(), static_cast<int>(language.size()), SQLITE_TRANSIENT);
  sqlite3_bind_text(m_put, 3, t.c_str(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
  if (sqlite3_step(m_put) != SQLITE_DONE) Fail("cannot write");
}

void TranslationStore::Commit() {
  Exec("COMMIT");
  m_bInTransaction = false;
}

}  // namespace smutil_translations
