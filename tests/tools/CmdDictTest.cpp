// The dict and message commands, run as a user would run them: the built
// tool in a child process on a repository file written by the test, with a
// configuration file of the test's own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Metadata/ConsistencyMessage.h"
#include "Metadata/SMDictUtil.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpFile.h"

extern char** environ;

namespace {

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class CmdDict : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = new std::string;
    char tmpl[] = "/tmp/smutil_dict_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    *dir = tmpl;
    {
      std::ofstream cfg(*dir + "/config.ini");
      cfg << "[Server]\nLegacyInstanceMode = yes\n[Repository]\nLogicalName = Star\nPath = C:\\rp\\StarSchema.rpd\n";
    }
    ARpGateway rp;
    rp.SetLogicalName(U"star");
    RpBuilder b(rp);
    auto db = b.Add(kTIDADatabase, U"Sales");
    db.Set(RpProp::kGUID, ByteVector{0x3F, 0x25, 0x04, 0xE0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    auto orders = db.Child(kTIDATable, U"Order Lines");
    orders.Child(kTIDAColumn, U"Amount");
    b.Add(kTIDACatalogFolder, U"Sales");  // shares its name with the database
    auto bm = b.Add(kTIDASubjectArea, U"Retail");
    bm.Child(kTIDALogicalTable, U"Revenue");
    RpFile::Save(rp, *dir + "/repo.rpd.xml");
  }
  static void TearDownTestSuite() {
    std::remove((*dir + "/config.ini").c_str());
    std::remove((*dir + "/repo.rpd.xml").c_str());
    rmdir(dir->c_str());
    delete dir;
  }

  static ToolRun Run(const std::vector<std::string>& args) {
    const std::string outPath = *dir + "/out", errPath = *dir + "/err";
    std::vector<std::string> argv0{SMUTIL_TOOL_PATH, "--repo", *dir + "/repo.rpd.xml"};
    argv0.insert(argv0.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv0) argv.push_back(a.data());
    argv.push_back(nullptr);
    // The child reads our configuration and no instance mode from outside.
    std::vector<std::string> env{"SMUTIL_CONFIG=" + *dir + "/config.ini"};
    for (char** e = environ; *e; ++e) {
      if (std::strncmp(*e, "SMUTIL_CONFIG=", 14) != 0 && std::strncmp(*e, "SMUTIL_LEGACY_INSTANCE_MODE=", 28) != 0) {
        env.emplace_back(*e);
      }
    }
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    ToolRun run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    if (posix_spawn(&pid, SMUTIL_TOOL_PATH, &actions, nullptr, argv.data(), envp.data()) == 0) {
      int status = 0;
      waitpid(pid, &status, 0);
      run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = ReadWhole(outPath);
    run.err = ReadWhole(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return run;
  }

  static std::string* dir;
};
std::string* CmdDict::dir = nullptr;

TEST_F(CmdDict, OneObjectByQualifiedName) {
  const ToolRun r = Run({"dict", "Sales.Order Lines.Amount"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "object      3003:1 COLUMN (3003) \"Sales\"...\"Order Lines\".\"Amount\"\n"
            "tag         PhysicalColumn\n"
            "short name  PC\n"
            "normalized  PC_Amount\n"
            "path        Database/DB_Sales3F2504E0/PT_Order_Lines/PC_Amount.xml\n"
            "url         StarSchema/Database/DB_Sales3F2504E0/PT_Order_Lines/PC_Amount.xml\n");
}

TEST_F(CmdDict, ANameOfSeveralTypesGivesEach) {
  const ToolRun r = Run({"dict", "Sales"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 13u) << r.out;
  EXPECT_EQ(lines[1], "tag         Database");
  EXPECT_EQ(lines[8], "tag         SubjectArea");

  const ToolRun typed = Run({"dict", "--type", "4004", "Sales"});
  ASSERT_EQ(typed.exitCode, 0) << typed.err;
  EXPECT_EQ(Lines(typed.out).size(), 6u);
  EXPECT_NE(typed.out.find("path        SubjectArea/PRCAT_Sales.xml\n"), std::string::npos) << typed.out;
}

TEST_F(CmdDict, ObjectById) {
  const ToolRun r = Run({"dict", "2035:1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("path        BusinessModel/BM_Retail/LT_Revenue.xml\n"), std::string::npos) << r.out;
}

TEST_F(CmdDict, EveryObjectOneLineEach) {
  const ToolRun r = Run({"dict"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 6u) << r.out;
  EXPECT_EQ(lines[0],
            "3023:1\tDatabase\tDB\tDB_Sales3F2504E0\tDatabase/DB_Sales3F2504E0.xml\t"
            "StarSchema/Database/DB_Sales3F2504E0.xml");
  for (const std::string& line : lines) {
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 5) << line;
  }
  EXPECT_EQ(r.err, "");
}

TEST_F(CmdDict, UnknownNameAndBadUsage) {
  const ToolRun missing = Run({"dict", "Sales.Nothing"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("nothing named Sales.Nothing"), std::string::npos) << missing.err;
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(Run({"dict", "a", "b"}).exitCode, 2);
  EXPECT_EQ(Run({"dict", "--type", "TABLE"}).exitCode, 2);
}

// 38014 takes the qualified names of its two objects; the catalogue's text
// keeps its error number in the tool's output.
TEST_F(CmdDict, MessageTextFromTheCatalogueWithQualifiedNames) {
  const ToolRun r = Run({"message", "38014", "Retail.Revenue", "3023:1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "ERROR [38014] Logical table source \"Retail\".\"Revenue\" is mapped at a level of dimension \"Sales\" "
            "that does not exist any more.\n");
}

TEST_F(CmdDict, MessageSeverityAndArgumentFreeText) {
  const ToolRun warning = Run({"message", "39002", "Retail"});
  ASSERT_EQ(warning.exitCode, 0) << warning.err;
  EXPECT_EQ(warning.out.rfind("WARNING [39002] ", 0), 0u) << warning.out;
  const ToolRun best = Run({"message", "89001", "Retail"});
  EXPECT_EQ(best.out.rfind("BEST PRACTICE [89001] ", 0), 0u) << best.out;
  const ToolRun none = Run({"message", "38076"});
  ASSERT_EQ(none.exitCode, 0) << none.err;
  EXPECT_EQ(none.out.rfind("ERROR [38076] ", 0), 0u) << none.out;
}

TEST_F(CmdDict, MessageErrors) {
  const ToolRun ambiguous = Run({"message", "38009", "Sales"});
  EXPECT_EQ(ambiguous.exitCode, 1);
  EXPECT_NE(ambiguous.err.find("3023:1"), std::string::npos) << ambiguous.err;
  EXPECT_NE(ambiguous.err.find("4004:1"), std::string::npos) << ambiguous.err;

  const ToolRun tooFew = Run({"message", "38014", "Retail"});
  EXPECT_EQ(tooFew.exitCode, 2);
  EXPECT_NE(tooFew.err.find("names 2 objects; 1 given"), std::string::npos) << tooFew.err;

  const ToolRun noRecipe = Run({"message", "39003", "Retail"});
  EXPECT_EQ(noRecipe.exitCode, 1);
  EXPECT_EQ(noRecipe.out, "");

  EXPECT_EQ(Run({"message", "38x"}).exitCode, 2);
  EXPECT_EQ(Run({"message"}).exitCode, 2);
  EXPECT_EQ(Run({"message", "38009", "No.Such.Object"}).exitCode, 1);
}

}  // namespace
