#include "Utility/Base64.h"

#include <openssl/evp.h>

#include <algorithm>

namespace {
// OpenSSL counts in int: longer inputs go through in pieces of whole groups.
constexpr std::size_t kEncodePiece = 3u << 20;  // bytes, 4 MiB of text
constexpr std::size_t kDecodePiece = 4u << 20;  // characters

bool IsAlphabet(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

// The value of an alphabet character (only called for those).
int Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  return c == '+' ? 62 : 63;
}

// The number of "=" at the end of text when the whole text is strict
// base64, else -1. OpenSSL's decoder is lenient (white space, padding
// anywhere in the last group, stray bits), so the form is checked here.
int StrictPadding(std::string_view text) {
  if (text.size() % 4 != 0) return -1;
  int pad = 0;
  if (!text.empty() && text.back() == '=') pad = text[text.size() - 2] == '=' ? 2 : 1;
  const std::size_t data = text.size() - static_cast<std::size_t>(pad);
  for (std::size_t i = 0; i < data; ++i) {
    if (!IsAlphabet(text[i])) return -1;
  }
  // The bits of the last character that fall beyond the last byte must be 0.
  if (pad == 2 && (Value(text[data - 1]) & 15) != 0) return -1;
  if (pad == 1 && (Value(text[data - 1]) & 3) != 0) return -1;
  return pad;
}
}  // namespace

namespace Base64 {
std::string Encode(const uint8* data, std::size_t size) {
  std::string out((size + 2) / 3 * 4, '\0');
  std::size_t written = 0;
  for (std::size_t at = 0; at < size; at += kEncodePiece) {
    const std::size_t n = std::min(kEncodePiece, size - at);
    written += static_cast<std::size_t>(
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data() + written), data + at, static_cast<int>(n)));
  }
  out.resize(written);
  return out;
}

bool Decode(std::string_view text, ByteVector& out) {
  const int pad = StrictPadding(text);
  if (pad < 0) return false;
  ByteVector bytes(text.size() / 4 * 3);
  std::size_t written = 0;
  for (std::size_t at = 0; at < text.size(); at += kDecodePiece) {
    const std::size_t n = std::min(kDecodePiece, text.size() - at);
    const int got = EVP_DecodeBlock(bytes.data() + written, reinterpret_cast<const unsigned char*>(text.data() + at),
                                    static_cast<int>(n));
    if (got < 0) return false;
    written += static_cast<std::size_t>(got);
  }
  // The decoder writes the padded group out in full.
  bytes.resize(written - static_cast<std::size_t>(pad));
  out = std::move(bytes);
  return true;
}
}  // namespace Base64
