// showbox.exe: shows the stub's message boxes for the UI tests.
//
//   showbox box MESSAGE CAPTION BUTTON1 BUTTON2
//       a CNormalMessageBox with these texts ("\n" in an argument is a line
//       feed); the exit code is the box's result.
//   showbox failure CODE_TEXT_ID
//       the failure report (ShowFailureReport); exit code 0.
//   showbox ask
//       a two-button box in the user's language: a long two-paragraph text,
//       the buttons OK (left) and Cancel (right); the exit code is the result.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "res/resource.h"
#include "ui/FailureReport.h"
#include "ui/NormalMessageBox.h"
#include "ui/Texts.h"

namespace {

std::wstring Unescape(const wchar_t* text) {
  std::wstring out;
  for (const wchar_t* p = text; *p; ++p) {
    if (p[0] == L'\\' && p[1] == L'n') {
      out += L'\n';
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const int argc = __argc;
  wchar_t** argv = __wargv;
  if (argc >= 2 && std::wstring(argv[1]) == L"box" && argc == 6) {
    lorent::CNormalMessageBox box;
    const std::wstring message = Unescape(argv[2]);
    box.SetTexts(message.c_str(), argv[3], argv[4], argv[5]);
    return static_cast<int>(box.DoModal());
  }
  if (argc == 3 && std::wstring(argv[1]) == L"failure") {
    lorent::ShowFailureReport(static_cast<UINT>(std::wcstoul(argv[2], nullptr, 10)));
    return 0;
  }
  if (argc == 2 && std::wstring(argv[1]) == L"ask") {
    std::wstring message;
    std::wstring ok;
    std::wstring cancel;
    lorent::LoadUILanguageString(IDS_NOT_MAKER_COMPUTER, message);
    lorent::LoadUILanguageString(IDS_OK, ok);
    lorent::LoadUILanguageString(IDS_CANCEL, cancel);
    lorent::CNormalMessageBox box;
    box.SetTexts(message.c_str(), L"Lorent", cancel.c_str(), ok.c_str());
    return static_cast<int>(box.DoModal());
  }
  return 255;
}
