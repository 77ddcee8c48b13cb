// MD5 (RFC 1321) over bytes given in pieces. Portable: no Windows API.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lorent {

class CMD5Checksum {
 public:
  CMD5Checksum() { Reset(); }
  virtual ~CMD5Checksum() = default;

  void Reset();
  void Update(const void* data, size_t size);
  // Finishes the digest into `digest` (16 bytes, in digest order); the object
  // is then reset for a new message.
  void Final(uint8_t digest[16]);

  // The 32-character text of a digest: each byte as two upper-case
  // hexadecimal digits, in digest order.
  static std::string DigestText(const uint8_t digest[16]);

#ifdef _WIN32
  // The digest text of a whole file, opened for reading with no sharing (an
  // open handle elsewhere makes the open fail). Empty when the file cannot be
  // opened or a read fails. Defined in FileDigest.cpp.
  static std::wstring FileDigestText(const std::wstring& path);
#endif

 private:
  void Transform(const uint8_t* blocks, size_t count);

  uint32_t m_state[4];
  uint32_t m_count[2];  // bits processed: low half, high half
  uint8_t m_buffer[64];
};

}  // namespace lorent
