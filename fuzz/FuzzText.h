// Text from fuzz bytes, shared by the targets that read one string: after a
// first byte that picks the form, the rest is UTF-8 (even first byte) or raw
// 32-bit code points, surrogates and values past Unicode included (odd).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Utility/VXString.h"

inline VXString FuzzTextFrom(const std::uint8_t* data, std::size_t size) {
  VXString text;
  if (size == 0) return text;
  if (data[0] & 1) {
    for (std::size_t i = 1; i + 4 <= size; i += 4) {
      text.push_back(static_cast<char32_t>(std::uint32_t{data[i]} << 24 | std::uint32_t{data[i + 1]} << 16 |
                                           std::uint32_t{data[i + 2]} << 8 | data[i + 3]));
    }
  } else {
    text = ToVXString(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  }
  return text;
}

// Traps, so the fuzzer reports a broken property as a finding.
inline void FuzzCheck(bool ok) {
  if (!ok) __builtin_trap();
}
