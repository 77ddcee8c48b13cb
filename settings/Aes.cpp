#include "settings/Aes.h"

#include <cstring>

namespace lorent {

namespace {

inline uint8_t XTime(uint8_t x) { return static_cast<uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0)); }
inline uint8_t Rotl8(uint8_t x, int n) { return static_cast<uint8_t>((x << n) | (x >> (8 - n))); }

// Product in GF(2^8) modulo the AES polynomial.
uint8_t Mul(uint8_t a, uint8_t b) {
  uint8_t product = 0;
  while (b) {
    if (b & 1) product ^= a;
    a = XTime(a);
    b >>= 1;
  }
  return product;
}

// The state is kept as the 16 input bytes: byte r + 4c is row r, column c.
void AddRoundKey(uint8_t s[16], const uint8_t* key) {
  for (int i = 0; i < 16; ++i) s[i] ^= key[i];
}

void SubBytes(uint8_t s[16], const uint8_t box[256]) {
  for (int i = 0; i < 16; ++i) s[i] = box[s[i]];
}

// Row r moves r columns to the left (forward) or to the right (inverse).
void ShiftRows(uint8_t s[16], bool inverse) {
  uint8_t t[16];
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) t[r + 4 * c] = s[r + 4 * ((inverse ? c - r + 4 : c + r) % 4)];
  std::memcpy(s, t, 16);
}

void MixColumns(uint8_t s[16], bool inverse) {
  const uint8_t m0 = inverse ? 14 : 2, m1 = inverse ? 11 : 3, m2 = inverse ? 13 : 1, m3 = inverse ? 9 : 1;
  for (int c = 0; c < 4; ++c) {
    uint8_t* col = s + 4 * c;
    const uint8_t a0 = col[0], a1 = col[1], a2 = col[2], a3 = col[3];
    col[0] = static_cast<uint8_t>(Mul(a0, m0) ^ Mul(a1, m1) ^ Mul(a2, m2) ^ Mul(a3, m3));
    col[1] = static_cast<uint8_t>(Mul(a0, m3) ^ Mul(a1, m0) ^ Mul(a2, m1) ^ Mul(a3, m2));
    col[2] = static_cast<uint8_t>(Mul(a0, m2) ^ Mul(a1, m3) ^ Mul(a2, m0) ^ Mul(a3, m1));
    col[3] = static_cast<uint8_t>(Mul(a0, m1) ^ Mul(a1, m2) ^ Mul(a2, m3) ^ Mul(a3, m0));
  }
}

}  // namespace

AES::AES(const uint8_t key[16]) {
  // S-box: the multiplicative inverse in GF(2^8) followed by the affine map.
  // p walks the powers of the generator 3, q the matching powers of its inverse.
  uint8_t p = 1, q = 1;
  do {
    p = static_cast<uint8_t>(p ^ XTime(p));
    q = static_cast<uint8_t>(q ^ (q << 1));
    q = static_cast<uint8_t>(q ^ (q << 2));
    q = static_cast<uint8_t>(q ^ (q << 4));
    if (q & 0x80) q ^= 0x09;
    m_sbox[p] = static_cast<uint8_t>(q ^ Rotl8(q, 1) ^ Rotl8(q, 2) ^ Rotl8(q, 3) ^ Rotl8(q, 4) ^ 0x63);
  } while (p != 1);
  m_sbox[0] = 0x63;
  for (int i = 0; i < 256; ++i) m_invSbox[m_sbox[i]] = static_cast<uint8_t>(i);

  std::memcpy(m_roundKeys, key, 16);
  uint8_t rcon = 1;
  for (int i = 4; i < 44; ++i) {
    uint8_t word[4];
    std::memcpy(word, m_roundKeys + 4 * (i - 1), 4);
    if (i % 4 == 0) {
      const uint8_t first = word[0];
      word[0] = static_cast<uint8_t>(m_sbox[word[1]] ^ rcon);
      word[1] = m_sbox[word[2]];
      word[2] = m_sbox[word[3]];
      word[3] = m_sbox[first];
      rcon = XTime(rcon);
    }
    for (int j = 0; j < 4; ++j) m_roundKeys[4 * i + j] = static_cast<uint8_t>(m_roundKeys[4 * (i - 4) + j] ^ word[j]);
  }
}

AES::~AES() {
  // The key schedule is key material: leave none of it behind.
  volatile uint8_t* keys = m_roundKeys;
  for (size_t i = 0; i < sizeof m_roundKeys; ++i) keys[i] = 0;
}

void AES::DecryptBlock(uint8_t block[16]) const {
  AddRoundKey(block, m_roundKeys + 160);
  for (int round = 9; round >= 1; --round) {
    ShiftRows(block, true);
    SubBytes(block, m_invSbox);
    AddRoundKey(block, m_roundKeys + 16 * round);
    MixColumns(block, true);
  }
  ShiftRows(block, true);
  SubBytes(block, m_invSbox);
  AddRoundKey(block, m_roundKeys);
}

void AES::EncryptBlock(uint8_t block[16]) const {
  AddRoundKey(block, m_roundKeys);
  for (int round = 1; round <= 9; ++round) {
    SubBytes(block, m_sbox);
    ShiftRows(block, false);
    MixColumns(block, false);
    AddRoundKey(block, m_roundKeys + 16 * round);
  }
  SubBytes(block, m_sbox);
  ShiftRows(block, false);
  AddRoundKey(block, m_roundKeys + 160);
}

}  // namespace lorent
