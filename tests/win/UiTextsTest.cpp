// The string table and the lookups that do not depend on the user's languages.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "ui/Texts.h"

using namespace lorent;

namespace {

struct TableRow {
  UINT id;
  const wchar_t* english;
  const wchar_t* japanese;
};

// Every text exactly as the user must see it.
const TableRow kTable[] = {
    {101, L"&About Lorent...", L"&About Lorent..."},
    {102, L"Segoe UI", L"Meiryo"},
    {103, L"Davivido Zazur", L"Davivido Zazur"},
    {104, L"OK", L"OK"},
    {105, L"Cancel", L"キャンセル"},
    {106, L"Extracting...", L"展開中…"},
    {107, L"Can't Extract files!", L"ファイルを展開できません。"},
    {108, L"This program runs on ZEKA computers only. \nThis computer is not recognized as a ZEKA computer.",
     L"このプログラムはZEKA以外のコンピューターでは動作しません。\nお使いのコンピューターはZEKAとして認識されませんでした。"},
    {109, L"There is not enough space on Local Disk (%s:). Increase the amount of free space and try again.",
     L"ローカルディスク(%s:)上に十分な空き容量がありません。空き容量を増やし、再度実行してください。"},
    {110,
     L"This program cannot run on the current operating system.\nA standard installation of Windows XP, Windows "
     L"Vista, Windows 7 or Windows 8 is required.",
     L"このプログラムは現在の OS では実行できません。\nWindows XP、Windows Vista、Windows 7 または Windows 8 "
     L"が標準搭載されている必要があります。"},
    {111,
     L"Cannot install because you are logged on as a user without administrator privileges. Log on as a user with "
     L"administrator privileges, and then try again.",
     L"管理者権限がないユーザーでログオンしているため、インストールできません。管理者権限を持つユーザーでログオンし、もう一"
     L"度実行してください。"},
    {112, L"Segoe UI", L"MS UI Gothic"},
    {130, L"Setup completed successfully.", L"セットアップが正常終了しました。"},
    {131, L"Setup failed.", L"セットアップに失敗しました。"},
    {1008, L"(Error Code: 1001)", L"(エラーコード：1001)"},
    {1009, L"(Error Code: 1002)", L"(エラーコード：1002)"},
    {1010, L"(Error Code: 1003)", L"(エラーコード：1003)"},
};

TEST(StringTable, HoldsEveryTextInBothLanguages) {
  for (const TableRow& row : kTable) {
    SCOPED_TRACE(row.id);
    std::wstring text;
    ASSERT_TRUE(LoadStringInLanguage(text, row.id, kLangEnglishUS));
    EXPECT_EQ(text, row.english);
    ASSERT_TRUE(LoadStringInLanguage(text, row.id, kLangJapanese));
    EXPECT_EQ(text, row.japanese);
  }
}

TEST(StringTable, HasNoOtherEntries) {
  // Every other id of the blocks in use is absent, in both languages.
  for (UINT id = 96; id < 1024; ++id) {
    bool known = false;
    for (const TableRow& row : kTable) known = known || row.id == id;
    if (known) continue;
    std::wstring text = L"untouched";
    EXPECT_FALSE(LoadStringInLanguage(text, id, kLangEnglishUS)) << id;
    EXPECT_FALSE(LoadStringInLanguage(text, id, kLangJapanese)) << id;
    EXPECT_EQ(text, L"untouched");
  }
}

TEST(MessageBoxTemplate, IsAModalFrameWithFourControls) {
  const HMODULE self = ::GetModuleHandleW(nullptr);
  const HRSRC found = ::FindResourceExW(self, RT_DIALOG, MAKEINTRESOURCEW(IDD_MESSAGE_BOX), kLangEnglishUS);
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const BYTE*>(::LockResource(::LoadResource(self, found)));
  ASSERT_NE(bytes, nullptr);
  ASSERT_GE(::SizeofResource(self, found), 26u);
  const auto word = [&](size_t at) { return static_cast<unsigned>(bytes[at] | bytes[at + 1] << 8); };
  const auto dword = [&](size_t at) { return word(at) | word(at + 2) << 16; };
  EXPECT_EQ(word(0), 1u);        // extended template
  EXPECT_EQ(word(2), 0xFFFFu);
  EXPECT_EQ(dword(8), 0u);       // no extended style
  EXPECT_EQ(dword(12), 0x80C800C8u);
  EXPECT_EQ(word(16), 4u);       // controls
  EXPECT_EQ(word(18), 0u);       // x, y, cx, cy
  EXPECT_EQ(word(20), 0u);
  EXPECT_EQ(word(22), 186u);
  EXPECT_EQ(word(24), 94u);
  // English only.
  EXPECT_EQ(::FindResourceExW(self, RT_DIALOG, MAKEINTRESOURCEW(IDD_MESSAGE_BOX), kLangJapanese), nullptr);
}

TEST(LoadStringInLanguage, FailsForOtherLanguagesAndLeavesTheText) {
  std::wstring text = L"before";
  EXPECT_FALSE(LoadStringInLanguage(text, IDS_OK, 0x0407));         // German: no such block
  EXPECT_FALSE(LoadStringInLanguage(text, IDS_OK, 0x0809));         // English (UK) is another language
  EXPECT_FALSE(LoadStringInLanguage(text, 113, kLangEnglishUS));    // empty entry of a block in use
  EXPECT_FALSE(LoadStringInLanguage(text, 5000, kLangEnglishUS));   // block that does not exist
  EXPECT_EQ(text, L"before");
}

TEST(LoadStringOrEnglish, UnknownIdGivesEmptyText) {
  std::wstring text = L"before";
  LoadStringOrEnglish(113, text);
  EXPECT_EQ(text, L"");
}

TEST(LoadUILanguageString, UnknownIdGivesEmptyTextAndFalse) {
  std::wstring text = L"before";
  EXPECT_FALSE(LoadUILanguageString(5000, text));
  EXPECT_EQ(text, L"");
}

TEST(LoadStringFromLanguageList, TakesTheFirstLanguageOfTheTable) {
  struct Case {
    const wchar_t* list;
    bool haveList;
    const wchar_t* text;
  };
  const Case cases[] = {
      {L"0411,0409,0409,", true, L"展開中…"},        // Japanese, then English
      {L"0409,0411,", true, L"Extracting..."},        // English first
      {L"0407,0409,", true, L"Extracting..."},        // German has no texts: next item
      {L"0407,0411,", true, L"展開中…"},              // German, then Japanese
      {L"0407,", true, L"Extracting..."},             // nothing in the list: English
      {L",,0411,", true, L"展開中…"},                 // empty items are skipped
      {L"411,", true, L"展開中…"},                    // the single-language form
      {L"", true, L"Extracting..."},
      {L"0411,", false, L"Extracting..."},            // no part was produced: English
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.list)));
    std::wstring text = L"stale";
    EXPECT_TRUE(LoadStringFromLanguageList(IDS_EXTRACTING, c.list, c.haveList, text));
    EXPECT_EQ(text, c.text);
  }
  std::wstring text = L"stale";
  EXPECT_FALSE(LoadStringFromLanguageList(5000, L"0411,", true, text));
  EXPECT_EQ(text, L"");
}

