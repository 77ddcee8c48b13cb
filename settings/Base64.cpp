#include "settings/Base64.h"

namespace lorent {

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SixBits(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

bool DecodeBase64(std::string_view text, std::vector<uint8_t>& data) {
  data.clear();
  const size_t length = text.size();
  const bool padded = text.find('=') != std::string_view::npos;
  const bool doublePadded = text.find("==") != std::string_view::npos;
  size_t size = 0;
  if (padded) {
    if (length < 4 || (length - 4) % 4 != 0) return false;
    size = (length - 4) / 4 * 3 + (doublePadded ? 1 : 2);
  } else {
    if (length % 4 != 0) return false;
    size = length / 4 * 3;
  }

  data.assign(size + 1, 0);
  size_t done = 0;
  uint32_t bits = 0;
  int held = 0;  // bits in `bits` not yet written out
  for (size_t i = 0; i < length && done < size; ++i) {
    const int value = SixBits(text[i]);
    if (value < 0) {
      data.clear();
      return false;
    }
    bits = (bits << 6) | static_cast<uint32_t>(value);
    held += 6;
    if (held >= 8) {
      held -= 8;
      data[done++] = static_cast<uint8_t>(bits >> held);
    }
  }
  if (done < size) {  // cannot happen for the lengths above; kept as a guard
    data.clear();
    return false;
  }
  return true;
}

std::string EncodeBase64(const uint8_t* data, size_t size) {
  std::string text;
  text.reserve((size + 2) / 3 * 4);
  for (size_t i = 0; i < size; i += 3) {
    const size_t n = size - i < 3 ? size - i : 3;
    uint32_t group = static_cast<uint32_t>(data[i]) << 16;
    if (n > 1) group |= static_cast<uint32_t>(data[i + 1]) << 8;
    if (n > 2) group |= data[i + 2];
    text += kAlphabet[(group >> 18) & 63];
    text += kAlphabet[(group >> 12) & 63];
    text += n > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    text += n > 2 ? kAlphabet[group & 63] : '=';
  }
  return text;
}

}  // namespace lorent
