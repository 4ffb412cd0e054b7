// SUFileUtility: file-system questions asked with VXString paths, and the one
// way every reader of the library opens a file it is given.
//
//   SUFileUtility::FileExists(U"/etc/hosts");   // true
//   std::string text = SUFileUtility::ReadRegularFile("config.ini", "system configuration");
//   SUFileUtility::MappedFile map("big.rpx", "repository file");   // map.Data(), map.Size()
//
// A path given by a user may name a directory, a named pipe or a device: such
// a path is refused before anything is read (a pipe is never waited on), and
// a read stops at a bound, so no reader hangs or grows without limit. Every
// failure is an SUFileError whose text names what the file was for, the path
// and what is wrong with it.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

#include "Utility/VXString.h"

namespace SUFileUtility {
// True for an existing regular file (or a link to one); false for
// directories, missing paths and paths the process may not look at.
bool FileExists(const VXString& path);
bool DirectoryExists(const VXString& path);

// Text files (configuration, message catalogue, query files) are read whole
// up to this many bytes.
inline constexpr std::size_t kMaxTextFileBytes = std::size_t{64} << 20;
// Repository files are mapped, never copied, up to this size.
inline constexpr std::size_t kMaxMappedFileBytes = std::size_t{16} << 30;

class SUFileError : public std::runtime_error {
 public:
  // "cannot open the WHAT PATH: REASON"
  SUFileError(const std::string& what, const std::string& path, const std::string& reason);
  const std::string& GetPath() const { return m_path; }
  const std::string& GetReason() const { return m_reason; }

 private:
  std::string m_path;
  std::string m_reason;
};

// The whole content of the regular file at path. what names the file's
// purpose for the message ("message catalogue").
std::string ReadRegularFile(const std::string& path, const char* what, std::size_t maxBytes = kMaxTextFileBytes);

// A read-only view of a whole regular file, mapped while the object lives.
// An empty file gives Size() 0 and a non-null Data().
class MappedFile {
 public:
  MappedFile(const std::string& path, const char* what, std::size_t maxBytes = kMaxMappedFileBytes);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  const char* Data() const { return m_data; }
  std::size_t Size() const { return m_size; }

 private:
  const char* m_data = "";
  std::size_t m_size = 0;
  void* m_map = nullptr;
};
}  // namespace SUFileUtility
