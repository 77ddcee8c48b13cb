// AES-128 (FIPS-197) on single 16-byte blocks: no initialisation vector, no
// chaining. Portable: no Windows API.
#pragma once

#include <cstdint>

namespace lorent {

class AES {
 public:
  // Builds this instance's S-box, inverse S-box and key schedule from a
  // 16-byte key. Nothing is shared between instances.
  explicit AES(const uint8_t key[16]);
  virtual ~AES();

  // The inverse cipher, in place.
  void DecryptBlock(uint8_t block[16]) const;
  // The forward cipher, in place (used by the packer).
  void EncryptBlock(uint8_t block[16]) const;

 private:
  uint8_t m_sbox[256];
  uint8_t m_invSbox[256];
  uint8_t m_roundKeys[176];  // 11 round keys of 16 bytes
};

}  // namespace lorent
