// Feeds arbitrary bytes to every blob reader; only BlobDecodeError may escape.
#include <cstddef>
#include <cstdint>

#include "Utility/DataBlobUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  BlobCursor c(data + 1, data + size);
  try {
    // The first byte picks the sequence of fields, so the fuzzer explores mixes.
    for (unsigned sel = data[0]; !c.AtEnd(); sel = (sel >> 2) | ((sel & 3) << 6)) {
      switch (sel & 3) {
        case 0:
          c.ReadStringVector();
          break;
        case 1:
          c.ReadIntVector();
          break;
        case 2:
          c.ReadBool();
          break;
        default:
          c.ReadString();
          break;
      }
    }
  } catch (const BlobDecodeError&) {
  }
  return 0;
}
