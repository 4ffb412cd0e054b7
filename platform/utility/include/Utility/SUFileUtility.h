// SUFileUtility: file-system questions asked with VXString paths, the one way
// every reader of the library opens a file it is given, and the one way every
// writer replaces one.
//
//   SUFileUtility::FileExists(U"/etc/hosts");   // true
//   std::string text = SUFileUtility::ReadRegularFile("config.ini", "system configuration");
//   SUFileUtility::MappedFile map("big.rpx", "repository file");   // map.Data(), map.Size()
//   SUFileUtility::ReplacingFile out("copy.rpd.xml", "repository file");
//   out.Write(text.data(), text.size());
//   out.Commit();                                  // only now is copy.rpd.xml replaced
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

#include "Utility/SourceError.h"
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

class SUFileError : public SourceError {
 public:
  // "cannot ACTION the WHAT PATH: REASON" (action "open" or "write"): the
  // message names the path, so the error has no source of its own.
  SUFileError(const std::string& what, const std::string& path, const std::string& reason, const char* action = "open");
  const std::string& GetPath() const { return m_path; }
  const std::string& GetReason() const { return m_reason; }

 private:
  std::string m_path;
  std::string m_reason;
};

// The whole content of the regular file at path. what names the file's
// purpose for the message ("message catalogue").
std::string ReadRegularFile(const std::string& path, const char* what, std::size_t maxBytes = kMaxTextFileBytes);

// Refuses path (SUFileError, as ReadRegularFile words it) unless it names a
// regular file, without opening it: for readers that open a file by name
// themselves (SQLite, the XML parser), so that a pipe or a device never
// reaches them. With bMayBeMissing a path that names nothing is accepted and
// the answer is false; otherwise the answer is true.
bool CheckRegularFile(const std::string& path, const char* what, bool bMayBeMissing = false);

// Whether a and b name one file (the same device and inode, links
// followed). False when either names nothing.
bool IsSameFile(const std::string& a, const std::string& b);

// A file that is replaced whole or not at all. The bytes go to a temporary
// file in the target's directory; Commit flushes them to the disk and
// renames the temporary file over the target. Until then, and after any
// failure, the target is as it was; a ReplacingFile destroyed without a
// successful Commit removes its temporary file.
//
// The replaced file keeps its permission bits and owner (an owner the
// process cannot give is refused before anything is written); a new file
// gets the usual 0666 less the umask. A target that is a symbolic link is
// written through: the file the link points to is replaced and the link
// stays. A target that exists and is not a regular file (a directory, a
// pipe, a device) is refused. The temporary name is short whatever the
// target's length, so any name the directory takes can be written.
//
// Every failure is an SUFileError ("cannot write the WHAT PATH: ...") that
// names the thing at fault: the directory when the temporary file cannot be
// made there, the file when the disk is full.
class ReplacingFile {
 public:
  ReplacingFile(const std::string& path, const char* what);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  void Write(const char* data, std::size_t size);
  // Flushes, syncs and renames; a second call does nothing.
  void Commit();
  // Bytes written so far.
  std::size_t GetSize() const { return m_written + m_buffer.size(); }
  // The file that is replaced: the path given, or the file its links lead to.
  const std::string& GetTarget() const { return m_target; }

 private:
  void Flush();
  [[noreturn]] void Fail(const std::string& reason);

  std::string m_path, m_what, m_target, m_temp;
  int m_fd = -1;
  bool m_bCommitted = false;
  bool m_bExisted = false;
  std::size_t m_written = 0;
  std::string m_buffer;
};

// Writes bytes to path through a ReplacingFile.
void ReplaceFile(const std::string& path, const char* what, const std::string& bytes);

// A read-only view of a whole regular file, mapped while the object lives.
// An empty file gives Size() 0 and a non-null Data().
//
// Another process may cut the file short while it is mapped; reading the
// lost pages would end the process with SIGBUS. The mapping is guarded
// instead: a fault inside it puts zero pages where the file's pages were,
// the reader reads NULs and finishes, and WasCutShort() tells the owner
// that what it read is not the file. (Copying the file instead would cost a
// page fault per 4 KB of it on every load.)
class MappedFile {
 public:
  MappedFile(const std::string& path, const char* what, std::size_t maxBytes = kMaxMappedFileBytes);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  const char* Data() const { return m_data; }
  std::size_t Size() const { return m_size; }
  // True once a page of the file went missing under the mapping.
  bool WasCutShort() const;

 private:
  const char* m_data = "";
  std::size_t m_size = 0;
  void* m_map = nullptr;
  int m_guard = -1;    // the slot of the guarded range, -1 when read
  std::string m_copy;  // the bytes when no guard slot was free
};
}  // namespace SUFileUtility
