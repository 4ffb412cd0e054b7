// Every reader of a file the user names goes through one helper: only
// regular files, reads with a bound, and a message that names the file and
// what is wrong. A pipe must be refused without waiting for a writer.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include "Utility/MessageCatalogue.h"
#include "Utility/SUFileUtility.h"
#include "Utility/SUSystemConfig.h"
#include "common/Caught.h"
#include "common/ScratchDir.h"

namespace {

using testutil::Caught;

// A scratch directory, for reading holding a regular file, a named pipe and
// a subdirectory.
struct WriteScratch : testutil::ScratchDir {
  const std::string dir = Dir().string();
};
struct Scratch : WriteScratch {
  Scratch() {
    Write("plain.txt", "abc\ndef\n");
    Write("empty.txt", "");
    ::mkfifo((dir + "/pipe").c_str(), 0600);
    ::mkdir((dir + "/sub").c_str(), 0700);
  }
};

// The reason an SUFileError gives for path, or "" when the read succeeds.
std::string RefusalOf(const std::string& path, std::size_t maxBytes = SUFileUtility::kMaxTextFileBytes) {
  try {
    SUFileUtility::ReadRegularFile(path, "test file", maxBytes);
  } catch (const SUFileUtility::SUFileError& e) {
    EXPECT_EQ(e.GetPath(), path);
    EXPECT_EQ(std::string(e.what()), "cannot open the test file " + path + ": " + e.GetReason());
    return e.GetReason();
  }
  return "";
}

TEST(FileUtility, OnlyRegularFilesAreRead) {
  Scratch s;
  ASSERT_FALSE(s.dir.empty());
  const struct {
    std::string path;
    const char* reason;
  } cases[] = {
      {s.dir + "/sub", "it is a directory, not a regular file"},
      {s.dir + "/pipe", "it is a named pipe, not a regular file"},
      {"/dev/zero", "it is a character device, not a regular file"},
      {"/dev/null", "it is a character device, not a regular file"},
      {s.dir + "/missing.txt", "there is no such file"},
      {"", "no path given"},
  };
  for (const auto& c : cases) EXPECT_EQ(RefusalOf(c.path), c.reason) << c.path;
  EXPECT_EQ(SUFileUtility::ReadRegularFile(s.dir + "/plain.txt", "test file"), "abc\ndef\n");
  EXPECT_EQ(SUFileUtility::ReadRegularFile(s.dir + "/empty.txt", "test file"), "");
}

TEST(FileUtility, ReadsStopAtTheirBound) {
  Scratch s;
  EXPECT_EQ(RefusalOf(s.dir + "/plain.txt", 7), "it is larger than 7 bytes");
  EXPECT_EQ(RefusalOf(s.dir + "/plain.txt", 8), "");
  EXPECT_THROW(SUFileUtility::MappedFile(s.dir + "/plain.txt", "test file", 7), SUFileUtility::SUFileError);
  const SUFileUtility::MappedFile map(s.dir + "/plain.txt", "test file");
  EXPECT_EQ(std::string(map.Data(), map.Size()), "abc\ndef\n");
  const SUFileUtility::MappedFile empty(s.dir + "/empty.txt", "test file");
  EXPECT_EQ(empty.Size(), 0u);
  EXPECT_THROW(SUFileUtility::MappedFile(s.dir + "/pipe", "test file"), SUFileUtility::SUFileError);
}

TEST(FileUtility, CatalogueAndConfigurationNameTheFileAndTheProblem) {
  Scratch s;
  for (const std::string& path : {s.dir + "/sub", s.dir + "/pipe", std::string("/dev/zero")}) {
    const auto catalogue = Caught<MessageCatalogueError>([&] { MessageCatalogue::LoadFile(path); }, path);
    ASSERT_TRUE(catalogue);
    EXPECT_EQ(catalogue->GetSource(), path);
    EXPECT_EQ(catalogue->GetLine(), 0u);
    EXPECT_NE(std::string(catalogue->what()).find("cannot open the message catalogue: it is a"), std::string::npos)
        << catalogue->what();
    const auto config = Caught<SystemConfigError>([&] { SUSystemConfig::LoadFile(path); }, path);
    ASSERT_TRUE(config);
    EXPECT_EQ(config->GetSource(), path);
    EXPECT_NE(std::string(config->what()).find("cannot open the system configuration: it is a"), std::string::npos)
        << config->what();
  }
}

// ---- writing -------------------------------------------------------------------

std::set<std::string> Entries(const std::string& dir) {
  std::set<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (const dirent* e = ::readdir(d)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") names.insert(name);
    }
    ::closedir(d);
  }
  return names;
}