TEST(GetLanguageListItem, SplitsAtCommas) {
  struct Case {
    const wchar_t* list;
    size_t index;
    bool found;
    const wchar_t* item;
  };
  const Case cases[] = {
      {L"0411,0409,0409,", 0, true, L"0411"},
      {L"0411,0409,0409,", 2, true, L"0409"},
      {L"0411,0409,0409,", 3, true, L""},    // after the last comma: one more, empty item
      {L"0411,0409,0409,", 4, false, L""},   // past the end
      {L"0411,,0409", 1, true, L""},         // empty item in the middle
      {L"0411,,0409", 2, true, L"0409"},     // last item without a comma
      {L"", 0, true, L""},                   // an empty list has one empty item
      {L"", 1, false, L""},
      {L"407,", 0, true, L"407"},            // the single-language form
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "list \"" << testing::PrintToString(std::wstring(c.list)) << "\" index "
                                    << c.index);
    std::wstring item = L"stale";
    EXPECT_EQ(GetLanguageListItem(c.list, c.index, item), c.found);
    EXPECT_EQ(item, c.item);
  }
}

TEST(ParseLanguageId, ReadsLeadingHexDigits) {
  EXPECT_EQ(ParseLanguageId(L"0411"), 0x0411);
  EXPECT_EQ(ParseLanguageId(L"0C0a"), 0x0C0A);
  EXPECT_EQ(ParseLanguageId(L"407"), 0x0407);
  EXPECT_EQ(ParseLanguageId(L"zz"), 0);
  EXPECT_EQ(ParseLanguageId(L""), 0);
  EXPECT_EQ(ParseLanguageId(L"0411x9"), 0x0411);
  EXPECT_EQ(ParseLanguageId(L"10411"), 0x0411);  // 16 bits
}

