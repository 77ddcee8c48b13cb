#include "ui/Texts.h"

namespace lorent {
namespace {

// Which preferred languages a list part is built from.
struct LanguageSource {
  const char* preferredFunction;  // kernel32 export, Vista and later
  LANGID(WINAPI* defaultLanguage)();
};

using PreferredLanguagesFn = BOOL(WINAPI*)(DWORD, PULONG, PZZWSTR, PULONG);

void AppendHex(std::wstring& text, unsigned value) {
  wchar_t digits[8];
  int count = 0;
  do {
    const unsigned digit = value & 0xF;
    digits[count++] = static_cast<wchar_t>(digit < 10 ? L'0' + digit : L'a' + digit - 10);
    value >>= 4;
  } while (value != 0);
  while (count > 0) text += digits[--count];
}

bool AppendLanguages(std::wstring& list, const LanguageSource& source) {
  wchar_t path[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  std::wstring module(path, length);
  module += L"\\Kernel32.dll";
  const HMODULE kernel = ::GetModuleHandleW(module.c_str());
  if (!kernel) return false;

  const auto preferred =
      reinterpret_cast<PreferredLanguagesFn>(reinterpret_cast<void*>(::GetProcAddress(kernel, source.preferredFunction)));
  if (!preferred) {
    // Before version 6.0 there is only the one default UI language.
    const LANGID language = source.defaultLanguage();
    if (language == 0) return false;
    list.clear();
    AppendHex(list, language);
    list += L',';
    return true;
  }

  ULONG count = 0;
  ULONG size = 0;
  if (!preferred(MUI_LANGUAGE_ID, &count, nullptr, &size)) return false;
  if (size == 0) return true;  // an empty list
  std::wstring buffer(size, L'\0');
  if (!preferred(MUI_LANGUAGE_ID, &count, buffer.data(), &size)) return false;
  // NUL-terminated items, ended by an empty one.
  size_t at = 0;
  const size_t end = size < buffer.size() ? size : buffer.size();
  while (at < end && buffer[at] != L'\0') {
    const size_t stop = buffer.find(L'\0', at);
    const size_t itemEnd = stop == std::wstring::npos || stop > end ? end : stop;
    list.append(buffer, at, itemEnd - at);
    list += L',';
    at = itemEnd + 1;
  }
  return true;
}

const LanguageSource kUserSource{"GetUserPreferredUILanguages", &::GetUserDefaultUILanguage};
const LanguageSource kSystemSource{"GetSystemPreferredUILanguages", &::GetSystemDefaultUILanguage};

}  // namespace

bool AppendUserLanguages(std::wstring& list) { return AppendLanguages(list, kUserSource); }
bool AppendSystemLanguages(std::wstring& list) { return AppendLanguages(list, kSystemSource); }

void BuildPreferredLanguageList(std::wstring& list) {
  std::wstring user;
  std::wstring system;
  AppendUserLanguages(user);
  AppendSystemLanguages(system);
  list = user + system;
}

bool GetLanguageListItem(const std::wstring& list, size_t index, std::wstring& item) {
  item.clear();
  size_t start = 0;
  for (size_t skipped = 0; skipped < index; ++skipped) {
    const size_t comma = list.find(L',', start);
    if (comma == std::wstring::npos) return false;
    start = comma + 1;
  }
  const size_t comma = list.find(L',', start);
  item.assign(list, start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
  return true;
}

LANGID ParseLanguageId(const std::wstring& item) {
  unsigned value = 0;
  for (wchar_t c : item) {
    unsigned digit;
    if (c >= L'0' && c <= L'9') digit = static_cast<unsigned>(c - L'0');
    else if (c >= L'a' && c <= L'f') digit = static_cast<unsigned>(c - L'a' + 10);
    else if (c >= L'A' && c <= L'F') digit = static_cast<unsigned>(c - L'A' + 10);
    else break;
    value = ((value << 4) | digit) & 0xFFFF;
  }
  return static_cast<LANGID>(value);
}

bool LoadStringInLanguage(std::wstring& text, UINT id, LANGID language) {
  const HMODULE self = ::GetModuleHandleW(nullptr);
  // Strings are stored in blocks of 16, block id / 16 + 1, once per language.
  const HRSRC found = ::FindResourceExW(self, MAKEINTRESOURCEW(6) /* RT_STRING */,
                                        MAKEINTRESOURCEW(id / 16 + 1), language);
  if (!found) return false;
  const HGLOBAL loaded = ::LoadResource(self, found);
  const auto* data = loaded ? static_cast<const WCHAR*>(::LockResource(loaded)) : nullptr;
  if (!data) return false;
  // Each entry: a length in characters, then that many characters.
  const size_t total = ::SizeofResource(self, found) / sizeof(WCHAR);
  size_t at = 0;
  for (UINT entry = 0; entry < id % 16; ++entry) {
    if (at >= total) return false;
    at += 1 + data[at];
  }
  if (at >= total) return false;
  const size_t length = data[at];
  if (length == 0 || length > total - at - 1) return false;
  text.assign(data + at + 1, length);
  return true;
}

void LoadStringOrEnglish(UINT id, std::wstring& text) {
  const WCHAR* resource = nullptr;
  // With a zero buffer size LoadStringW gives a pointer into the resource.
  const int length = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&resource), 0);
  if (length > 0 && resource) text.assign(resource, static_cast<size_t>(length));
  else text.clear();
  if (text.empty()) LoadStringInLanguage(text, id, kLangEnglishUS);
}

bool LoadStringFromLanguageList(UINT id, const std::wstring& list, bool haveList, std::wstring& text) {
  text.clear();
  if (haveList) {
    std::wstring item;
    for (size_t index = 0; GetLanguageListItem(list, index, item); ++index) {
      if (item.empty()) continue;
      if (LoadStringInLanguage(text, id, ParseLanguageId(item)) && !text.empty()) return true;
    }
  }
  return LoadStringInLanguage(text, id, kLangEnglishUS);
}

bool LoadUILanguageString(UINT id, std::wstring& text) {
  text.clear();
  std::wstring list;
  std::wstring system;
  const bool user = AppendUserLanguages(list);
  const bool haveSystem = AppendSystemLanguages(system);
  list += system;
  return LoadStringFromLanguageList(id, list, user || haveSystem, text);
}

bool LanguageTagFromId(LANGID language, std::wstring& tag) {
  static const struct {
    LANGID id;
    const wchar_t* tag;
  } kTags[] = {
      {0x0402, L"bg-bg"}, {0x0404, L"zh-tw"}, {0x0405, L"cs-cz"}, {0x0407, L"de-de"}, {0x0408, L"el-gr"},
      {0x0409, L"en-us"}, {0x040C, L"fr-fr"}, {0x040E, L"hu-hu"}, {0x0410, L"it-it"}, {0x0411, L"ja-jp"},
      {0x0412, L"ko-kr"}, {0x0413, L"nl-nl"}, {0x0415, L"pl-pl"}, {0x0416, L"pt-br"}, {0x0418, L"ro-ro"},
      {0x0419, L"ru-ru"}, {0x041B, L"sk-sk"}, {0x041E, L"th-th"}, {0x041F, L"tr-tr"}, {0x0422, L"uk-ua"},
      {0x0804, L"zh-cn"}, {0x0C0A, L"es-es"},
  };
  for (const auto& entry : kTags) {
    if (entry.id == language) {
      tag = entry.tag;
      return true;
    }
  }
  return false;
}

}  // namespace lorent
