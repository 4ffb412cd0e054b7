#include "Utility/VoidID.h"

#include <string>

#include "Utility/VoidIDText.h"

const VoidID VoidID::NullID{};

VXString VoidID::ToString() const {
  return ToVXString(std::to_string(m_interfaceTypeID) + ":" + std::to_string(m_uniqueNum));
}

bool VoidID::FromString(const VXString& text, VoidID& id) { return VoidIDText::Parse(std::u32string_view(text), id); }

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