// The reason a write to path gives, or "" when it succeeds.
std::string WriteRefusalOf(const std::string& path, const std::string& bytes = "new") {
  try {
    SUFileUtility::ReplaceFile(path, "test file", bytes);
  } catch (const SUFileUtility::SUFileError& e) {
    EXPECT_EQ(std::string(e.what()), "cannot write the test file " + path + ": " + e.GetReason());
    return e.GetReason();
  }
  return "";
}

TEST(ReplacingFile, TheTargetChangesOnlyAtCommit) {
  WriteScratch s;
  const std::string path = s.dir + "/out.txt";
  std::ofstream(path) << "old";
  {
    SUFileUtility::ReplacingFile out(path, "test file");
    out.Write("new ", 4);
    out.Write("text", 4);
    EXPECT_EQ(testutil::ReadFile(path), "old");
    EXPECT_EQ(out.GetSize(), 8u);
    out.Commit();
    out.Commit();
  }
  EXPECT_EQ(testutil::ReadFile(path), "new text");
  {
    SUFileUtility::ReplacingFile abandoned(path, "test file");
    abandoned.Write("lost", 4);
  }
  EXPECT_EQ(testutil::ReadFile(path), "new text");
  // No temporary file is left behind either way.
  EXPECT_EQ(Entries(s.dir), std::set<std::string>{"out.txt"});
}

