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
  // table when missing). Throws TranslationError naming the file, for a
  // path that is not a regular file before anything opens it; what was
  // opened is closed again then.
  TranslationStore(const std::string& file, bool bWrite);
  ~TranslationStore();
  TranslationStore(const TranslationStore&) = delete;
  TranslationStore& operator=(const TranslationStore&) = delete;

  bool Lookup(const VXString& key, const std::string& language, VXString& text);
  std::vector<std::string> Languages();
  std::set<VXString> Keys(const std::string& language);

  // Writes go into one transaction, begun when a writer opens the store:
  // Commit makes them durable; without it the destructor rolls them back
  // (and removes a store the writer created).
  void Begin();
  void Put(const VXString& key, const std::string& language, const VXString& text);
  void Commit();

 private:
  struct CloseDb {
    void operator()(sqlite3* db) const;
  };
  struct FinalizeStatement {
    void operator()(sqlite3_stmt* s) const;
  };
  using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

  void Open(int flags, bool bWrite);
  void Close();
  Statement Prepare(const char* sql);
  [[noreturn]] void Fail(const std::string& what);
  void Exec(const char* sql);

  // Members that own, so a constructor that throws half-way still closes
  // what it opened (statements before the database).
  std::string m_file;
  std::unique_ptr<sqlite3, CloseDb> m_db;
  Statement m_lookup;
  Statement m_put;
  bool m_bInTransaction = false;
  bool m_bCreated = false;  // the file did not exist before this writer
};

}  // namespace smutil_translations
