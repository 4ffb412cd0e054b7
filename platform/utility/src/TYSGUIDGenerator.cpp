#include "Utility/TYSGUIDGenerator.h"

#include <openssl/rand.h>

#include <stdexcept>

#include "Utility/Hex.h"

namespace {
bool IsDashPosition(std::size_t i) { return i == 8 || i == 13 || i == 18 || i == 23; }
}  // namespace

namespace TYSGUIDGenerator {
VXString ByteVectorToGUIDString(const ByteVector& guid) {
  VXString out;
  out.reserve(guid.size() * 2 + 4);
  for (std::size_t i = 0; i < guid.size(); ++i) {
    if (guid.size() == 16 && (i == 4 || i == 6 || i == 8 || i == 10)) out.push_back(U'-');
    Hex::AppendBytes(out, std::span<const std::uint8_t>(&guid[i], 1));
  }
  return out;
}

bool GUIDStringToByteVector(const VXString& text, ByteVector& guid) {
  std::u32string_view t(text);
  if (t.size() == 38 && t.front() == U'{' && t.back() == U'}') t = t.substr(1, 36);
  if (t.size() != 36) return false;
  ByteVector bytes;
  bytes.reserve(16);
  for (std::size_t i = 0; i < t.size();) {
    if (IsDashPosition(i)) {
      if (t[i] != U'-') return false;
      ++i;
      continue;
    }
    const int hi = Hex::DigitValue(t[i]);
    const int lo = i + 1 < t.size() && !IsDashPosition(i + 1) ? Hex::DigitValue(t[i + 1]) : -1;
    if (hi < 0 || lo < 0) return false;
    bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    i += 2;
  }
  guid = std::move(bytes);
  return true;
}

ByteVector GenerateGUID() {
  ByteVector g(16);
  if (RAND_bytes(g.data(), static_cast<int>(g.size())) != 1) {
    throw std::runtime_error("GenerateGUID: the system's random source failed");
  }
  g[6] = static_cast<std::uint8_t>((g[6] & 0x0F) | 0x40);  // version 4
  g[8] = static_cast<std::uint8_t>((g[8] & 0x3F) | 0x80);  // RFC 4122 variant
  return g;
}
}  // namespace TYSGUIDGenerator
