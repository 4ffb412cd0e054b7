#include "Utility/DataBlobUtil.h"

#include <string_view>

BlobDecodeError::BlobDecodeError(const std::string& what, std::size_t offset)
    : std::runtime_error("corrupt data at byte " + std::to_string(offset) + ": " + what), m_offset(offset) {}

void BlobCursor::Fail(const std::string& what) const { throw BlobDecodeError(what, Offset()); }

void BlobCursor::TakeFailed(std::size_t n, const char* what) const {
  Fail(std::string(what) + " needs " + std::to_string(n) + " bytes, only " +
       std::to_string(m_pos > m_end ? 0 : Remaining()) + " left");
}

std::uint8_t BlobCursor::ReadByte() { return *Take(1, "byte"); }

std::uint16_t BlobCursor::ReadUInt16() {
  const uint8* p = Take(2, "16-bit integer");
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

std::uint32_t BlobCursor::ReadUInt32() {
  const uint8* p = Take(4, "32-bit integer");
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::int32_t BlobCursor::ReadInt32() { return static_cast<std::int32_t>(ReadUInt32()); }

bool BlobCursor::ReadBool() {
  const std::uint8_t b = ReadByte();
  if (b > 1) {
    m_pos--;
    Fail("boolean byte must be 0 or 1, found " + std::to_string(b));
  }
  return b == 1;
}

std::uint32_t BlobCursor::ReadCount(std::size_t minItemBytes, const char* what) {
  const std::uint32_t n = ReadUInt32();
  if (minItemBytes > 0 && n > Remaining() / minItemBytes) {
    m_pos -= 4;
    Fail(std::string(what) + " count " + std::to_string(n) + " exceeds the " + std::to_string(Remaining() - 4) +
         " bytes left");
  }
  return n;
}

VXString BlobCursor::ReadString() {
  const std::uint32_t n = ReadCount(1, "string byte");
  const uint8* p = Take(n, "string");
  std::string_view bytes(reinterpret_cast<const char*>(p), n);
  if (!IsValidUtf8(bytes)) {
    m_pos = p;
    Fail("string is not valid UTF-8");
  }
  return ToVXString(bytes);
}

std::vector<int> BlobCursor::ReadIntVector() {
  const std::uint32_t n = ReadCount(4, "integer vector");
  std::vector<int> v;
  v.reserve(n);
  for (std::uint32_t i = 0; i < n; ++i) v.push_back(ReadInt32());
  return v;
}

VXStringVector BlobCursor::ReadStringVector() {
  const std::uint32_t n = ReadCount(4, "string vector");
  VXStringVector v;
  v.reserve(n);
  for (std::uint32_t i = 0; i < n; ++i) v.push_back(ReadString());
  return v;
}

namespace DataBlobUtil {
namespace {
void PutUInt32(ByteVector& out, std::uint32_t v) {
  out.push_back(static_cast<uint8>(v >> 24));
  out.push_back(static_cast<uint8>(v >> 16));
  out.push_back(static_cast<uint8>(v >> 8));
  out.push_back(static_cast<uint8>(v));
}
}  // namespace

void ToByteVector(ByteVector& out, bool value) { out.push_back(value ? 1 : 0); }
void ToByteVector(ByteVector& out, std::int32_t value) { PutUInt32(out, static_cast<std::uint32_t>(value)); }
void ToByteVector(ByteVector& out, std::uint32_t value) { PutUInt32(out, value); }

void ToByteVector(ByteVector& out, const VXString& value) {
  const std::string utf8 = ToUtf8Exact(value);
  PutUInt32(out, static_cast<std::uint32_t>(utf8.size()));
  out.insert(out.end(), utf8.begin(), utf8.end());
}

void ToByteVector(ByteVector& out, const std::vector<int>& value) {
  PutUInt32(out, static_cast<std::uint32_t>(value.size()));
  for (int v : value) PutUInt32(out, static_cast<std::uint32_t>(v));
}

void ToByteVector(ByteVector& out, const VXStringVector& value) {
  const std::size_t before = out.size();
  try {
    PutUInt32(out, static_cast<std::uint32_t>(value.size()));
    for (const auto& s : value) ToByteVector(out, s);
  } catch (const UnencodableTextError&) {
    out.resize(before);  // no half-written vector
    throw;
  }
}

const uint8* FromByteVector(const uint8* p, const uint8* end, bool& value) {
  BlobCursor c(p, end);
  value = c.ReadBool();
  return c.Position();
}

const uint8* FromByteVector(const uint8* p, const uint8* end, std::int32_t& value) {
  BlobCursor c(p, end);
  value = c.ReadInt32();
  return c.Position();
}

const uint8* FromByteVector(const uint8* p, const uint8* end, std::uint32_t& value) {
  BlobCursor c(p, end);
  value = c.ReadUInt32();
  return c.Position();
}

const uint8* FromByteVector(const uint8* p, const uint8* end, VXString& value, bool /*bWide*/) {
  BlobCursor c(p, end);
  value = c.ReadString();
  return c.Position();
}

const uint8* FromByteVector(const uint8* p, const uint8* end, std::vector<int>& value) {
  BlobCursor c(p, end);
  value = c.ReadIntVector();
  return c.Position();
}

const uint8* FromByteVector(const uint8* p, const uint8* end, VXStringVector& value) {
  BlobCursor c(p, end);
  value = c.ReadStringVector();
  return c.Position();
}

std::int32_t GetInt32(const uint8* p, const uint8* end) { return BlobCursor(p, end).ReadInt32(); }
std::uint32_t GetUInt32(const uint8* p, const uint8* end) { return BlobCursor(p, end).ReadUInt32(); }
VXString GetString(const uint8* p, const uint8* end, bool) { return BlobCursor(p, end).ReadString(); }
}  // namespace DataBlobUtil
