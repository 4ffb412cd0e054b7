// Builds the bundle-strings SQLite file from its readable source: one string
// a line, "key<TAB>language<TAB>text"; blank lines and lines opening with #
// are skipped.
//
//   smutil_bundlegen samples/bundles.tsv build/generated/bundles.db
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

namespace {

int Fail(sqlite3* db, const std::string& what) {
  std::cerr << "smutil_bundlegen: " << what << ": " << (db ? sqlite3_errmsg(db) : "") << '\n';
  sqlite3_close_v2(db);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: smutil_bundlegen SOURCE.tsv OUTPUT.db\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << "smutil_bundlegen: cannot read " << argv[1] << '\n';
    return 1;
  }
  std::remove(argv[2]);
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(argv[2], &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
    return Fail(db, std::string("cannot create ") + argv[2]);
  }
  const char* schema =
      "CREATE TABLE bundle_strings (key TEXT NOT NULL, language TEXT NOT NULL, text TEXT NOT NULL,"
      " PRIMARY KEY (key, language)); BEGIN;";
  if (sqlite3_exec(db, schema, nullptr, nullptr, nullptr) != SQLITE_OK) return Fail(db, "cannot create the table");
  sqlite3_stmt* insert = nullptr;
  if (sqlite3_prepare_v2(db, "INSERT INTO bundle_strings VALUES (?1, ?2, ?3)", -1, &insert, nullptr) != SQLITE_OK) {
    return Fail(db, "cannot prepare");
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos) {
      sqlite3_finalize(insert);
      return Fail(db, std::string(argv[1]) + ":" + std::to_string(number) + ": want key<TAB>language<TAB>text");
    }
    const std::string fields[] = {line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1)};
    sqlite3_reset(insert);
    for (int i = 0; i < 3; ++i) {
      sqlite3_bind_text(insert, i + 1, fields[i].c_str(), static_cast<int>(fields[i].size()), SQLITE_TRANSIENT);
    }
    if (sqlite3_step(insert) != SQLITE_DONE) {
      sqlite3_finalize(insert);
      return Fail(db, std::string(argv[1]) + ":" + std::to_string(number));
    }
  }
  sqlite3_finalize(insert);
  if (sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr) != SQLITE_OK) return Fail(db, "cannot commit");
  sqlite3_close_v2(db);
  return 0;
}
