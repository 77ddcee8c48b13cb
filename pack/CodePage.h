// The single-byte (ANSI) code page that setting values are written in.
//
// The stub reads a deciphered value as text in the ANSI code page of the
// machine it runs on, which the packer cannot know. The default, "ascii",
// admits only characters 1 to 127, which read the same under every ANSI code
// page. A code page number (932, 1252, ...) admits that code page's
// characters; such values read correctly only where it is the ANSI code page.
#pragma once

#include <cstdint>
#include <string>

namespace lorent::pack {

inline constexpr uint32_t kAsciiCodePage = 20127;

// "ascii" or a decimal code page number. False for anything else.
bool ParseCodePage(const std::string& text, uint32_t& codePage);
// "ascii" or the number, for messages.
std::string CodePageName(uint32_t codePage);

// UTF-8 text to bytes of the code page. False, with the reason in `problem`,
// when a character has no exact form there (best-fit replacements count as
// none) or the code page is unknown to this system.
bool ToCodePage(const std::string& utf8, uint32_t codePage, std::string& bytes, std::string& problem);
// Bytes of the code page to UTF-8. False when they are not valid text there.
bool FromCodePage(const std::string& bytes, uint32_t codePage, std::string& utf8);

}  // namespace lorent::pack
