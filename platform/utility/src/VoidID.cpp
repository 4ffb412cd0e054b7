#include "Utility/VoidID.h"

#include <charconv>
#include <string>

const VoidID VoidID::NullID{};

VXString VoidID::ToString() const {
  return ToVXString(std::to_string(m_interfaceTypeID) + ":" + std::to_string(m_uniqueNum));
}

bool VoidID::FromString(const VXString& text, VoidID& id) {
  const std::string narrow = ToNarrow(text);
  const auto colon = narrow.find(':');
  if (colon == std::string::npos) return false;
  const char* b = narrow.data();
  const char* e = b + narrow.size();
  TypeID type{};
  std::uint32_t num{};
  auto r1 = std::from_chars(b, b + colon, type);
  if (r1.ec != std::errc() || r1.ptr != b + colon) return false;
  auto r2 = std::from_chars(b + colon + 1, e, num);
  if (r2.ec != std::errc() || r2.ptr != e || colon + 1 == narrow.size()) return false;
  id = VoidID(type, num);
  return true;
}

namespace SORpPortable {
void VoidIDToPStoredVoidIDFormat(const VoidID& id, std::uint8_t* out) {
  const auto t = static_cast<std::uint32_t>(id.m_interfaceTypeID);
  const std::uint32_t n = id.m_uniqueNum;
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(t >> (24 - 8 * i));
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<std::uint8_t>(n >> (24 - 8 * i));
}

void VoidIDToPStoredVoidIDFormat(const VoidID& id, ByteVector& out) {
  std::uint8_t buf[kStoredVoidIDSize];
  VoidIDToPStoredVoidIDFormat(id, buf);
  out.insert(out.end(), buf, buf + kStoredVoidIDSize);
}

}  // namespace SORpPortable