TEST(ReplacingFile, KeepsModeAndOwnerOfTheReplacedFile) {
  WriteScratch s;
  const std::string path = s.dir + "/secret.txt";
  std::ofstream(path) << "old";
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  const bool bRoot = ::geteuid() == 0;
  if (bRoot) {
    ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
  }
  EXPECT_EQ(WriteRefusalOf(path), "");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (bRoot) {
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
  }
  // A new file gets 0666 less the umask.
  const mode_t mask = ::umask(022);
  EXPECT_EQ(WriteRefusalOf(s.dir + "/fresh.txt"), "");
  ::umask(mask);
  ASSERT_EQ(::stat((s.dir + "/fresh.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST(ReplacingFile, WritesThroughSymbolicLinks) {
  WriteScratch s;
  ::mkdir((s.dir + "/real").c_str(), 0700);
  std::ofstream(s.dir + "/real/target.txt") << "old";
  ASSERT_EQ(::symlink("real/target.txt", (s.dir + "/link").c_str()), 0);
  ASSERT_EQ(::symlink("link", (s.dir + "/link2").c_str()), 0);
  ASSERT_EQ(::symlink((s.dir + "/real/later.txt").c_str(), (s.dir + "/dangling").c_str()), 0);
  SUFileUtility::ReplacingFile out(s.dir + "/link2", "test file");
  EXPECT_EQ(out.GetTarget(), s.dir + "/real/target.txt");
  out.Write("new", 3);
  out.Commit();
  EXPECT_EQ(WriteRefusalOf(s.dir + "/dangling", "later"), "");
  struct stat st {};
  for (const char* link : {"/link", "/link2", "/dangling"}) {
    ASSERT_EQ(::lstat((s.dir + link).c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << link;
  }
  EXPECT_EQ(testutil::ReadFile(s.dir + "/real/target.txt"), "new");
  EXPECT_EQ(testutil::ReadFile(s.dir + "/real/later.txt"), "later");
  EXPECT_EQ(Entries(s.dir + "/real"), (std::set<std::string>{"later.txt", "target.txt"}));
}

TEST(ReplacingFile, RefusalsNameWhatIsAtFault) {
  Scratch s;
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {
      {s.dir + "/sub", "it is a directory, not a regular file"},
      {s.dir + "/pipe", "it is a named pipe, not a regular file"},
      {"/dev/null", "it is a character device, not a regular file"},
      {s.dir + "/missing/out.txt", "the directory " + s.dir + "/missing does not exist"},
      {s.dir + "/plain.txt/out.txt", s.dir + "/plain.txt is not a directory"},
      {s.dir + "/sub/", "the name ends in '/', which names a directory"},
      {"", "no path given"},
  };
  for (const auto& c : cases) EXPECT_EQ(WriteRefusalOf(c.path), c.reason) << c.path;
  EXPECT_EQ(testutil::ReadFile(s.dir + "/plain.txt"), "abc\ndef\n");
}

// The temporary name is short: a name of 252 bytes, and one of 255, the
// most a directory entry takes, are written.
TEST(ReplacingFile, LongNamesAreWritten) {
  WriteScratch s;
  for (std::size_t length : {252u, 255u}) {
    const std::string path = s.dir + "/" + std::string(length - 4, 'n') + ".xml";
    EXPECT_EQ(WriteRefusalOf(path), "") << length;
    EXPECT_EQ(testutil::ReadFile(path), "new");
  }
  EXPECT_EQ(Entries(s.dir).size(), 2u);
}

// A file-size limit stands for a full disk: the child process writes past
// it (SIGXFSZ ignored, so the write fails with EFBIG) and reports by its
// exit code whether the old file was left whole.
TEST(ReplacingFile, AFullDiskLeavesTheOldFileWhole) {
  WriteScratch s;
  const std::string path = s.dir + "/big.txt";
  const std::string old(3000, 'o');
  std::ofstream(path) << old;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{8192, 8192};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const std::string reason = WriteRefusalOf(path, std::string(200000, 'n'));
    const bool bNamed = reason == "File too large; the file was left as it was";
    std::_Exit(bNamed && testutil::ReadFile(path) == old && Entries(s.dir).size() == 1 ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(testutil::ReadFile(path), old);
}

TEST(FileUtility, SameFileIsTheSameInode) {
  WriteScratch s;
  std::ofstream(s.dir + "/a") << "a";
  std::ofstream(s.dir + "/b") << "a";
  ::link((s.dir + "/a").c_str(), (s.dir + "/hard").c_str());
  ::symlink("a", (s.dir + "/soft").c_str());
  EXPECT_TRUE(SUFileUtility::IsSameFile(s.dir + "/a", s.dir + "/hard"));
  EXPECT_TRUE(SUFileUtility::IsSameFile(s.dir + "/soft", s.dir + "/a"));
  EXPECT_TRUE(SUFileUtility::IsSameFile(s.dir + "/./a", s.dir + "/a"));
  EXPECT_FALSE(SUFileUtility::IsSameFile(s.dir + "/a", s.dir + "/b"));
  EXPECT_FALSE(SUFileUtility::IsSameFile(s.dir + "/missing", s.dir + "/missing"));
}

TEST(FileUtility, CheckRegularFileRefusesWithoutOpening) {
  Scratch s;
  EXPECT_TRUE(SUFileUtility::CheckRegularFile(s.dir + "/plain.txt", "test file"));
  EXPECT_FALSE(SUFileUtility::CheckRegularFile(s.dir + "/none", "test file", true));
  EXPECT_THROW(SUFileUtility::CheckRegularFile(s.dir + "/none", "test file"), SUFileUtility::SUFileError);
  for (const std::string& path : {s.dir + "/pipe", s.dir + "/sub", std::string("/dev/zero")}) {
    EXPECT_THROW(SUFileUtility::CheckRegularFile(path, "test file", true), SUFileUtility::SUFileError) << path;
  }
}

// A file cut short by another process under its mapping: the lost pages
// read as zeros instead of ending the process, and the owner is told.
TEST(FileUtility, AMappedFileCutShortReadsZerosAndSaysSo) {
  WriteScratch s;
  const std::string path = s.dir + "/shrinking.txt";
  const std::string text(5 * 4096 + 100, 'x');
  std::ofstream(path) << text;
  const SUFileUtility::MappedFile map(path, "test file");
  ASSERT_EQ(map.Size(), text.size());
  EXPECT_FALSE(map.WasCutShort());
  ASSERT_EQ(::truncate(path.c_str(), 4096), 0);
  std::size_t xs = 0, zeros = 0;
  for (std::size_t i = 0; i < map.Size(); ++i) {
    const char c = map.Data()[i];
    xs += c == 'x';
    zeros += c == '\0';
  }
  EXPECT_TRUE(map.WasCutShort());
  EXPECT_EQ(xs, 4096u);
  EXPECT_EQ(zeros, map.Size() - 4096);
  // Another mapping of the same file, whole again, is not marked.
  std::ofstream(path) << text;
  const SUFileUtility::MappedFile again(path, "test file");
  EXPECT_EQ(std::string(again.Data(), again.Size()), text);
  EXPECT_FALSE(again.WasCutShort());
}

}  // namespace
