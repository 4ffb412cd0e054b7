// The files every command reads and writes: an output is replaced whole or
// not at all (a full disk is a child under a small RLIMIT_FSIZE), an output
// that is an input is refused, "-" is standard input and output, and a
// named pipe, directory or device is refused before it is opened.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "Bundles/BundleStore.h"
#include "CmdToolRun.h"
#include "Translations/Translations.h"
#include "common/Caught.h"
#include "common/FifoTrap.h"
#include "objectmodel/Repository.h"
#include "objectmodel/RpFile.h"

namespace {

namespace fs = std::filesystem;
using cmdtest::ReadFile;
using cmdtest::ToolRun;

const std::string kSample = std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml";
const std::string kStore = std::string(SMUTIL_GENERATED_DIR) + "/bundles.db";
constexpr const char* kPassEnvOld = "SMUTIL_OLD_PASSPHRASE=sample-pass-phrase";
constexpr const char* kPassEnvNew = "SMUTIL_NEW_PASSPHRASE=another-pass-phrase";

using cmdtest::Limits;

ToolRun RunChild(const std::vector<std::string>& args, const Limits& limits = {},
                 const std::vector<std::string>& env = {}) {
  return cmdtest::RunProgram(SMUTIL_TOOL_PATH, args, env, limits);
}

class CmdFiles : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return scratch.Path(name); }
  std::string Copy(const std::string& from, const std::string& name) const {
    fs::copy_file(from, Path(name), fs::copy_options::overwrite_existing);
    return Path(name);
  }
  void Write(const std::string& name, const std::string& text) const { scratch.Write(name, text); }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // The sample with its display names externalized, and the French XLIFF
  // a translator gave back for it.
  void Translated(std::string& repo, std::string& xlf) const {
    repo = Path("ext.rpd.xml");
    ASSERT_EQ(RunChild({"--repo", kSample, "externalize", "--save", repo}).exitCode, 0);
    const std::string exported = Path("out.xlf");
    ASSERT_EQ(RunChild({"--repo", repo, "translations", "export", "--lang", "fr", exported}).exitCode, 0);
    xlf = Path("fr.xlf");
    std::ofstream(xlf) << std::regex_replace(ReadFile(exported), std::regex("<source>([^<]*)</source>"),
                                             "<source>$1</source><target>[fr] $1</target>");
    fs::remove(exported);
  }
  testutil::ScratchDir scratch;
  const fs::path dir = scratch.Dir();
};

// Every command that writes a file, writing to OUT (which holds "old").
std::vector<std::vector<std::string>> WritingCommands(const std::string& repo, const std::string& out) {
  return {
      {"convert", repo, out},
      {"generate", "2000", out},
      {"sanitize", repo, out},
      {"archive", repo, out},
      {"rekey", repo, "--out", out},
      {"--repo", repo, "externalize", "--save", out},
      {"--repo", repo, "move", "--type", "CUBE COLUMN", "\"Sales OLAP\".\"SalesCubes\"..\"Sales\".\"Units\"",
       "--to-type", "CUBE TABLE", "\"Sales OLAP\".\"SalesCubes\"..\"Returns\"", "--save", out},
      {"--repo", repo, "format", "--type", "LOGICAL COLUMN", "Sales.Orders.Revenue", "--set",
       "Orders.Quantity*Orders.\"Unit Price\"", "--save", out},
      {"--repo", repo, "translations", "export", "--lang", "fr", out},
  };
}

