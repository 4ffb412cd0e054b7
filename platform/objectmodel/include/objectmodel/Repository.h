// Repository-wide host hooks and the archive that repository writers fill.
//
//   Repository::ProcessKEX_DIRECT = [](ARpGateway* rp, VXString& text, const Ref<ARpObject>& obj) { ... };
//
//   DiskFile file("objects.rpa");
//   ARpArchive archive(file);
//   archive.WriteObject(*obj);
//   archive.Finish();
//   file.Close();
//   std::vector<ARpArchive::Record> back = ARpArchive::ReadFile("objects.rpa");
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "Utility/SourceError.h"
#include "objectmodel/RpGateway.h"

namespace SUFileUtility {
class ReplacingFile;
}

// A fault of an archive: "PATH: what" when it names the archive's file,
// else its message alone (a message from the file utility names the path
// itself).
class ArchiveError : public SourceError {
 public:
  explicit ArchiveError(const std::string& message, const std::string& path = "") : SourceError(path, 0, 0, message) {}
};

// A file that repository writers append to: the writers look at nothing but
// its position, which moves by the bytes written.
class AFile {
 public:
  virtual ~AFile() = default;
  // Bytes written so far: where the next write starts.
  virtual long GetPosition() const = 0;
  virtual void Write(const uint8* data, std::size_t size) = 0;
};

// An AFile on disk that replaces the file at its path whole on Close, and
// only then: the bytes go to a temporary file beside it (see
// SUFileUtility::ReplacingFile), so a failed or abandoned write leaves an
// old file as it was. Throws ArchiveError when the file cannot be made or
// written.
class DiskFile final : public AFile {
 public:
  explicit DiskFile(const std::string& path);
  ~DiskFile() override;
  DiskFile(const DiskFile&) = delete;
  DiskFile& operator=(const DiskFile&) = delete;
  long GetPosition() const override { return m_pos; }
  void Write(const uint8* data, std::size_t size) override;
  // Flushes, syncs and puts the file in place; a second call does nothing.
  void Close();

 private:
  std::unique_ptr<SUFileUtility::ReplacingFile> m_file;
  std::string m_path;
  long m_pos = 0;
  bool m_bClosed = false;
};

// An archive of repository objects: one record per object, in the order
// written, behind a header naming the format.
//
// File layout (integers big-endian, strings as DataBlobUtil writes them):
//   "SMRPARC" and a format byte: 3 for archives, 1 for downgrade files
//   (2 for archives written before the trailer came, still read);
//   format 3 and 2 record: type, number, parent type, parent number (uint32
//                          each), name (string);
//   format 1 record: type, number, name (older readers know no parents);
//   format 3 trailer, after the last record: the number of records and the
//                    CRC-32 (IEEE 802.3, as zlib computes it) of every byte
//                    before the CRC (uint32 each).
// The trailer lets the reader refuse an archive that was cut short or had a
// byte changed: the records alone read back from most such files, since a
// record has no fixed size and any byte may start a name.
//
// A downgrade file given to WriteObject takes the record in format 1
// instead of the archive, and only for types it can hold (those not in
// m_typesNotDowngraded); for the others nothing is written anywhere, so the
// file's position stays where it was.
class ARpArchive {
 public:
  static constexpr std::uint8_t kFormat = 3;
  static constexpr std::uint8_t kUncheckedFormat = 2;
  static constexpr std::uint8_t kDowngradeFormat = 1;

  struct Record {
    VoidID m_id;
    VoidID m_parent;  // null at the top level and in format 1 files
    VXString m_name;
  };

  // Writes the archive header to file, which must outlive the archive.
  explicit ARpArchive(AFile& file);
  // False (nothing written) for a deleted object. Throws ArchiveError after
  // Finish.
  bool WriteObject(const ARpObject& obj, AFile* pDowngradeFile = nullptr);
  // Writes the trailer after the last record; an archive without it does not
  // read back. A second call does nothing.
  void Finish();
  // Records written to the archive itself (downgrade files not counted).
  std::size_t GetRecordCount() const { return m_recordCount; }

  // Reads an archive or downgrade file back. An empty file holds no records
  // (a downgrade file that received none). Throws ArchiveError for a file
  // that cannot be read (anything but a regular file is refused before it is
  // opened, and one larger than kMaxArchiveBytes), a foreign header, a
  // truncated record, or a format 3 archive whose trailer does not match
  // its bytes.
  static std::vector<Record> ReadFile(const std::string& path);
  static std::vector<Record> ReadBytes(const ByteVector& bytes);
  static constexpr std::size_t kMaxArchiveBytes = std::size_t{4} << 30;

  // Types that a downgrade file does not take.
  std::set<TypeID> m_typesNotDowngraded;

 private:
  void Emit(AFile& file, const ByteVector& bytes);

  AFile& m_file;
  std::size_t m_recordCount = 0;
  std::uint32_t m_crc = 0;  // of the bytes written to m_file so far
  bool m_bFinished = false;
  ByteVector m_scratch;
};

class Repository {
 public:
  // Called with the display-name text of an object before variables in it
  // are substituted; may rewrite the text.
  static std::function<void(ARpGateway* pRp, VXString& text, const Ref<ARpObject>& obj)> ProcessKEX_DIRECT;
  // Called to load the strings of a resource bundle: the bundle keys (each a
  // bundle variable's name after the bundle prefix) and the bundle's database.
  // The host sets the matching session variables.
  static std::function<void(ARpGateway* pRp, const std::set<VXString>& keys, const Ref<ADatabase>& bundleDatabase)>
      PopulateResourceBundleStrings;

  // The server's check of a user's format string: whether formatStr (ids
  // already turned back into names) still parses as an expression of the
  // layer exprType (0 presentation, 1 physical, 2 business model); on false
  // errorMessage may say why. Null when the host installed none.
  using IsValidFormatExprFn = bool (*)(ARpGateway* pRp, const VXString& formatStr, VXString& errorMessage,
                                       int exprType);
  static IsValidFormatExprFn GetIsValidFormatExpr;

  using ObjectPointerMap = std::unordered_map<VoidID, ARpObject*, VoidIDHash>;
  // Every live object of rp by id: what a writer of the whole repository is given.
  static ObjectPointerMap AllObjects(ARpGateway& rp);
  // The signature of a writer that groups columns after their tables.
  using WriteToRPDAfterGroupingColumnsByTable_T = int (*)(ARpArchive& archive, const ObjectPointerMap& allObjIdPtrMap,
                                                          AFile* pDowngradeFile);
};
