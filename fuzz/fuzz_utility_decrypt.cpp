// Sealed script passwords come from files users edit: arbitrary text must
// decode or decrypt to a clean false, never crash. Text that does decrypt
// under the fixed key must have been sealed by us, so it re-seals and reopens.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Utility/Base64.h"
#include "Utility/HALOStrongEncryption.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ByteVector key(HALOStrongEncryption::kKeySize, 0x5A);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ByteVector decoded;
  if (Base64::Decode(text, decoded) && Base64::Encode(decoded) != text) __builtin_trap();
  ByteVector plain;
  if (HALOStrongEncryption::DecryptAESPasswordForScript(ToVXString(text), key, plain)) {
    ByteVector again;
    const VXString sealed = HALOStrongEncryption::AESEncryptPasswordForScript(key, plain);
    if (!HALOStrongEncryption::DecryptAESPasswordForScript(sealed, key, again) || again != plain) __builtin_trap();
  }
  return 0;
}
