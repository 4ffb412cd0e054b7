// HALOStrongEncryption: the passwords that repository scripts carry, sealed
// with a key derived from a pass phrase.
//
//   ByteVector key;
//   HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(U"pass phrase", key);         // 32 bytes
//   VXString sealed = HALOStrongEncryption::AESEncryptPasswordForScript(key, plain);
//   ByteVector back;
//   HALOStrongEncryption::DecryptAESPasswordForScript(sealed, key, back);      // true, back == plain
//
// Keys: PBKDF2 with HMAC-SHA1 over the UTF-8 pass phrase, a salt and an
// iteration count, 32 bytes long. Sealed text: base64 of a format byte (1), a
// random 12-byte nonce, the AES-256-GCM ciphertext and its 16-byte tag; the
// format byte is authenticated too. A wrong key or any changed character
// fails the tag check, so decryption answers false and never returns garbage.
// Plaintext temporaries are wiped (OPENSSL_cleanse) before they are freed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Utility/VXString.h"

namespace HALOStrongEncryption {
constexpr std::size_t kKeySize = 32;
constexpr int kDefaultIterations = 100000;

// The key of a pass phrase with the server's fixed salt and kDefaultIterations.
// The salt is fixed on purpose: a script is later opened with nothing but its
// pass phrase, so the same phrase must always give the same key; the random
// nonce of every sealed text keeps equal passwords from looking alike.
void GetPKCS5PBKDF2HMACSHA1(const VXString& passPhrase, ByteVector& key);
// The same with an explicit salt and iteration count (at least 1).
void GetPKCS5PBKDF2HMACSHA1(const VXString& passPhrase, const ByteVector& salt, int iterations, ByteVector& key);

// Seals plain under key (kKeySize bytes; another size throws
// std::invalid_argument). Each call uses a fresh nonce.
VXString AESEncryptPasswordForScript(const ByteVector& key, const ByteVector& plain);

// True and the plain bytes when aesString was sealed under key; false, with
// plain untouched, for a wrong key, a changed or truncated text, text that is
// not base64, or an unknown format.
bool DecryptAESPasswordForScript(const VXString& aesString, const ByteVector& key, ByteVector& plain);

// How often each operation has run in this process. Key derivation is the
// expensive step, so callers that re-key many strings are checked against
// these counts; they are also how a test sees that no encryption happened.
struct CallCounts {
  std::uint64_t m_derivations = 0;
  std::uint64_t m_encryptions = 0;
  std::uint64_t m_decryptions = 0;
};
CallCounts GetCallCounts();
}  // namespace HALOStrongEncryption
