#include "objectmodel/Repository.h"

#include "Utility/Crc32.h"
#include "Utility/DataBlobUtil.h"
#include "Utility/SUFileUtility.h"

std::function<void(ARpGateway*, VXString&, const Ref<ARpObject>&)> Repository::ProcessKEX_DIRECT;
std::function<void(ARpGateway*, const std::set<VXString>&, const Ref<ADatabase>&)>
    Repository::PopulateResourceBundleStrings;
Repository::IsValidFormatExprFn Repository::GetIsValidFormatExpr = nullptr;

namespace {
constexpr char kMagic[] = "SMRPARC";
constexpr std::size_t kMagicSize = sizeof kMagic - 1;

// The trailer of a format 3 archive: record count and CRC.
constexpr std::size_t kTrailerSize = 8;

std::uint32_t ReadUInt32At(const ByteVector& bytes, std::size_t at) {
  return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) | (std::uint32_t{bytes[at + 2]} << 8) |
         std::uint32_t{bytes[at + 3]};
}

void AppendHeader(ByteVector& out, std::uint8_t format) {
  out.insert(out.end(), kMagic, kMagic + kMagicSize);
  out.push_back(format);
}

void AppendID(ByteVector& out, const VoidID& id) {
  DataBlobUtil::ToByteVector(out, static_cast<std::uint32_t>(id.GetTypeID()));
  DataBlobUtil::ToByteVector(out, id.GetUniqueNum());
}

VoidID ReadID(BlobCursor& in) {
  const auto type = static_cast<TypeID>(in.ReadUInt32());
  return VoidID(type, in.ReadUInt32());
}
}  // namespace

Repository::ObjectPointerMap Repository::AllObjects(ARpGateway& rp) {
  ObjectPointerMap all;
  all.reserve(rp.GetObjectCount());
  VoidIDVector ids;
  for (TypeID type : rp.GetKnownTypes()) {
    ids.clear();
    rp.GetObjectIDsOfType(type, ids);
    for (const VoidID& id : ids) {
      Ref<ARpObject> obj = rp.GetObject(id);
      if (!obj.IsNull()) all.emplace(id, obj.Get());
    }
  }
  return all;
}

DiskFile::DiskFile(const std::string& path) : m_path(path) {
  try {
    m_file = std::make_unique<SUFileUtility::ReplacingFile>(path, "archive");
  } catch (const SUFileUtility::SUFileError& e) {
    throw ArchiveError(e.what());
  }
}

DiskFile::~DiskFile() = default;

void DiskFile::Write(const uint8* data, std::size_t size) {
  if (m_bClosed) throw ArchiveError("write after close", m_path);
  try {
    m_file->Write(reinterpret_cast<const char*>(data), size);
  } catch (const SUFileUtility::SUFileError& e) {
    throw ArchiveError(e.what());
  }
  m_pos += static_cast<long>(size);
}

void DiskFile::Close() {
  if (m_bClosed) return;
  m_bClosed = true;
  try {
    m_file->Commit();
  } catch (const SUFileUtility::SUFileError& e) {
    throw ArchiveError(e.what());
  }
}

ARpArchive::ARpArchive(AFile& file) : m_file(file) {
  AppendHeader(m_scratch, kFormat);
  Emit(m_file, m_scratch);
}

void ARpArchive::Emit(AFile& file, const ByteVector& bytes) {
  file.Write(bytes.data(), bytes.size());
  m_crc = Crc32::Update(m_crc, bytes.data(), bytes.size());
}

void ARpArchive::Finish() {
  if (m_bFinished) return;
  m_scratch.clear();
  DataBlobUtil::ToByteVector(m_scratch, static_cast<std::uint32_t>(m_recordCount));
  Emit(m_file, m_scratch);
  m_scratch.clear();
  DataBlobUtil::ToByteVector(m_scratch, m_crc);
  m_file.Write(m_scratch.data(), m_scratch.size());
  m_bFinished = true;
}

bool ARpArchive::WriteObject(const ARpObject& obj, AFile* pDowngradeFile) {
  if (m_bFinished) throw ArchiveError("record written after the archive's trailer");
  if (obj.IsDeleted()) return false;
  m_scratch.clear();
  if (pDowngradeFile) {
    if (m_typesNotDowngraded.count(obj.GetTypeID())) return true;
    if (pDowngradeFile->GetPosition() == 0) AppendHeader(m_scratch, kDowngradeFormat);
    AppendID(m_scratch, obj.GetID());
    DataBlobUtil::ToByteVector(m_scratch, obj.GetName());
    pDowngradeFile->Write(m_scratch.data(), m_scratch.size());
    return true;
  }
  const ARpObject* parent = obj.GetParentPointer();
  AppendID(m_scratch, obj.GetID());
  AppendID(m_scratch, parent ? parent->GetID() : VoidID::NullID);
  DataBlobUtil::ToByteVector(m_scratch, obj.GetName());
  Emit(m_file, m_scratch);
  ++m_recordCount;
  return true;
}

std::vector<ARpArchive::Record> ARpArchive::ReadBytes(const ByteVector& bytes) {
  std::vector<Record> records;
  if (bytes.empty()) return records;
  try {
    BlobCursor in(bytes);
    const uint8* magic = in.Take(kMagicSize, "archive header");
    if (!std::equal(magic, magic + kMagicSize, kMagic)) throw ArchiveError("not a repository archive");
    const std::uint8_t format = in.ReadByte();
    if (format != kFormat && format != kUncheckedFormat && format != kDowngradeFormat) {
      throw ArchiveError("unknown archive format " + std::to_string(format));
    }
    std::size_t end = bytes.size();
    std::uint32_t expectedCount = 0;
    if (format == kFormat) {
      // The trailer is checked before any record is read, so a damaged
      // archive gives no records at all.
      if (bytes.size() < kMagicSize + 1 + kTrailerSize) {
        throw ArchiveError("damaged archive: it ends before its trailer (" + std::to_string(bytes.size()) + " bytes)");
      }
      end = bytes.size() - kTrailerSize;
      expectedCount = ReadUInt32At(bytes, end);
      const std::uint32_t expectedCrc = ReadUInt32At(bytes, end + 4);
      const std::uint32_t crc = Crc32::Update(0, bytes.data(), end + 4);
      if (crc != expectedCrc) {
        throw ArchiveError("damaged archive: its checksum does not match its bytes (cut short or changed)");
      }
    }
    BlobCursor body(bytes.data() + kMagicSize + 1, bytes.data() + end);
    while (!body.AtEnd()) {
      Record r;
      r.m_id = ReadID(body);
      if (format != kDowngradeFormat) r.m_parent = ReadID(body);
      r.m_name = body.ReadString();
      records.push_back(std::move(r));
    }
    if (format == kFormat && records.size() != expectedCount) {
      throw ArchiveError("damaged archive: " + std::to_string(records.size()) + " records where the trailer says " +
                         std::to_string(expectedCount));
    }
  } catch (const BlobDecodeError& e) {
    throw ArchiveError(std::string("damaged archive: ") + e.what());
  }
  return records;
}

std::vector<ARpArchive::Record> ARpArchive::ReadFile(const std::string& path) {
  std::string text;
  try {
    text = SUFileUtility::ReadRegularFile(path, "archive", kMaxArchiveBytes);
  } catch (const SUFileUtility::SUFileError& e) {
    throw ArchiveError(e.what());
  }
  const ByteVector bytes(text.begin(), text.end());
  return ReadBytes(bytes);
}