TEST_F(CmdFiles, AFullDiskLeavesTheOldFileWholeAndExits3) {
  const std::string repo = Copy(kSample, "in.rpd.xml");
  for (const std::vector<std::string>& args : WritingCommands(repo, Path("out"))) {
    Write("out", "old");
    // Each output is larger than 2 KB; the limit lets the tool start and fails its write.
    const ToolRun r = RunChild(args, {.fileSizeLimit = 2048}, {kPassEnvOld, kPassEnvNew});
    EXPECT_EQ(r.exitCode, 3) << args[0] << " " << args[1] << "\n" << r.err;
    EXPECT_NE(r.err.find("File too large; the file was left as it was"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(Path("out")), "old") << args[0];
    EXPECT_EQ(Entries(), (std::vector<std::string>{"in.rpd.xml", "out"})) << args[0];  // no temporary file left
    EXPECT_EQ(r.out, "") << args[0];
  }
  EXPECT_EQ(ReadFile(repo), ReadFile(kSample));
}

TEST_F(CmdFiles, AFullDiskLeavesEverySitePageWholeOrAsItWas) {
  const std::string site = Path("site");
  fs::create_directories(site);
  Write("site/index.html", "old");
  constexpr long kLimit = 4096;
  const ToolRun r = RunChild({"--repo", kSample, "site", site}, {.fileSizeLimit = kLimit});
  EXPECT_EQ(r.exitCode, 3) << r.err;
  EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
  std::size_t files = 0;
  for (const auto& e : fs::recursive_directory_iterator(site)) {
    if (!e.is_regular_file()) continue;
    ++files;
    // A write cut by the limit would leave a file of exactly kLimit bytes.
    EXPECT_NE(e.file_size(), static_cast<std::uintmax_t>(kLimit)) << e.path();
    EXPECT_NE(e.path().extension(), ".tmp") << e.path();  // no temporary file left
  }
  EXPECT_GE(files, 1u);
  const std::string index = ReadFile(site + "/index.html");
  EXPECT_TRUE(index == "old" || index.find("</html>") != std::string::npos) << index.substr(0, 200);
}

TEST_F(CmdFiles, AnOutputThatIsAnInputIsRefused) {
  const std::string repo = Copy(kSample, "in.rpd.xml");
  const std::string store = Copy(kStore, "bundles.db");
  ASSERT_EQ(::symlink("in.rpd.xml", Path("soft.rpd.xml").c_str()), 0);
  ASSERT_EQ(::link(repo.c_str(), Path("hard.rpd.xml").c_str()), 0);
  const std::string before = ReadFile(repo), storeBefore = ReadFile(store);
  std::vector<std::vector<std::string>> cases;
  // The repository itself under other names: by a link, by a hard link, by another path.
  for (const std::string& out : {Path("soft.rpd.xml"), Path("hard.rpd.xml"), (dir / "." / "in.rpd.xml").string()}) {
    cases.push_back({"convert", repo, out});
  }
  for (std::vector<std::string>& args : WritingCommands(repo, repo)) {
    if (args[0] == "generate" || args[0] == "rekey") continue;  // no input; rewrites FILE on purpose
    cases.push_back(std::move(args));
  }
  cases.push_back({"--repo", repo, "translations", "export", "--lang", "fr", "--bundles", store, store});
  cases.push_back({"--repo", repo, "translations", "import", "--bundles", repo, repo});
  for (const std::vector<std::string>& args : cases) {
    const ToolRun r = RunChild(args);
    EXPECT_EQ(r.exitCode, 2) << args[0] << " " << args.back() << "\n" << r.err;
    EXPECT_NE(r.err.find("is the input file"), std::string::npos) << r.err;
  }
  EXPECT_EQ(ReadFile(repo), before);
  EXPECT_EQ(ReadFile(store), storeBefore);
  EXPECT_TRUE(fs::is_symlink(Path("soft.rpd.xml")));
}

TEST_F(CmdFiles, ADashIsStandardInputAndOutput) {
  const std::string sampleText = ReadFile(kSample);
  // What a command prints or writes with files, and what it does with "-".
  struct Case {
    std::vector<std::string> withFiles;  // writes Path("file") when it writes
    std::vector<std::string> withDash;   // reads the sample from standard input, writes standard output
  };
  const std::string file = Path("file");
  const std::string query = Copy(std::string(SMUTIL_SAMPLES_DIR) + "/queries/orders_by_region.qry", "q.qry");
  const std::string sql = Copy(std::string(SMUTIL_SAMPLES_DIR) + "/queries/broken_names.sql", "q.sql");
  const std::vector<Case> cases = {
      {{"convert", kSample, file}, {"convert", "-", "-"}},
      {{"archive", kSample, file}, {"archive", "-", "-"}},
      {{"sanitize", kSample, file}, {"sanitize", "-", "-"}},
      {{"--repo", kSample, "translations", "export", "--lang", "fr", file},
       {"--repo", "-", "translations", "export", "--lang", "fr", "-"}},
      {{"--repo", kSample, "names", "--type", "PRESENTATION TABLE"},
       {"--repo", "-", "names", "--type", "PRESENTATION TABLE"}},
      {{"--repo", kSample, "check"}, {"--repo", "-", "check"}},
  };
  for (const Case& c : cases) {
    std::remove(file.c_str());
    const ToolRun files = RunChild(c.withFiles);
    const std::string expected = fs::exists(file) ? ReadFile(file) : files.out;
    Write("stdin", sampleText);
    const std::string in = Path("stdin");
    const ToolRun dash = RunChild(c.withDash, {.stdinPath = in.c_str()});
    EXPECT_EQ(dash.exitCode, files.exitCode) << c.withDash[0] << "\n" << dash.err;
    // The XLIFF names its repository file; from standard input there is none.
    const std::string got =
        std::regex_replace(dash.out, std::regex("original=\"repository\""), "original=\"sample.rpd.xml\"");
    EXPECT_EQ(got, std::regex_replace(expected, std::regex(kSample), "standard input")) << c.withDash[0];
    EXPECT_FALSE(fs::exists(Path("-")));
  }

  // A query file or query text from standard input.
  const std::vector<std::vector<std::string>> readers = {
      {"--repo", kSample, "query", query},
      {"--repo", kSample, "sql", "check", sql},
  };
  for (const std::vector<std::string>& withFile : readers) {
    std::vector<std::string> withDash = withFile;
    withDash.back() = "-";
    const ToolRun a = RunChild(withFile);
    const ToolRun b = RunChild(withDash, {.stdinPath = withFile.back().c_str()});
    EXPECT_EQ(a.exitCode, b.exitCode) << withDash[2];
    EXPECT_FALSE(a.out.empty()) << withDash[2];
    EXPECT_EQ(std::regex_replace(a.out, std::regex(withFile.back()), "-"),
              std::regex_replace(b.out, std::regex("<stdin>"), "-"))
        << withDash[2];
  }

  // Standard input is read once.
  const ToolRun twice = RunChild({"--repo", "-", "query", "-"}, {.stdinPath = kSample.c_str()});
  EXPECT_EQ(twice.exitCode, 3);
  EXPECT_NE(twice.err.find("standard input is already read as the repository file"), std::string::npos) << twice.err;
  // Standard output that cannot take the bytes.
  const ToolRun full = RunChild({"convert", kSample, "-"}, {.stdoutPath = "/dev/full"});
  EXPECT_EQ(full.exitCode, 3);
  EXPECT_NE(full.err.find("cannot write the repository file to standard output"), std::string::npos) << full.err;
}

TEST_F(CmdFiles, SpecialFilesAreRefusedBeforeTheyAreOpened) {
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  fs::create_directories(dir / "folder");
  std::string repo, xlf;
  Translated(repo, xlf);
  struct Case {
    std::string kind;  // what the message says the file is
    std::string path;
  };
  const std::vector<Case> specials = {
      {"named pipe", Path("pipe")}, {"directory", Path("folder")}, {"character device", "/dev/zero"}};
  for (const Case& s : specials) {
    const std::vector<std::vector<std::string>> commands = {
        {"--repo", repo, "translations", "import", "--bundles", Path("new.db"), s.path},
        {"--repo", repo, "translations", "import", "--bundles", s.path, xlf},
        {"--repo", repo, "translations", "check", "--bundles", s.path},
        {"--repo", repo, "translations", "export", "--lang", "fr", "--bundles", s.path, Path("x.xlf")},
        {"--repo", repo, "show", "--bundles", s.path, "--type", "PRESENTATION TABLE", "Ledger.Balances"},
        {"--repo", repo, "site", "--messages", s.path, Path("site")},
        {"--repo", repo, "query", s.path},
        {"--repo", repo, "sql", "check", s.path},
        {"--repo", s.path, "check"},
    };
    for (std::size_t i = 0; i < commands.size(); ++i) {
      // Every reader with a pipe, the one that hangs; a few with the others.
      if (s.kind != "named pipe" && i % 3 != 0) continue;
      const std::vector<std::string>& args = commands[i];
      const ToolRun r = RunChild(args);
      EXPECT_EQ(r.exitCode, 3) << s.kind << ": " << args[2] << " " << args[3] << "\n" << r.err;
      EXPECT_NE(r.err.find(s.kind), std::string::npos) << args[2] << " " << args[3] << "\n" << r.err;
      EXPECT_EQ(r.err.find("does not exist"), std::string::npos) << r.err;
    }
  }
  EXPECT_FALSE(fs::exists(Path("new.db")));
  EXPECT_FALSE(fs::exists(Path("x.xlf")));
}

// The rows of a store, for comparing it before and after.
std::string StoreRows(const std::string& file) {
  sqlite3* db = nullptr;
  std::string rows;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT key, language, text FROM bundle_strings ORDER BY key, language", -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW) {
      for (int c = 0; c < 3; ++c) rows += std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, c))) + "|";
      rows += "\n";
    }
    sqlite3_finalize(s);
  }
  sqlite3_close(db);
  return rows;
}

