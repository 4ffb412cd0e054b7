// VoidID: the identifier of a repository object, an interface type id and a
// unique number. Ordered by type (signed), then number (unsigned).
//
//   VoidID id(3001, 42);
//   id.ToString();                 // U"3001:42"
//   ByteVector b; SORpPortable::VoidIDToPStoredVoidIDFormat(id, b);  // 8 bytes
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <vector>

#include "Utility/VXString.h"

using TypeID = std::int32_t;

class VoidID {
 public:
  TypeID m_interfaceTypeID = 0;
  std::uint32_t m_uniqueNum = 0;

  static const VoidID NullID;

  constexpr VoidID() = default;
  constexpr VoidID(TypeID type, std::uint32_t num) : m_interfaceTypeID(type), m_uniqueNum(num) {}

  TypeID GetTypeID() const { return m_interfaceTypeID; }
  std::uint32_t GetUniqueNum() const { return m_uniqueNum; }
  bool IsNull() const { return m_interfaceTypeID == 0 && m_uniqueNum == 0; }
  // Type and number in one 64-bit value, distinct for distinct ids: the key
  // of hash tables.
  constexpr std::uint64_t Packed() const {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(m_interfaceTypeID)) << 32) | m_uniqueNum;
  }

  // "type:number", e.g. "3001:42". FromString reads it back; false on bad text.
  VXString ToString() const;
  static bool FromString(const VXString& text, VoidID& id);

  friend constexpr bool operator==(const VoidID&, const VoidID&) = default;
  friend constexpr auto operator<=>(const VoidID& a, const VoidID& b) {
    if (auto c = a.m_interfaceTypeID <=> b.m_interfaceTypeID; c != 0) return c;
    return a.m_uniqueNum <=> b.m_uniqueNum;
  }
};

using VoidIDVector = std::vector<VoidID>;
using VoidIDSet = std::set<VoidID>;

struct VoidIDHash {
  std::size_t operator()(const VoidID& id) const noexcept {
    return std::hash<std::uint64_t>{}(id.Packed() * 0x9E3779B97F4A7C15ull);
  }
};

template <>
struct std::hash<VoidID> : VoidIDHash {};

// The stored (portable) 8-byte form of an id: type then number, each 32-bit
// big-endian, the same on every platform.
namespace SORpPortable {
constexpr std::size_t kStoredVoidIDSize = 8;
void VoidIDToPStoredVoidIDFormat(const VoidID& id, ByteVector& out);  // appends 8 bytes
void VoidIDToPStoredVoidIDFormat(const VoidID& id, std::uint8_t* out);
// Reads 8 bytes at `stored`; the caller guarantees they exist. Inline:
// walks over expressions read one per reference.
inline VoidID PStoredVoidIDFormatToVoidID(const std::uint8_t* stored) {
  std::uint32_t t = 0, n = 0;
  for (int i = 0; i < 4; ++i) t = (t << 8) | stored[i];
  for (int i = 0; i < 4; ++i) n = (n << 8) | stored[4 + i];
  return VoidID(static_cast<TypeID>(t), n);
}
}  // namespace SORpPortable
