// Views between the portable UTF-16 text (char16_t) and Windows wide text.
// On Windows both are 16-bit code units with the same values.
#pragma once

#include <string>
#include <string_view>

namespace lorent {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 code units");

inline std::wstring_view AsWide(std::u16string_view text) {
  return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}
inline std::u16string_view AsU16(std::wstring_view text) {
  return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

}  // namespace lorent
