// Base64 (RFC 4648, standard alphabet, "=" padding) for texts that carry bytes.
//
//   std::string t = Base64::Encode(bytes);     // "AAEC..."
//   ByteVector back;  Base64::Decode(t, back); // true
#pragma once

#include <string>
#include <string_view>

#include "Utility/VXString.h"

namespace Base64 {
std::string Encode(const uint8* data, std::size_t size);
inline std::string Encode(const ByteVector& bytes) { return Encode(bytes.data(), bytes.size()); }
// Strict: only the alphabet, a length that is a multiple of 4, padding only at
// the end, and zero unused bits. False, with out untouched, for anything else.
bool Decode(std::string_view text, ByteVector& out);
}  // namespace Base64
