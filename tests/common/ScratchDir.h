// ScratchDir: a folder of the test's own under the system's temporary
// folder, removed with all it holds when it goes out of scope; ReadFile: a
// whole file as bytes ("" for one that cannot be read).
//
//   const testutil::ScratchDir dir;
//   const std::string in = dir.Write("in.rpd.xml", "<repository/>");
//   EXPECT_EQ(testutil::ReadFile(dir.Path("out.xml")), "...");
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace testutil {

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "smutil_test_XXXXXX").string();
    if (::mkdtemp(pattern.data())) m_dir = pattern;
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& Dir() const { return m_dir; }
  std::string Path(const std::string& name) const { return (m_dir / name).string(); }
  // Writes text to NAME in the folder and gives its path.
  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(Path(name), std::ios::binary) << text;
    return Path(name);
  }

 private:
  std::filesystem::path m_dir;
};

}  // namespace testutil
