// Every reader of a file the user names goes through one helper: only
// regular files, reads with a bound, and a message that names the file and
// what is wrong. A pipe must be refused without waiting for a writer.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "Utility/MessageCatalogue.h"
#include "Utility/SUFileUtility.h"
#include "Utility/SUSystemConfig.h"

namespace {

// A scratch directory holding a regular file, a named pipe and a
// subdirectory; removed at the end.
struct Scratch {
  std::string dir;
  Scratch() {
    char path[] = "/tmp/smutil_file_test_XXXXXX";
    dir = ::mkdtemp(path) ? path : "";
    std::ofstream(dir + "/plain.txt") << "abc\ndef\n";
    std::ofstream(dir + "/empty.txt");
    ::mkfifo((dir + "/pipe").c_str(), 0600);
    ::mkdir((dir + "/sub").c_str(), 0700);
  }
  ~Scratch() {
    for (const char* f : {"/plain.txt", "/empty.txt", "/pipe"}) ::unlink((dir + f).c_str());
    ::rmdir((dir + "/sub").c_str());
    ::rmdir(dir.c_str());
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
    try {
      MessageCatalogue::LoadFile(path);
      ADD_FAILURE() << "catalogue read from " << path;
    } catch (const MessageCatalogueError& e) {
      EXPECT_EQ(e.GetSource(), path);
      EXPECT_EQ(e.GetLine(), 0u);
      EXPECT_NE(std::string(e.what()).find("cannot open the message catalogue: it is a"), std::string::npos)
          << e.what();
    }
    try {
      SUSystemConfig::LoadFile(path);
      ADD_FAILURE() << "configuration read from " << path;
    } catch (const SystemConfigError& e) {
      EXPECT_EQ(e.GetSource(), path);
      EXPECT_NE(std::string(e.what()).find("cannot open the system configuration: it is a"), std::string::npos)
          << e.what();
    }
  }
}

}  // namespace
