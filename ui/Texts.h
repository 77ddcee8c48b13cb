// Every text that the program shows is a string resource in English (1033)
// and Japanese (1041). Three lookups:
//   LoadUILanguageString  by the user's, then the system's preferred UI languages;
//   LoadStringOrEnglish   by the platform's own choice, English when that is empty;
//   LoadStringInLanguage  in exactly one language.
// None keeps state; each may run on any thread.
#pragma once

#include <windows.h>

#include <string>

namespace lorent {

constexpr LANGID kLangEnglishUS = 0x0409;
constexpr LANGID kLangJapanese = 0x0411;

// The UI-language lookup. Leaves the text of the first preferred language that
// holds a non-empty entry, else the English one (empty for an unknown id).
// True when a non-empty text was found.
bool LoadUILanguageString(UINT id, std::wstring& text);

// The first non-empty text of `id` in the languages of `list` (a preferred
// language list; empty items are skipped), else the English one. True when a
// non-empty text was found.
bool LoadStringFromLanguageList(UINT id, const std::wstring& list, bool haveList, std::wstring& text);

// The default lookup: the platform's LoadStringW, then English.
void LoadStringOrEnglish(UINT id, std::wstring& text);

// The entry `id` in exactly `language`; false, with `text` left as it was, when
// that language has no such entry or the entry is empty.
bool LoadStringInLanguage(std::wstring& text, UINT id, LANGID language);

// The preferred language list: the user's preferred UI languages, then the
// system's, each as hexadecimal digits followed by a comma ("0411,0409,0409,").
// Duplicates stay; the list may be empty.
void BuildPreferredLanguageList(std::wstring& list);
bool AppendUserLanguages(std::wstring& list);
bool AppendSystemLanguages(std::wstring& list);

// Item `index` (from 0) of a comma-separated list. False, with `item` emptied,
// when the list has fewer than `index` commas. The text after the last comma
// is an item too, and may be empty.
bool GetLanguageListItem(const std::wstring& list, size_t index, std::wstring& item);

// A list item read as a hexadecimal 16-bit language identifier: the leading
// hexadecimal digits, 0 when there are none.
LANGID ParseLanguageId(const std::wstring& item);

// The language tag ("ja-jp") of the 22 languages that the package messages
// know; false, with `tag` untouched, for any other identifier.
bool LanguageTagFromId(LANGID language, std::wstring& tag);

}  // namespace lorent
