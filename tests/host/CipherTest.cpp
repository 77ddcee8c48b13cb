// The setting-value cipher's pieces: published vectors and the stored-value rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/Aes.h"
#include "settings/Base64.h"
#include "settings/Md5.h"
#include "settings/SuccessCode.h"
#include "settings/ValueCipher.h"

using namespace lorent;

namespace {

std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2) bytes.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
  return bytes;
}

std::string Md5Text(const std::string& message, size_t piece = 0) {
  CMD5Checksum md5;
  if (piece == 0) {
    md5.Update(message.data(), message.size());
  } else {
    for (size_t i = 0; i < message.size(); i += piece) md5.Update(message.data() + i, std::min(piece, message.size() - i));
  }
  uint8_t digest[16];
  md5.Final(digest);
  return CMD5Checksum::DigestText(digest);
}

// RFC 1321, appendix A.5, in the upper-case form of the key text.
TEST(Md5, Rfc1321TestSuite) {
  const struct {
    const char* message;
    const char* digest;
  } cases[] = {
      {"", "D41D8CD98F00B204E9800998ECF8427E"},
      {"a", "0CC175B9C0F1B6A831C399E269772661"},
      {"abc", "900150983CD24FB0D6963F7D28E17F72"},
      {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
      {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "D174AB98D277D9F5A5611C2C9F419D9F"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57EDF4A22BE3C955AC49DA2E2107B67A"},
  };
  for (const auto& c : cases) EXPECT_EQ(Md5Text(c.message), c.digest) << '"' << c.message << '"';
}

// The same digest whatever the pieces: block buffering across Update calls,
// and padding at the 55/56/64-byte edges.
TEST(Md5, PiecesDoNotChangeTheDigest) {
  const std::string million(1000000, 'a');
  for (size_t piece : {0, 1, 63, 64, 65, 1024, 4099})
    EXPECT_EQ(Md5Text(million, piece), "7707D6AE4E027C70EEA2A935C2296F21") << "piece " << piece;
  for (size_t n : {55, 56, 57, 63, 64, 65, 119, 120}) {
    const std::string message(n, 'x');
    EXPECT_EQ(Md5Text(message, 7), Md5Text(message)) << n;
  }
  // The object is reset by Final: the next message starts afresh.
  CMD5Checksum md5;
  uint8_t digest[16];
  md5.Update("abc", 3);
  md5.Final(digest);
  md5.Final(digest);
  EXPECT_EQ(CMD5Checksum::DigestText(digest), "D41D8CD98F00B204E9800998ECF8427E");
}

TEST(Md5, DigestTextWritesEveryByteAsTwoUpperCaseDigits) {
  uint8_t digest[16] = {0, 10, 171, 15, 16, 255};
  EXPECT_EQ(CMD5Checksum::DigestText(digest), "000AAB0F10FF00000000000000000000");
}

// FIPS-197 appendix C.1 (AES-128) and the worked example of appendix B.
TEST(Aes, Fips197KnownAnswers) {
  const struct {
    const char* key;
    const char* plain;
    const char* cipher;
  } cases[] = {
      {"000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff", "69c4e0d86a7b0430d8cdb78070b4c55a"},
      {"2b7e151628aed2a6abf7158809cf4f3c", "3243f6a8885a308d313198a2e0370734", "3925841d02dc09fbdc118597196a0b32"},
  };
  for (const auto& c : cases) {
    const AES aes(Hex(c.key).data());
    std::vector<uint8_t> block = Hex(c.cipher);
    aes.DecryptBlock(block.data());
    EXPECT_EQ(block, Hex(c.plain)) << c.key;
    aes.EncryptBlock(block.data());
    EXPECT_EQ(block, Hex(c.cipher)) << c.key;
  }
}

std::vector<uint8_t> Bytes(const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

// The data length comes from the text length and the presence of "=" / "==";
// the position of the "=" plays no part, and decoding stops when the data is
// complete.
TEST(Base64, LengthAndCharacterRules) {
  const std::string sixteen = "0123456789abcdef";
  const std::string block = EncodeBase64(reinterpret_cast<const uint8_t*>(sixteen.data()), 16);
  ASSERT_EQ(block.size(), 24u);
  ASSERT_EQ(block.substr(22), "==");
  std::vector<uint8_t> data;
  ASSERT_TRUE(DecodeBase64(block, data));
  EXPECT_EQ(data, Bytes(sixteen));  // D = 16, then the zero byte

  std::string thirtyTwo(32, '\0');
  for (int i = 0; i < 32; ++i) thirtyTwo[i] = static_cast<char>('A' + i);
  const std::string longer = EncodeBase64(reinterpret_cast<const uint8_t*>(thirtyTwo.data()), 32);
  ASSERT_EQ(longer.size(), 44u);
  ASSERT_EQ(longer.back(), '=');
  ASSERT_NE(longer[42], '=');
  ASSERT_TRUE(DecodeBase64(longer, data));
  EXPECT_EQ(data, Bytes(thirtyTwo));

  const struct {
    std::string text;
    bool ok;
    size_t size;  // D when ok
    const char* why;
  } cases[] = {
      {"", true, 0, "empty text: D = 0"},
      {"QUJD", true, 3, "no padding"},
      {"QUI=", true, 2, "one \"=\""},
      {"QQ==", true, 1, "two \"=\""},
      {block.substr(0, 23), false, 0, "23 characters"},
      {"QUJ", false, 0, "3 characters"},
      {"QQ=", false, 0, "padding: length - 4 is negative"},
      {"QU=DQUJD" "QUJDQUJD" "QUJDQUJD", false, 0, "24 characters, \"=\" third: D = 17, fails at the \"=\""},
      {"QU=D" "QUJD", false, 0, "an \"=\" inside fails when it is reached"},
      {"QUJDQUJ=", true, 5, "\"=\" only at the end"},
      {"QUJDQUJDQUJDQU==", true, 10, "D = 12 / 4 * 3 + 1"},
      {"QUJDQUJDQQ==AAAA", false, 0, "\"==\" counts wherever it is: D = 10 needs 14 characters and meets it"},
      {"Q=Q=", false, 0, "no \"==\": one padding, D = 2, fails at the first \"=\""},
      {"QUJD QUJ", false, 0, "a space"},
      {"QUJD\nQUJ", false, 0, "a line break"},
      {"QUJD\r\nQUJDQU", false, 0, "CR LF"},
      {"QUJ\xC3\xA9QUJ", false, 0, "a byte of 128 or more"},
      {"QU-_", false, 0, "the URL-safe alphabet is not this one"},
  };
  for (const auto& c : cases) {
    data.assign(3, 7);
    EXPECT_EQ(DecodeBase64(c.text, data), c.ok) << c.why;
    if (c.ok) {
      EXPECT_EQ(data.size(), c.size + 1) << c.why;
      EXPECT_EQ(data.back(), 0) << c.why;
    } else {
      EXPECT_TRUE(data.empty()) << c.why;
    }
  }
  // Bits of the last character that fill no whole byte are dropped.
  ASSERT_TRUE(DecodeBase64("QR==", data));
  EXPECT_EQ(data, Bytes("A"));
}

const char kKeyText[] = "0123456789ABCDEF0123456789ABCDEF";

TEST(ValueCipher, RoundTripsEveryAllowedLength) {
  uint8_t key[16];
  ASSERT_TRUE(KeyFromKeyText(kKeyText, key));
  for (size_t n : {size_t{0}, size_t{1}, size_t{15}, size_t{16}, size_t{17}, size_t{32}, kMaxPlainBytes}) {
    std::string plain;
    for (size_t i = 0; i < n; ++i) plain += static_cast<char>('a' + i % 26);
    const std::string stored = EncipherPlainText(key, plain);
    EXPECT_LE(stored.size(), kMaxStoredLength) << n;
    EXPECT_EQ(stored.size(), n == 0 ? 0u : (std::max<size_t>(n, 16) + 2) / 3 * 4) << n;
    if (n == 0) continue;
    std::string back = "unchanged";
    ASSERT_TRUE(DecipherStoredText(key, stored, back)) << n;
    EXPECT_EQ(back, plain) << n;
  }
  // One byte more does not fit the readers' 127 characters.
  EXPECT_GT(EncipherPlainText(key, std::string(kMaxPlainBytes + 1, 'x')).size(), kMaxStoredLength);
}

TEST(ValueCipher, OnlyTheFirstBlockIsEnciphered) {
  uint8_t key[16];
  KeyFromKeyText(kKeyText, key);
  const std::string plain = "first sixteen...and the rest as stored";
  std::vector<uint8_t> data;
  ASSERT_TRUE(DecodeBase64(EncipherPlainText(key, plain), data));
  EXPECT_EQ(std::string(data.begin() + 16, data.end() - 1), plain.substr(16));
  EXPECT_NE(std::string(data.begin(), data.begin() + 16), plain.substr(0, 16));
}

TEST(ValueCipher, KeyAndFailures) {
  uint8_t key[16];
  EXPECT_FALSE(KeyFromKeyText("0123456789ABCDE", key));
  ASSERT_TRUE(KeyFromKeyText(kKeyText, key));
  const std::string stored = EncipherPlainText(key, "1");

  // Only the first 16 characters of the key text make the key.
  uint8_t sameKey[16];
  KeyFromKeyText("0123456789ABCDEFFFFFFFFFFFFFFFFF", sameKey);
  std::string plain;
  ASSERT_TRUE(DecipherStoredText(sameKey, stored, plain));
  EXPECT_EQ(plain, "1");

  // Another launcher's key gives other text, undetected.
  uint8_t otherKey[16];
  KeyFromKeyText("1123456789ABCDEF0123456789ABCDEF", otherKey);
  ASSERT_TRUE(DecipherStoredText(otherKey, stored, plain));
  EXPECT_NE(plain, "1");

  // Cipher data under 16 bytes holds no block; the output stays as it was.
  plain = "kept";
  EXPECT_FALSE(DecipherStoredText(key, "QUJD", plain));
  EXPECT_FALSE(DecipherStoredText(key, EncodeBase64(reinterpret_cast<const uint8_t*>("0123456789abcde"), 15), plain));
  EXPECT_FALSE(DecipherStoredText(key, stored.substr(0, 23), plain));
  EXPECT_EQ(plain, "kept");
}

TEST(SuccessCode, ListsAndItems) {
  const struct {
    const char16_t* text;
    std::vector<int32_t> codes;
  } cases[] = {
      {u"0;3010", {0, 3010}},
      {u"0;", {0}},
      {u";", {}},
      {u"", {}},
      {u";;7;;", {7}},
      {u"abc", {0}},
      {u" \t12", {12}},
      {u"+5;-1", {5, -1}},
      {u"12abc;3 4", {12, 3}},
      {u"- 1", {0}},
      {u"2147483647;2147483648;99999999999", {INT32_MAX, INT32_MAX, INT32_MAX}},
      {u"-2147483648;-2147483649;-99999999999999999999", {INT32_MIN, INT32_MIN, INT32_MIN}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseSuccessCodes(c.text), c.codes);

  EXPECT_TRUE(IsSuccessExitCode(u"0;3010", 3010));
  EXPECT_TRUE(IsSuccessExitCode(u"0;3010", 0));
  EXPECT_FALSE(IsSuccessExitCode(u"0;3010", 1));
  EXPECT_FALSE(IsSuccessExitCode(u";", 0));
  EXPECT_FALSE(IsSuccessExitCode(u"", 0));
  EXPECT_TRUE(IsSuccessExitCode(u"abc", 0));
  EXPECT_TRUE(IsSuccessExitCode(u"-1", 0xFFFFFFFFu));  // exit codes compare as signed 32-bit
  EXPECT_TRUE(IsSuccessExitCode(u"-2147483648", 0x80000000u));
}

}  // namespace
