#include "settings/Md5.h"

#include <cstring>

namespace lorent {

namespace {

inline uint32_t Rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

inline uint32_t Load32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

// The four rounds. F and G in the forms that need one operation less than
// the textbook ones; the values are the same.
#define LORENT_MD5_STEP(f, a, b, c, d, x, t, s) \
  a += f(b, c, d) + (x) + (t);                  \
  a = Rotl(a, s) + (b)
#define LORENT_MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define LORENT_MD5_G(x, y, z) ((y) ^ ((z) & ((x) ^ (y))))
#define LORENT_MD5_H(x, y, z) ((x) ^ (y) ^ (z))
#define LORENT_MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))

}  // namespace

void CMD5Checksum::Reset() {
  m_state[0] = 0x67452301u;
  m_state[1] = 0xEFCDAB89u;
  m_state[2] = 0x98BADCFEu;
  m_state[3] = 0x10325476u;
  m_count[0] = m_count[1] = 0;
  std::memset(m_buffer, 0, sizeof m_buffer);
}

void CMD5Checksum::Transform(const uint8_t* blocks, size_t count) {
  uint32_t a0 = m_state[0], b0 = m_state[1], c0 = m_state[2], d0 = m_state[3];
  for (; count > 0; --count, blocks += 64) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = Load32(blocks + 4 * i);
    uint32_t a = a0, b = b0, c = c0, d = d0;

    LORENT_MD5_STEP(LORENT_MD5_F, a, b, c, d, x[0], 0xd76aa478u, 7);
    LORENT_MD5_STEP(LORENT_MD5_F, d, a, b, c, x[1], 0xe8c7b756u, 12);
    LORENT_MD5_STEP(LORENT_MD5_F, c, d, a, b, x[2], 0x242070dbu, 17);
    LORENT_MD5_STEP(LORENT_MD5_F, b, c, d, a, x[3], 0xc1bdceeeu, 22);
    LORENT_MD5_STEP(LORENT_MD5_F, a, b, c, d, x[4], 0xf57c0fafu, 7);
    LORENT_MD5_STEP(LORENT_MD5_F, d, a, b, c, x[5], 0x4787c62au, 12);
    LORENT_MD5_STEP(LORENT_MD5_F, c, d, a, b, x[6], 0xa8304613u, 17);
    LORENT_MD5_STEP(LORENT_MD5_F, b, c, d, a, x[7], 0xfd469501u, 22);
    LORENT_MD5_STEP(LORENT_MD5_F, a, b, c, d, x[8], 0x698098d8u, 7);
    LORENT_MD5_STEP(LORENT_MD5_F, d, a, b, c, x[9], 0x8b44f7afu, 12);
    LORENT_MD5_STEP(LORENT_MD5_F, c, d, a, b, x[10], 0xffff5bb1u, 17);
    LORENT_MD5_STEP(LORENT_MD5_F, b, c, d, a, x[11], 0x895cd7beu, 22);
    LORENT_MD5_STEP(LORENT_MD5_F, a, b, c, d, x[12], 0x6b901122u, 7);
    LORENT_MD5_STEP(LORENT_MD5_F, d, a, b, c, x[13], 0xfd987193u, 12);
    LORENT_MD5_STEP(LORENT_MD5_F, c, d, a, b, x[14], 0xa679438eu, 17);
    LORENT_MD5_STEP(LORENT_MD5_F, b, c, d, a, x[15], 0x49b40821u, 22);

    LORENT_MD5_STEP(LORENT_MD5_G, a, b, c, d, x[1], 0xf61e2562u, 5);
    LORENT_MD5_STEP(LORENT_MD5_G, d, a, b, c, x[6], 0xc040b340u, 9);
    LORENT_MD5_STEP(LORENT_MD5_G, c, d, a, b, x[11], 0x265e5a51u, 14);
    LORENT_MD5_STEP(LORENT_MD5_G, b, c, d, a, x[0], 0xe9b6c7aau, 20);
    LORENT_MD5_STEP(LORENT_MD5_G, a, b, c, d, x[5], 0xd62f105du, 5);
    LORENT_MD5_STEP(LORENT_MD5_G, d, a, b, c, x[10], 0x02441453u, 9);
    LORENT_MD5_STEP(LORENT_MD5_G, c, d, a, b, x[15], 0xd8a1e681u, 14);
    LORENT_MD5_STEP(LORENT_MD5_G, b, c, d, a, x[4], 0xe7d3fbc8u, 20);
    LORENT_MD5_STEP(LORENT_MD5_G, a, b, c, d, x[9], 0x21e1cde6u, 5);
    LORENT_MD5_STEP(LORENT_MD5_G, d, a, b, c, x[14], 0xc33707d6u, 9);
    LORENT_MD5_STEP(LORENT_MD5_G, c, d, a, b, x[3], 0xf4d50d87u, 14);
    LORENT_MD5_STEP(LORENT_MD5_G, b, c, d, a, x[8], 0x455a14edu, 20);
    LORENT_MD5_STEP(LORENT_MD5_G, a, b, c, d, x[13], 0xa9e3e905u, 5);
    LORENT_MD5_STEP(LORENT_MD5_G, d, a, b, c, x[2], 0xfcefa3f8u, 9);
    LORENT_MD5_STEP(LORENT_MD5_G, c, d, a, b, x[7], 0x676f02d9u, 14);
    LORENT_MD5_STEP(LORENT_MD5_G, b, c, d, a, x[12], 0x8d2a4c8au, 20);

    LORENT_MD5_STEP(LORENT_MD5_H, a, b, c, d, x[5], 0xfffa3942u, 4);
    LORENT_MD5_STEP(LORENT_MD5_H, d, a, b, c, x[8], 0x8771f681u, 11);
    LORENT_MD5_STEP(LORENT_MD5_H, c, d, a, b, x[11], 0x6d9d6122u, 16);
    LORENT_MD5_STEP(LORENT_MD5_H, b, c, d, a, x[14], 0xfde5380cu, 23);
    LORENT_MD5_STEP(LORENT_MD5_H, a, b, c, d, x[1], 0xa4beea44u, 4);
    LORENT_MD5_STEP(LORENT_MD5_H, d, a, b, c, x[4], 0x4bdecfa9u, 11);
    LORENT_MD5_STEP(LORENT_MD5_H, c, d, a, b, x[7], 0xf6bb4b60u, 16);
    LORENT_MD5_STEP(LORENT_MD5_H, b, c, d, a, x[10], 0xbebfbc70u, 23);
    LORENT_MD5_STEP(LORENT_MD5_H, a, b, c, d, x[13], 0x289b7ec6u, 4);
    LORENT_MD5_STEP(LORENT_MD5_H, d, a, b, c, x[0], 0xeaa127fau, 11);
    LORENT_MD5_STEP(LORENT_MD5_H, c, d, a, b, x[3], 0xd4ef3085u, 16);
    LORENT_MD5_STEP(LORENT_MD5_H, b, c, d, a, x[6], 0x04881d05u, 23);
    LORENT_MD5_STEP(LORENT_MD5_H, a, b, c, d, x[9], 0xd9d4d039u, 4);
    LORENT_MD5_STEP(LORENT_MD5_H, d, a, b, c, x[12], 0xe6db99e5u, 11);
    LORENT_MD5_STEP(LORENT_MD5_H, c, d, a, b, x[15], 0x1fa27cf8u, 16);
    LORENT_MD5_STEP(LORENT_MD5_H, b, c, d, a, x[2], 0xc4ac5665u, 23);

    LORENT_MD5_STEP(LORENT_MD5_I, a, b, c, d, x[0], 0xf4292244u, 6);
    LORENT_MD5_STEP(LORENT_MD5_I, d, a, b, c, x[7], 0x432aff97u, 10);
    LORENT_MD5_STEP(LORENT_MD5_I, c, d, a, b, x[14], 0xab9423a7u, 15);
    LORENT_MD5_STEP(LORENT_MD5_I, b, c, d, a, x[5], 0xfc93a039u, 21);
    LORENT_MD5_STEP(LORENT_MD5_I, a, b, c, d, x[12], 0x655b59c3u, 6);
    LORENT_MD5_STEP(LORENT_MD5_I, d, a, b, c, x[3], 0x8f0ccc92u, 10);
    LORENT_MD5_STEP(LORENT_MD5_I, c, d, a, b, x[10], 0xffeff47du, 15);
    LORENT_MD5_STEP(LORENT_MD5_I, b, c, d, a, x[1], 0x85845dd1u, 21);
    LORENT_MD5_STEP(LORENT_MD5_I, a, b, c, d, x[8], 0x6fa87e4fu, 6);
    LORENT_MD5_STEP(LORENT_MD5_I, d, a, b, c, x[15], 0xfe2ce6e0u, 10);
    LORENT_MD5_STEP(LORENT_MD5_I, c, d, a, b, x[6], 0xa3014314u, 15);
    LORENT_MD5_STEP(LORENT_MD5_I, b, c, d, a, x[13], 0x4e0811a1u, 21);
    LORENT_MD5_STEP(LORENT_MD5_I, a, b, c, d, x[4], 0xf7537e82u, 6);
    LORENT_MD5_STEP(LORENT_MD5_I, d, a, b, c, x[11], 0xbd3af235u, 10);
    LORENT_MD5_STEP(LORENT_MD5_I, c, d, a, b, x[2], 0x2ad7d2bbu, 15);
    LORENT_MD5_STEP(LORENT_MD5_I, b, c, d, a, x[9], 0xeb86d391u, 21);

    a0 += a;
    b0 += b;
    c0 += c;
    d0 += d;
  }
  m_state[0] = a0;
  m_state[1] = b0;
  m_state[2] = c0;
  m_state[3] = d0;
}