TEST(LanguageTagFromId, KnowsExactlyTheTableLanguages) {
  const std::pair<LANGID, const wchar_t*> known[] = {
      {0x0402, L"bg-bg"}, {0x0404, L"zh-tw"}, {0x0405, L"cs-cz"}, {0x0407, L"de-de"}, {0x0408, L"el-gr"},
      {0x0409, L"en-us"}, {0x040C, L"fr-fr"}, {0x040E, L"hu-hu"}, {0x0410, L"it-it"}, {0x0411, L"ja-jp"},
      {0x0412, L"ko-kr"}, {0x0413, L"nl-nl"}, {0x0415, L"pl-pl"}, {0x0416, L"pt-br"}, {0x0418, L"ro-ro"},
      {0x0419, L"ru-ru"}, {0x041B, L"sk-sk"}, {0x041E, L"th-th"}, {0x041F, L"tr-tr"}, {0x0422, L"uk-ua"},
      {0x0804, L"zh-cn"}, {0x0C0A, L"es-es"},
  };
  int found = 0;
  for (unsigned id = 0; id <= 0xFFFF; ++id) {
    std::wstring tag = L"untouched";
    const bool has = LanguageTagFromId(static_cast<LANGID>(id), tag);
    const wchar_t* expected = nullptr;
    for (const auto& entry : known)
      if (entry.first == id) expected = entry.second;
    ASSERT_EQ(has, expected != nullptr) << std::hex << id;
    EXPECT_EQ(tag, expected ? expected : L"untouched") << std::hex << id;
    found += has ? 1 : 0;
  }
  EXPECT_EQ(found, 22);
  std::wstring tag;
  EXPECT_FALSE(LanguageTagFromId(1034, tag));  // Spanish, traditional sort
  EXPECT_TRUE(LanguageTagFromId(3082, tag));
  EXPECT_EQ(tag, L"es-es");
}

TEST(BuildPreferredLanguageList, IsHexItemsEachFollowedByAComma) {
  std::wstring list;
  BuildPreferredLanguageList(list);
  ASSERT_FALSE(list.empty());
  EXPECT_EQ(list.back(), L',');
  std::wstring item;
  size_t count = 0;
  for (size_t i = 0; GetLanguageListItem(list, i, item); ++i) {
    if (item.empty()) continue;
    ++count;
    EXPECT_EQ(item.size(), 4u) << testing::PrintToString(list);
    EXPECT_NE(ParseLanguageId(item), 0) << testing::PrintToString(list);
  }
  // At least the user's and the system's language.
  EXPECT_GE(count, 2u);
}

}  // namespace
