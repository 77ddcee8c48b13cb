#include "framework/Utf.h"

#include <cstdint>

namespace lorent {

std::optional<std::u16string> Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    uint32_t cp = 0;
    size_t extra = 0;
    uint32_t min = 0;
    if (lead < 0x80) {
      cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      cp = lead & 0x1Fu;
      extra = 1;
      min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      cp = lead & 0x0Fu;
      extra = 2;
      min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      cp = lead & 0x07u;
      extra = 3;
      min = 0x10000;
    } else {
      return std::nullopt;
    }
    if (extra > text.size() - i - 1) return std::nullopt;
    for (size_t k = 1; k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(text[i + k]);
      if ((c & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (c & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += extra + 1;
  }
  return out;
}

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Walks UTF-16; returns false at the first unpaired surrogate unless lossy.
bool Convert16To8(std::u16string_view text, std::string& out, bool lossy) {
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      if (!lossy) return false;
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return true;
}

}  // namespace

std::optional<std::string> Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  if (!Convert16To8(text, out, false)) return std::nullopt;
  return out;
}

std::string Utf16ToUtf8Lossy(std::u16string_view text) {
  std::string out;
  Convert16To8(text, out, true);
  return out;
}

}  // namespace lorent
