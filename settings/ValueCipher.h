// The setting-value cipher on bytes. Portable: no Windows API; the stub adds
// the code page conversions and the key from the setup launcher's digest.
//
// A stored value is Base64 text of D cipher bytes. Only the first 16 bytes are
// enciphered, as one AES-128 block under the key; bytes 17 to D are carried as
// they stand. The plain text is the bytes up to the first zero byte (at the
// latest the zero after byte D). The key is the first 16 characters of the key
// text: the setup launcher's MD5 digest as 32 upper-case hexadecimal digits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lorent {

// The longest stored text the settings readers see: they read into 128
// UTF-16 units, one of which ends the text.
inline constexpr size_t kMaxStoredLength = 127;
// The longest plain value (in bytes) whose stored text fits: 93 bytes give
// 124 Base64 characters, 94 would give 128.
inline constexpr size_t kMaxPlainBytes = 93;

// The 16 key bytes from a key text; false when it has fewer than 16 characters.
bool KeyFromKeyText(std::string_view keyText, uint8_t key[16]);

// Deciphers cipher data as DecodeBase64 gives it (D + 1 bytes, the last one
// zero) in place and takes the plain bytes. False when D is below 16: such
// cipher data holds no whole block.
bool DecipherCipherData(const uint8_t key[16], std::vector<uint8_t>& data, std::string& plain);

// Deciphers a stored text (single-byte characters) into plain bytes. False
// when the text does not decode, or decodes to fewer than 16 bytes: such
// cipher data holds no whole block. `plain` is left unchanged on failure.
bool DecipherStoredText(const uint8_t key[16], std::string_view stored, std::string& plain);

// The stored text for plain bytes: empty for empty bytes; otherwise the bytes,
// zero-filled to 16 when shorter, with the first 16 enciphered, in Base64.
// The caller keeps zero bytes out of `plain` and its length within
// kMaxPlainBytes; this function does not check.
std::string EncipherPlainText(const uint8_t key[16], std::string_view plain);

}  // namespace lorent
