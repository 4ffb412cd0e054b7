// Crc32: the CRC-32 of IEEE 802.3 (the one zlib, PNG and gzip compute),
// for files that check their own bytes.
//
//   std::uint32_t crc = Crc32::Update(0, data, size);   // "123456789" gives 0xCBF43926
//   crc = Crc32::Update(crc, more, moreSize);            // the same as one call over both
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace Crc32 {
namespace detail {
constexpr std::array<std::uint32_t, 256> MakeTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[i] = c;
  }
  return table;
}
inline constexpr std::array<std::uint32_t, 256> kTable = MakeTable();
}  // namespace detail

// The CRC of the bytes before these (0 for none) carried over these.
inline std::uint32_t Update(std::uint32_t crc, const void* data, std::size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = detail::kTable[(crc ^ p[i]) & 0xFFu] ^ (crc >> 8);
  return ~crc;
}
}  // namespace Crc32