TEST_F(CmdFiles, ImportIsTheWholeDocumentOrNothing) {
  std::string repo, xlf;
  Translated(repo, xlf);
  const std::string store = Copy(kStore, "bundles.db");
  const std::string before = ReadFile(store);
  ASSERT_FALSE(StoreRows(store).empty());

  // A disk that fills while the transaction is written: rolled back, no journal left.
  const ToolRun full = RunChild({"--repo", repo, "translations", "import", "--bundles", store, xlf},
                                {.fileSizeLimit = (long)before.size()});
  EXPECT_EQ(full.exitCode, 3) << full.err;
  EXPECT_NE(full.err.find("nothing was imported, the bundle store is as it was"), std::string::npos) << full.err;
  EXPECT_EQ(StoreRows(store), StoreRows(kStore));
  EXPECT_FALSE(fs::exists(store + "-journal"));
  // A store the import would have made is not left behind, empty or half made.
  const std::string fresh = Path("fresh.db");
  const ToolRun none =
      RunChild({"--repo", repo, "translations", "import", "--bundles", fresh, xlf}, {.fileSizeLimit = 1024});
  EXPECT_EQ(none.exitCode, 3) << none.err;
  EXPECT_FALSE(fs::exists(fresh));
  EXPECT_FALSE(fs::exists(fresh + "-journal"));
  // The store still reads, and takes the same document when there is room.
  const ToolRun room = RunChild({"--repo", repo, "translations", "import", "--bundles", store, xlf});
  EXPECT_EQ(room.exitCode, 0) << room.err;
  EXPECT_NE(StoreRows(store), StoreRows(kStore));
}

