// The bundle store as the translation round trip reads and writes it: one
// SQLite file, table bundle_strings(key, language, text) with the key and
// language as primary key.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Utility/VXString.h"

struct sqlite3;
struct sqlite3_stmt;

namespace smutil_translations {

class TranslationStore {
 public:
  // Opens the file read-only, or for writing (creating the file and the
  // table when missing). Throws TranslationError naming the file.
  TranslationStore(const std::string& file, bool bWrite);
  ~TranslationStore();
  TranslationStore(const TranslationStore&) = delete;
  TranslationStore& operator=(const TranslationStore&) = delete;

  bool Lookup(const VXString& key, const std::string& language, VXString& text);
  std::vector<std::string> Languages();
  std::set<VXString> Keys(const std::string& language);

  // Writes go into one transaction: Commit makes them durable; without it
  // the destructor rolls them back.
  void Begin();
  void Put(const VXString& key, const std::string& language, const VXString& text);
  void Commit();

 private:
  sqlite3_stmt* Prepare(const char* sql);
  [[noreturn]] void Fail(const std::string& what);
  void Exec(const char* sql);

  std::string m_file;
  sqlite3* m_db = nullptr;
  sqlite3_stmt* m_lookup = nullptr;
  sqlite3_stmt* m_put = nullptr;
  bool m_bInTransaction = false;
};

}  // namespace smutil_translations
