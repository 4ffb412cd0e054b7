// The site on any file system: names that differ only in case, names that
// look like the collision suffix, and symbolic links planted in the output
// folder. Every object keeps a page of its own, and nothing outside the
// output folder is written.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "Site/SiteWriter.h"
#include "SiteTestUtil.h"
#include "objectmodel/RpBuilder.h"

namespace smutil_site {
namespace {

using namespace site_test;

// Page file names under folder, folded to lower case as a case-insensitive
// file system would see them, with how many pages fold to each.
std::map<std::string, int> FoldedNames(const fs::path& folder) {
  std::map<std::string, int> names;
  for (const fs::path& page : FilesWithExtension(folder, ".html")) {
    std::string name = page.filename().string();
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ++names[name];
  }
  return names;
}

TEST(SiteFileSystem, NamesApartOnlyByCaseOrLikeASuffixGetFilesOfTheirOwn) {
  ARpGateway rp;
  RpBuilder b(rp);
  auto db = b.Add(kTIDADatabase, U"DW");
  db.Child(kTIDATable, U"ORDERS", VoidID(kTIDATable, 3));
  db.Child(kTIDATable, U"Orders", VoidID(kTIDATable, 4));
  db.Child(kTIDATable, U"orders", VoidID(kTIDATable, 8));
  // x, a literal "x~5", and another x whose number is 5.
  db.Child(kTIDATable, U"x", VoidID(kTIDATable, 1));
  db.Child(kTIDATable, U"x~5", VoidID(kTIDATable, 2));
  db.Child(kTIDATable, U"x", VoidID(kTIDATable, 5));
  TempDir dir;
  const SiteReport report = WriteSiteIn(&rp, dir);
  const std::map<std::string, int> names = FoldedNames(dir.Dir() / "Database" / "DB_DW");
  const std::map<std::string, int> expected = {
      {"pt_orders.html", 1}, {"pt_orders~4.html", 1}, {"pt_orders~8.html", 1},
      {"pt_x.html", 1},      {"pt_x~~5.html", 1},     {"pt_x~5.html", 1},
  };
  EXPECT_EQ(names, expected);
  EXPECT_EQ(report.pages, 7u);  // the database and its six tables
}

TEST(SiteFileSystem, LinksInTheOutputFolderAreReplacedNotFollowed) {
  TempDir outside;
  const fs::path victim = outside.Dir() / "victim.txt";
  std::ofstream(victim) << "KEEP";
  fs::create_directories(outside.Dir() / "elsewhere");

  ARpGateway rp;
  RpBuilder b(rp);
  b.Add(kTIDADatabase, U"DW").Child(kTIDATable, U"T");
  TempDir dir;
  // A page, a folder and the hash list, each a link to somewhere else.
  fs::create_directories(dir.Dir() / "Database");
  fs::create_symlink(outside.Dir() / "elsewhere", dir.Dir() / "Database" / "DB_DW");
  fs::create_symlink(victim, dir.Dir() / "index.html");
  fs::create_symlink(victim, dir.Dir() / ".site-hashes");
  SiteOptions options;
  options.outDir = dir.Dir();
  options.bChangedOnly = true;
  WriteSite(&rp, options);

  EXPECT_EQ(ReadFile(victim), "KEEP");
  EXPECT_TRUE(fs::is_empty(outside.Dir() / "elsewhere"));
  for (const fs::path& p : {dir.Dir() / "index.html", dir.Dir() / ".site-hashes", dir.Dir() / "Database" / "DB_DW"}) {
    EXPECT_FALSE(fs::is_symlink(p)) << p;
  }
  EXPECT_TRUE(fs::is_regular_file(dir.Dir() / "Database" / "DB_DW" / "PT_T.html"));
  EXPECT_NE(ReadFile(dir.Dir() / "index.html").find("<html"), std::string::npos);
}

}  // namespace
}  // namespace smutil_site