std::size_t OpenDescriptors() {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

// A store that cannot be used fails every time the same way and keeps
// nothing open: no descriptor (counted here) and no memory (the sanitizer
// build reports a leak at exit).
TEST_F(CmdFiles, AStoreThatCannotBeUsedLeavesNothingOpen) {
  const std::string header = ReadFile(kStore).substr(0, 100);
  Write("text.db", "key\tlanguage\ttext\n");
  Write("zeros.db", std::string(8192, '\0'));
  Write("header.db", header);
  Write("truncated.db", ReadFile(kStore).substr(0, 5000));
  fs::create_directories(dir / "folder.db");
  const testutil::FifoTrap pipe(Path("pipe.db"));  // lets a reader that opened it go on, and tells
  fs::create_directories(dir / "readonly");
  ASSERT_EQ(::chmod(Path("readonly").c_str(), 0500), 0);
  const std::vector<std::string> stores = {Path("text.db"),   Path("zeros.db"), Path("header.db"), Path("truncated.db"),
                                           Path("folder.db"), Path("pipe.db"),  Path("missing.db")};
  std::string repoPath, xlf;
  Translated(repoPath, xlf);
  std::unique_ptr<ARpGateway> rp = RpFile::Load(repoPath);
  std::vector<std::string> unwritable = {Path("text.db"), Path("zeros.db"), Path("folder.db"), Path("pipe.db")};
  if (::geteuid() != 0) unwritable.push_back(Path("readonly/new.db"));  // root writes anywhere
  const std::size_t before = OpenDescriptors();
  for (int round = 0; round < 20; ++round) {
    for (const std::string& store : stores) {
      EXPECT_THROW(smutil_translations::CheckCoverage(rp.get(), store, {"fr"}), smutil_translations::TranslationError)
          << store;
      std::string why;
      EXPECT_FALSE(smutil_bundles::LoadSessionStrings(rp.get(), store, U"fr", why)) << store;
      EXPECT_NE(why.find(store), std::string::npos) << why;
      // Logs each failure and falls back to the key: a few rounds are enough.
      if (round < 3) smutil_bundles::LoadBundleStrings(rp.get(), {U"K"}, store, U"fr");
    }
    for (const std::string& store : unwritable) {
      EXPECT_THROW(smutil_translations::ImportXliff(rp.get(), xlf, store), smutil_translations::TranslationError)
          << store;
    }
    if (::testing::Test::HasFailure()) break;
  }
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_FALSE(pipe.Opened());
  EXPECT_FALSE(fs::exists(Path("readonly/new.db")));
  ::chmod(Path("readonly").c_str(), 0700);
}

TEST(ArchiveReader, SpecialFilesAreRefusedAndLargeOnesBounded) {
  const testutil::FifoTrap pipe(::testing::TempDir() + "archive_reader_pipe");
  for (const std::string& path : {pipe.Path().string(), ::testing::TempDir(), std::string("/dev/zero")}) {
    const auto e = testutil::Caught<ArchiveError>([&] { ARpArchive::ReadFile(path); }, path);
    if (!e) continue;
    EXPECT_NE(std::string(e->what()).find("not a regular file"), std::string::npos) << e->what();
  }
  EXPECT_FALSE(pipe.Opened());
}

}  // namespace
