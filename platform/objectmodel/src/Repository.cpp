#include "objectmodel/Repository.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "Utility/DataBlobUtil.h"

std::function<void(ARpGateway*, VXString&, const Ref<ARpObject>&)> Repository::ProcessKEX_DIRECT;
std::function<void(ARpGateway*, const std::set<VXString>&, const Ref<ADatabase>&)>
    Repository::PopulateResourceBundleStrings;
Repository::IsValidFormatExprFn Repository::GetIsValidFormatExpr = nullptr;

namespace {
constexpr char kMagic[] = "SMRPARC";
constexpr std::size_t kMagicSize = sizeof kMagic - 1;

std::string SystemError(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
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
  m_file = std::fopen(path.c_str(), "wb");
  if (!m_file) throw ArchiveError(SystemError("cannot create", path));
}

DiskFile::~DiskFile() {
  if (m_file) std::fclose(m_file);
}

void DiskFile::Write(const uint8* data, std::size_t size) {
  if (!m_file) throw ArchiveError("write after close: " + m_path);
  if (size && std::fwrite(data, 1, size, m_file) != size) throw ArchiveError(SystemError("cannot write", m_path));
  m_pos += static_cast<long>(size);
}

void DiskFile::Close() {
  if (!m_file) return;
  const bool bFlushed = std::fflush(m_file) == 0;
  const bool bClosed = std::fclose(m_file) == 0;
  m_file = nullptr;
  if (!bFlushed || !bClosed) throw ArchiveError(SystemError("cannot write", m_path));
}

ARpArchive::ARpArchive(AFile& file) : m_file(file) {
  AppendHeader(m_scratch, kFormat);
  m_file.Write(m_scratch.data(), m_scratch.size());
}

bool ARpArchive::WriteObject(const ARpObject& obj, AFile* pDowngradeFile) {
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
  m_file.Write(m_scratch.data(), m_scratch.size());
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
    if (format != kFormat && format != kDowngradeFormat) {
      throw ArchiveError("unknown archive format " + std::to_string(format));
    }
    while (!in.AtEnd()) {
      Record r;
      r.m_id = ReadID(in);
      if (format == kFormat) r.m_parent = ReadID(in);
      r.m_name = in.ReadString();
      records.push_back(std::move(r));
    }
  } catch (const BlobDecodeError& e) {
    throw ArchiveError(std::string("damaged archive: ") + e.what());
  }
  return records;
}

std::vector<ARpArchive::Record> ARpArchive::ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ArchiveError(SystemError("cannot open", path));
  ByteVector bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw ArchiveError(SystemError("cannot read", path));
  return ReadBytes(bytes);
}
