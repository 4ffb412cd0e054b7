#include "Utility/Hex.h"

namespace Hex {
std::string EncodeBytes(std::span<const std::uint8_t> bytes, Letters letters) {
  std::string out;
  out.reserve(2 * bytes.size());
  AppendBytes(out, bytes, letters);
  return out;
}
}  // namespace Hex
