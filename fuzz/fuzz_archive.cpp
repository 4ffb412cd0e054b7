// Fuzz target: reading a repository archive back (ARpArchive::ReadBytes).
// Any bytes either read as records or are refused with ArchiveError, never
// read past the end; each record takes at least its ids and a name length.
#include <cstddef>
#include <cstdint>

#include "FuzzText.h"
#include "objectmodel/Repository.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteVector bytes(data, data + size);
  try {
    const std::vector<ARpArchive::Record> records = ARpArchive::ReadBytes(bytes);
    // Format 1 records hold an id and a name length: 12 bytes at least.
    FuzzCheck(records.empty() || size >= 8 + 12 * records.size());
  } catch (const ArchiveError&) {
  }
  return 0;
}
