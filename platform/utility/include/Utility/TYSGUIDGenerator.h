// TYSGUIDGenerator: globally unique identifiers as 16 bytes and as text.
//
//   ByteVector g = TYSGUIDGenerator::GenerateGUID();       // 16 random bytes (version 4)
//   TYSGUIDGenerator::ByteVectorToGUIDString(g);           // U"3F2504E0-4F89-41D3-9A0C-0305E82C3301"
//
// The text is the bytes in stored order as upper-case hex, grouped 8-4-4-4-12.
#pragma once

#include "Utility/VXString.h"

namespace TYSGUIDGenerator {
// 16 bytes give the grouped form; any other length gives plain upper-case hex
// of all its bytes (empty for none), so no byte is ever dropped.
VXString ByteVectorToGUIDString(const ByteVector& guid);
// Reads the grouped form (either letter case, optionally in braces) back into
// 16 bytes; false, with guid untouched, for any other text.
bool GUIDStringToByteVector(const VXString& text, ByteVector& guid);
// A fresh random (version 4) GUID from the system's secure random source.
ByteVector GenerateGUID();
}  // namespace TYSGUIDGenerator
