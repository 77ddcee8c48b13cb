#include "pack/CodePage.h"

#include <cerrno>

#include "framework/Utf.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace lorent::pack {

namespace {

bool IsAscii(const std::string& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

#ifdef _WIN32

bool Convert(const std::string& input, uint32_t codePage, bool toCodePage, std::string& output) {
  output.clear();
  if (input.empty()) return true;
  const UINT from = toCodePage ? CP_UTF8 : codePage;
  const UINT to = toCodePage ? codePage : CP_UTF8;
  const int units = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, input.data(), static_cast<int>(input.size()),
                                        nullptr, 0);
  if (units <= 0) return false;
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, input.data(), static_cast<int>(input.size()), wide.data(), units);
  // No best fit: a character without its own form must fail, not turn into a
  // look-alike. (UTF-8 takes neither the flag nor the default-character test.)
  const DWORD flags = to == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultOut = to == CP_UTF8 ? nullptr : &usedDefault;
  const int size =
      WideCharToMultiByte(to, flags, wide.data(), units, nullptr, 0, nullptr, usedDefaultOut);
  if (size <= 0 || usedDefault) return false;
  output.resize(static_cast<size_t>(size));
  WideCharToMultiByte(to, flags, wide.data(), units, output.data(), size, nullptr, usedDefaultOut);
  return !usedDefault;
}

bool Known(uint32_t codePage) { return IsValidCodePage(codePage) != 0; }

#else

std::string IconvName(uint32_t codePage) {
  if (codePage == 65001) return "UTF-8";
  return "CP" + std::to_string(codePage);
}

bool Convert(const std::string& input, uint32_t codePage, bool toCodePage, std::string& output) {
  output.clear();
  const std::string name = IconvName(codePage);
  iconv_t cd = toCodePage ? iconv_open(name.c_str(), "UTF-8") : iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string in = input;
  char* inPtr = in.data();
  size_t inLeft = in.size();
  std::string out(input.size() * 4 + 16, '\0');
  char* outPtr = out.data();
  size_t outLeft = out.size();
  const size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  const bool ok = done != static_cast<size_t>(-1) && inLeft == 0 &&
                  iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1);
  iconv_close(cd);
  if (!ok) return false;
  out.resize(out.size() - outLeft);
  output = out;
  return true;
}

bool Known(uint32_t codePage) {
  iconv_t cd = iconv_open(IconvName(codePage).c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(cd);
  return true;
}

#endif

}  // namespace

bool ParseCodePage(const std::string& text, uint32_t& codePage) {
  if (text == "ascii" || text == "ASCII") {
    codePage = kAsciiCodePage;
    return true;
  }
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const unsigned long value = std::stoul(text);
  if (value == 0) return false;
  codePage = static_cast<uint32_t>(value);
  return true;
}

std::string CodePageName(uint32_t codePage) {
  return codePage == kAsciiCodePage ? std::string("ascii") : std::to_string(codePage);
}

bool ToCodePage(const std::string& utf8, uint32_t codePage, std::string& bytes, std::string& problem) {
  bytes.clear();
  if (!Utf8ToUtf16(utf8)) {
    problem = "is not valid UTF-8";
    return false;
  }
  if (codePage == kAsciiCodePage) {
    if (!IsAscii(utf8)) {
      problem = "has characters beyond ASCII, which the default code page \"ascii\" does not admit "
                "(set codepage = NUMBER in the description, or --codepage, for the ANSI code page of the "
                "target machines)";
      return false;
    }
    bytes = utf8;
    return true;
  }
  if (!Known(codePage)) {
    problem = "cannot be written: code page " + CodePageName(codePage) + " is unknown to this system";
    return false;
  }
  std::string back;
  if (!Convert(utf8, codePage, true, bytes) || !Convert(bytes, codePage, false, back) || back != utf8) {
    bytes.clear();
    problem = "has characters that code page " + CodePageName(codePage) + " cannot represent exactly";
    return false;
  }
  return true;
}

bool FromCodePage(const std::string& bytes, uint32_t codePage, std::string& utf8) {
  if (codePage == kAsciiCodePage) {
    if (!IsAscii(bytes)) return false;
    utf8 = bytes;
    return true;
  }
  return Convert(bytes, codePage, false, utf8);
}

}  // namespace lorent::pack
