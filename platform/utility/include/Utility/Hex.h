// Hex: bytes and numbers as hexadecimal digits and back, for every format
// here that writes them (data blobs, query-spec bytes, GUIDs, escapes,
// content hashes, percent-encoded links). Two digits a byte, high nibble
// first; digits are read in either case.
//
//   std::string text;
//   Hex::AppendBytes(text, bytes);                  // "0A1B..."
//   ByteVector back;
//   Hex::DecodeBytes(std::string_view(text), back); // true: the same bytes
//   Hex::DigitValue(U'f');                          // 15; -1 for a non-digit
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Hex {
enum class Letters : bool { kUpper, kLower };

// The value of one hexadecimal digit (0-9, A-F, a-f); -1 for any other
// character.
constexpr int DigitValue(char32_t c) noexcept {
  if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
  if (c >= U'A' && c <= U'F') return static_cast<int>(c - U'A' + 10);
  if (c >= U'a' && c <= U'f') return static_cast<int>(c - U'a' + 10);
  return -1;
}

// The digit of a value 0 to 15 (the low four bits of nibble).
constexpr char Digit(unsigned nibble, Letters letters = Letters::kUpper) noexcept {
  const char* digits = letters == Letters::kUpper ? "0123456789ABCDEF" : "0123456789abcdef";
  return digits[nibble & 15u];
}

// Appends the two digits of each byte to out, a string of any character type.
template <class String>
void AppendBytes(String& out, std::span<const std::uint8_t> bytes, Letters letters = Letters::kUpper) {
  using Char = typename String::value_type;
  for (std::uint8_t b : bytes) {
    out.push_back(static_cast<Char>(Digit(b >> 4, letters)));
    out.push_back(static_cast<Char>(Digit(b, letters)));
  }
}

// The digits of value, at least minDigits of them (leading zeros added), no
// more than it needs beyond that.
template <class String>
void AppendNumber(String& out, std::uint64_t value, Letters letters = Letters::kUpper, int minDigits = 1) {
  using Char = typename String::value_type;
  int digits = 1;
  while (digits < 16 && (value >> (4 * digits)) != 0) ++digits;
  if (digits < minDigits) digits = minDigits > 16 ? 16 : minDigits;
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
    out.push_back(static_cast<Char>(Digit(static_cast<unsigned>(value >> shift), letters)));
  }
}

std::string EncodeBytes(std::span<const std::uint8_t> bytes, Letters letters = Letters::kUpper);

// Reads pairs of digits into bytes (replacing what it held). False, with
// bytes empty, when the text has an odd length or a character that is not a
// digit.
template <class Char>
bool DecodeBytes(std::basic_string_view<Char> text, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  if (text.size() % 2) return false;
  bytes.reserve(text.size() / 2);
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int hi = DigitValue(static_cast<char32_t>(text[i]));
    const int lo = DigitValue(static_cast<char32_t>(text[i + 1]));
    if (hi < 0 || lo < 0) {
      bytes.clear();
      return false;
    }
    bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  return true;
}

// Reads exactly out.size() bytes from twice as many digits; false when the
// length is not that or a character is not a digit (out is then unchanged
// only up to the fault).
template <class Char>
bool DecodeExactly(std::basic_string_view<Char> text, std::span<std::uint8_t> out) {
  if (text.size() != 2 * out.size()) return false;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const int hi = DigitValue(static_cast<char32_t>(text[2 * i]));
    const int lo = DigitValue(static_cast<char32_t>(text[2 * i + 1]));
    if (hi < 0 || lo < 0) return false;
    out[i] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  return true;
}
}  // namespace Hex
