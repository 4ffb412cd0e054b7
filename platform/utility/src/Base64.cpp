#include "Utility/Base64.h"

namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}
}  // namespace

namespace Base64 {
std::string Encode(const uint8* data, std::size_t size) {
  std::string out;
  out.reserve((size + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= size; i += 3) {
    const unsigned v = (unsigned(data[i]) << 16) | (unsigned(data[i + 1]) << 8) | data[i + 2];
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (size - i == 1) {
    const unsigned v = unsigned(data[i]) << 16;
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += "==";
  } else if (size - i == 2) {
    const unsigned v = (unsigned(data[i]) << 16) | (unsigned(data[i + 1]) << 8);
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += '=';
  }
  return out;
}

bool Decode(std::string_view text, ByteVector& out) {
  if (text.size() % 4 != 0) return false;
  ByteVector bytes;
  bytes.reserve(text.size() / 4 * 3);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    const int pad = last ? (text[i + 3] == '=') + (text[i + 2] == '=' && text[i + 3] == '=') : 0;
    int v[4];
    for (int k = 0; k < 4 - pad; ++k) {
      v[k] = Value(text[i + k]);
      if (v[k] < 0) return false;
    }
    if (pad == 2) {
      if (v[1] & 15) return false;  // unused bits must be zero
      bytes.push_back(static_cast<uint8>((v[0] << 2) | (v[1] >> 4)));
    } else if (pad == 1) {
      if (v[2] & 3) return false;
      bytes.push_back(static_cast<uint8>((v[0] << 2) | (v[1] >> 4)));
      bytes.push_back(static_cast<uint8>(((v[1] & 15) << 4) | (v[2] >> 2)));
    } else {
      bytes.push_back(static_cast<uint8>((v[0] << 2) | (v[1] >> 4)));
      bytes.push_back(static_cast<uint8>(((v[1] & 15) << 4) | (v[2] >> 2)));
      bytes.push_back(static_cast<uint8>(((v[2] & 3) << 6) | v[3]));
    }
  }
  out = std::move(bytes);
  return true;
}
}  // namespace Base64
