// Text conversion between UTF-8 and UTF-16. Portable: no Windows API.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lorent {

// Strict UTF-8 to UTF-16: overlong forms, surrogates encoded in UTF-8, code
// points above U+10FFFF and truncated sequences give nullopt.
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

// UTF-16 to UTF-8. An unpaired surrogate gives nullopt.
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);

// For messages and listings: unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8Lossy(std::u16string_view text);

}  // namespace lorent
