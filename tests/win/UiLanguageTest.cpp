// Texts chosen by the user's languages. Run under a given LANG / LC_MESSAGES;
// LORENT_EXPECT_LANG says which language the user must get: "en" or "ja".
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "UiProbe.h"
#include "res/resource.h"
#include "ui/Texts.h"

using namespace lorent;
using namespace lorent::test;

namespace {

LANGID Expected() {
  const char* lang = std::getenv("LORENT_EXPECT_LANG");
  return lang && std::string(lang) == "ja" ? kLangJapanese : kLangEnglishUS;
}

std::wstring InLanguage(UINT id, LANGID language) {
  std::wstring text;
  LoadStringInLanguage(text, id, language);
  return text;
}

TEST(UserLanguage, PreferredListStartsWithTheUsersLanguage) {
  std::wstring list;
  BuildPreferredLanguageList(list);
  std::wstring first;
  ASSERT_TRUE(GetLanguageListItem(list, 0, first));
  EXPECT_EQ(ParseLanguageId(first), Expected()) << testing::PrintToString(list);
}

TEST(UserLanguage, UILanguageLookupGivesTheUsersTexts) {
  for (UINT id : {IDS_EXTRACTING, IDS_CANNOT_EXTRACT, IDS_NOT_MAKER_COMPUTER, IDS_DISK_SPACE, IDS_UNSUPPORTED_OS,
                  IDS_NOT_ADMINISTRATOR}) {
    std::wstring text;
    EXPECT_TRUE(LoadUILanguageString(id, text));
    EXPECT_EQ(text, InLanguage(id, Expected())) << id;
  }
}

TEST(UserLanguage, DefaultLookupGivesTheUsersTexts) {
  for (UINT id : {IDS_FONT_FACE, IDS_OK, IDS_FONT_FACE_XP, IDS_SETUP_SUCCEEDED, IDS_SETUP_FAILED, IDS_ERROR_CODE_1001,
                  IDS_ERROR_CODE_1002, IDS_ERROR_CODE_1003}) {
    std::wstring text;
    LoadStringOrEnglish(id, text);
    EXPECT_EQ(text, InLanguage(id, Expected())) << id;
  }
}

TEST(FailureReport, ShowsSetupFailedAndTheCodeTextCaptionedError) {
  DWORD processId = 0;
  const HANDLE process = StartProgram(OwnFolder() + L"..\\helpers\\showbox.exe", L"failure 1010", processId);
  ASSERT_NE(process, nullptr);
  const HWND dialog = FindProcessDialog(processId, 20000);
  ASSERT_NE(dialog, nullptr);
  const DialogInfo info = ReadDialog(dialog);
  PressButton(dialog, IDC_MSG_RIGHT_BUTTON);
  DWORD code = 1;
  const bool ended = WaitExitCode(process, 10000, code);
  if (!ended) ::TerminateProcess(process, 0xDEAD);
  ::CloseHandle(process);

  const LANGID language = Expected();
  EXPECT_EQ(info.caption, L"Error");
  ASSERT_NE(info.Control(IDC_MSG_TEXT), nullptr);
  EXPECT_EQ(info.Control(IDC_MSG_TEXT)->text,
            InLanguage(IDS_SETUP_FAILED, language) + InLanguage(IDS_ERROR_CODE_1003, language));
  if (language == kLangEnglishUS) EXPECT_EQ(info.Control(IDC_MSG_TEXT)->text, L"Setup failed.(Error Code: 1003)");
  else EXPECT_EQ(info.Control(IDC_MSG_TEXT)->text, L"セットアップに失敗しました。(エラーコード：1003)");
  int visibleButtons = 0;
  for (const ControlInfo& control : info.controls) {
    if (control.className == L"Button" && control.visible) {
      ++visibleButtons;
      EXPECT_EQ(control.id, IDC_MSG_RIGHT_BUTTON);
      EXPECT_EQ(control.text, L"OK");
    }
  }
  EXPECT_EQ(visibleButtons, 1);
  EXPECT_TRUE(ended);
  EXPECT_EQ(code, 0u);
}

}  // namespace