void CMD5Checksum::Update(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  const size_t used = (m_count[0] >> 3) & 63;
  const uint64_t bits = (static_cast<uint64_t>(m_count[1]) << 32 | m_count[0]) + (static_cast<uint64_t>(size) << 3);
  m_count[0] = static_cast<uint32_t>(bits);
  m_count[1] = static_cast<uint32_t>(bits >> 32);

  if (used > 0) {
    const size_t take = size < 64 - used ? size : 64 - used;
    std::memcpy(m_buffer + used, bytes, take);
    bytes += take;
    size -= take;
    if (used + take < 64) return;
    Transform(m_buffer, 1);
  }
  if (size >= 64) {
    Transform(bytes, size / 64);
    bytes += size / 64 * 64;
    size %= 64;
  }
  if (size > 0) std::memcpy(m_buffer, bytes, size);
}

void CMD5Checksum::Final(uint8_t digest[16]) {
  uint8_t length[8];
  for (int i = 0; i < 4; ++i) {
    length[i] = static_cast<uint8_t>(m_count[0] >> (8 * i));
    length[4 + i] = static_cast<uint8_t>(m_count[1] >> (8 * i));
  }
  const size_t used = (m_count[0] >> 3) & 63;
  static const uint8_t kPadding[64] = {0x80};
  Update(kPadding, used < 56 ? 56 - used : 120 - used);
  Update(length, 8);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<uint8_t>(m_state[i] >> (8 * j));
  Reset();
}

std::string CMD5Checksum::DigestText(const uint8_t digest[16]) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string text(32, '0');
  for (int i = 0; i < 16; ++i) {
    text[2 * i] = kHex[digest[i] >> 4];
    text[2 * i + 1] = kHex[digest[i] & 15];
  }
  return text;
}

}  // namespace lorent
