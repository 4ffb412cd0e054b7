#include "TranslationStore.h"

#include <sqlite3.h>
#include <unistd.h>

#include "Translations/Translations.h"
#include "Utility/SUFileUtility.h"

namespace smutil_translations {

namespace {
std::string ColumnText(sqlite3_stmt* s, int column) {
  const unsigned char* text = sqlite3_column_text(s, column);
  return text ? reinterpret_cast<const char*>(text) : std::string();
}
}  // namespace

void TranslationStore::CloseDb::operator()(sqlite3* db) const { sqlite3_close_v2(db); }
void TranslationStore::FinalizeStatement::operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }

TranslationStore::TranslationStore(const std::string& file, bool bWrite) : m_file(file) {
  const int flags = bWrite ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
  if (file.empty()) throw TranslationError("no bundle store named");
  // SQLite would wait on a named pipe and read a device; a store that
  // import creates may be missing.
  try {
    m_bCreated = !SUFileUtility::CheckRegularFile(file, "bundle store", bWrite);
  } catch (const SUFileUtility::SUFileError& e) {
    throw TranslationError(e.what());
  }
  try {
    Open(flags, bWrite);
  } catch (...) {
    Close();
    throw;
  }
}

void TranslationStore::Open(int flags, bool bWrite) {
  sqlite3* raw = nullptr;
  const int opened = sqlite3_open_v2(m_file.c_str(), &raw, flags, nullptr);
  m_db.reset(raw);  // closed even when the open failed
  if (opened != SQLITE_OK) Fail("cannot open");
  // A busy store (another writer) waits a little instead of failing at once.
  sqlite3_busy_timeout(m_db.get(), 2000);
  if (bWrite) {
    // The table and its key are made inside the writer's transaction, so a
    // refused import leaves even the schema as it was.
    Begin();
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

TranslationStore::~TranslationStore() { Close(); }

void TranslationStore::Close() {
  m_lookup.reset();
  m_put.reset();
  if (m_bInTransaction) sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
  m_db.reset();
  // A store this writer made and never committed to goes again.
  if (m_bCreated) ::unlink(m_file.c_str());
  m_bInTransaction = false;
  m_bCreated = false;
}

void TranslationStore::Fail(const std::string& what) {
  const std::string why = m_db ? sqlite3_errmsg(m_db.get()) : "out of memory";
  throw TranslationError("bundle store " + m_file + ": " + what + " (" + why + ")");
}

void TranslationStore::Exec(const char* sql) {
  if (sqlite3_exec(m_db.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(std::string("cannot run ") + sql);
}

TranslationStore::Statement TranslationStore::Prepare(const char* sql) {
  sqlite3_stmt* s = nullptr;
  const int rc = sqlite3_prepare_v2(m_db.get(), sql, -1, &s, nullptr);
  Statement owned(s);
  if (rc != SQLITE_OK) Fail("not a bundle store");
  return owned;
}

bool TranslationStore::Lookup(const VXString& key, const std::string& language, VXString& text) {
  const std::string k = ToNarrow(key);
  sqlite3_stmt* lookup = m_lookup.get();
  sqlite3_reset(lookup);
  sqlite3_bind_text(lookup, 1, k.c_str(), static_cast<int>(k.size()), SQLITE_TRANSIENT);
  sqlite3_bind_text(lookup, 2, language.c_str(), static_cast<int>(language.size()), SQLITE_TRANSIENT);
  const int rc = sqlite3_step(lookup);
  if (rc == SQLITE_ROW) {
    text = ToVXString(ColumnText(lookup, 0));
    return true;
  }
  if (rc != SQLITE_DONE) Fail("cannot read");
  return false;
}

std::vector<std::string> TranslationStore::Languages() {
  const Statement s = Prepare("SELECT DISTINCT language FROM bundle_strings ORDER BY language");
  std::vector<std::string> out;
  int rc;
  while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) out.push_back(ColumnText(s.get(), 0));
  if (rc != SQLITE_DONE) Fail("cannot read");
  return out;
}

std::set<VXString> TranslationStore::Keys(const std::string& language) {
  const Statement s = Prepare("SELECT key FROM bundle_strings WHERE language = ?1");
  sqlite3_bind_text(s.get(), 1, language.c_str(), static_cast<int>(language.size()), SQLITE_TRANSIENT);
  std::set<VXString> out;
  int rc;
  while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) out.insert(ToVXString(ColumnText(s.get(), 0)));
  if (rc != SQLITE_DONE) Fail("cannot read");
  return out;
}

void TranslationStore::Begin() {
  if (m_bInTransaction) return;
  Exec("BEGIN IMMEDIATE");
  m_bInTransaction = true;
}

void TranslationStore::Put(const VXString& key, const std::string& language, const VXString& text) {
  const std::string k = ToNarrow(key), t = ToNarrow(text);
  sqlite3_stmt* put = m_put.get();
  sqlite3_reset(put);
  sqlite3_bind_text(put, 1, k.c_str(), static_cast<int>(k.size()), SQLITE_TRANSIENT);
  sqlite3_bind_text(put, 2, language.c_str(), static_cast<int>(language.size()), SQLITE_TRANSIENT);
  sqlite3_bind_text(put, 3, t.c_str(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
  if (sqlite3_step(put) != SQLITE_DONE) Fail("cannot write");
}

void TranslationStore::Commit() {
  Exec("COMMIT");
  m_bInTransaction = false;
  m_bCreated = false;
}

}  // namespace smutil_translations
