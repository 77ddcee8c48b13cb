#include "settings/ValueCipher.h"

#include <cstring>
#include <vector>

#include "settings/Aes.h"
#include "settings/Base64.h"

namespace lorent {

bool KeyFromKeyText(std::string_view keyText, uint8_t key[16]) {
  if (keyText.size() < 16) return false;
  std::memcpy(key, keyText.data(), 16);
  return true;
}

bool DecipherCipherData(const uint8_t key[16], std::vector<uint8_t>& data, std::string& plain) {
  if (data.size() < 17 || data.back() != 0) return false;
  const AES aes(key);
  aes.DecryptBlock(data.data());
  // data ends with a zero byte, so strlen stays inside it.
  plain.assign(reinterpret_cast<const char*>(data.data()));
  return true;
}

bool DecipherStoredText(const uint8_t key[16], std::string_view stored, std::string& plain) {
  std::vector<uint8_t> data;
  return DecodeBase64(stored, data) && DecipherCipherData(key, data, plain);
}

std::string EncipherPlainText(const uint8_t key[16], std::string_view plain) {
  if (plain.empty()) return {};
  std::vector<uint8_t> data(plain.begin(), plain.end());
  if (data.size() < 16) data.resize(16, 0);
  const AES aes(key);
  aes.EncryptBlock(data.data());
  return EncodeBase64(data.data(), data.size());
}

}  // namespace lorent
