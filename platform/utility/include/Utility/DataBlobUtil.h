// DataBlobUtil: the server's blob encoding, used by condition bytes, token
// payloads and query-spec bytes.
//
//   ByteVector b;
//   DataBlobUtil::ToByteVector(b, VXString(U"Orders"));
//   DataBlobUtil::ToByteVector(b, true);
//   VXString name; bool flag;
//   const uint8* p = DataBlobUtil::FromByteVector(b.data(), b.data() + b.size(), name);
//   p = DataBlobUtil::FromByteVector(p, b.data() + b.size(), flag);
//
// Layout (all integers big-endian):
//   bool         1 byte, 0 or 1
//   int32/uint32 4 bytes
//   string       uint32 byte count, then that many bytes of UTF-8
//   int vector   uint32 count, then count int32s
//   string vector uint32 count, then count strings
//
// A string is stored exactly or not at all: text holding an element that
// UTF-8 cannot carry (a surrogate code point, a value beyond U+10FFFF) is
// refused with UnencodableTextError and nothing is appended.
//
// Bytes come from other processes and files, so every reader is bounded by an
// end pointer and throws BlobDecodeError on truncated or corrupt input. Counts
// are checked against the bytes left before anything is allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "Utility/VXString.h"

class BlobDecodeError : public std::runtime_error {
 public:
  BlobDecodeError(const std::string& what, std::size_t offset);
  // Offset from the start of the blob being read, when known.
  std::size_t GetOffset() const { return m_offset; }

 private:
  std::size_t m_offset;
};

// A bounds-checked reading position inside one blob.
class BlobCursor {
 public:
  BlobCursor(const uint8* begin, const uint8* end) : m_begin(begin), m_pos(begin), m_end(end) {}
  explicit BlobCursor(const ByteVector& bytes) : BlobCursor(bytes.data(), bytes.data() + bytes.size()) {}

  bool ReadBool();
  std::int32_t ReadInt32();
  std::uint32_t ReadUInt32();
  std::uint16_t ReadUInt16();
  std::uint8_t ReadByte();
  VXString ReadString();
  std::vector<int> ReadIntVector();
  VXStringVector ReadStringVector();
  // A count of items that need at least minItemBytes each; throws when the
  // remaining bytes cannot hold that many.
  std::uint32_t ReadCount(std::size_t minItemBytes, const char* what);
  // Returns a pointer to the next n bytes and steps over them. Inline: every
  // decoder calls it once per field.
  const uint8* Take(std::size_t n, const char* what) {
    if (m_pos > m_end || n > Remaining()) TakeFailed(n, what);
    const uint8* p = m_pos;
    m_pos += n;
    return p;
  }

  std::size_t Remaining() const { return static_cast<std::size_t>(m_end - m_pos); }
  std::size_t Offset() const { return static_cast<std::size_t>(m_pos - m_begin); }
  bool AtEnd() const { return m_pos == m_end; }
  const uint8* Position() const { return m_pos; }
  const uint8* End() const { return m_end; }
  [[noreturn]] void Fail(const std::string& what) const;

 private:
  [[noreturn]] void TakeFailed(std::size_t n, const char* what) const;
  const uint8* m_begin;
  const uint8* m_pos;
  const uint8* m_end;
};

namespace DataBlobUtil {
void ToByteVector(ByteVector& out, bool value);
void ToByteVector(ByteVector& out, std::int32_t value);
void ToByteVector(ByteVector& out, std::uint32_t value);
void ToByteVector(ByteVector& out, const VXString& value);
void ToByteVector(ByteVector& out, const std::vector<int>& value);
void ToByteVector(ByteVector& out, const VXStringVector& value);
// Keeps a string literal from choosing the bool overload.
void ToByteVector(ByteVector& out, const char32_t* value) = delete;

// Each reader reads one field at p and returns the position behind it.
const uint8* FromByteVector(const uint8* p, const uint8* end, bool& value);
const uint8* FromByteVector(const uint8* p, const uint8* end, std::int32_t& value);
const uint8* FromByteVector(const uint8* p, const uint8* end, std::uint32_t& value);
// bWide is kept for the callers' sake: strings have one stored form.
const uint8* FromByteVector(const uint8* p, const uint8* end, VXString& value, bool bWide = true);
const uint8* FromByteVector(const uint8* p, const uint8* end, std::vector<int>& value);
const uint8* FromByteVector(const uint8* p, const uint8* end, VXStringVector& value);

// Token payload accessors: the value stored at p, bounded by end.
std::int32_t GetInt32(const uint8* p, const uint8* end);
std::uint32_t GetUInt32(const uint8* p, const uint8* end);
VXString GetString(const uint8* p, const uint8* end, bool bWide = true);
}  // namespace DataBlobUtil
