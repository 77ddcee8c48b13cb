// A stand-in for the setup launcher in tests.
//
// Appends to the file named by LORENT_RECORD (UTF-8):
//   cmdline=<its whole command line>
//   cwd=<its working folder>
// and exits with LORENT_RECORD_EXIT (decimal, or hexadecimal with 0x), 0 when
// that is not set. With LORENT_RECORD_WAIT_MS it first waits that long (so a
// test can look at the windows of the program that started it).
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

std::wstring Environment(const wchar_t* name) {
  wchar_t buffer[4096];
  const DWORD length = GetEnvironmentVariableW(name, buffer, 4096);
  return length > 0 && length < 4096 ? std::wstring(buffer, length) : std::wstring();
}

void AppendUtf8(HANDLE file, const std::wstring& text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring record = Environment(L"LORENT_RECORD");
  if (!record.empty()) {
    HANDLE file = CreateFileW(record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      wchar_t folder[MAX_PATH * 4] = {};
      GetCurrentDirectoryW(MAX_PATH * 4, folder);
      AppendUtf8(file, L"cmdline=" + std::wstring(GetCommandLineW()) + L"\r\ncwd=" + folder + L"\r\n");
      CloseHandle(file);
    }
  }
  const std::wstring wait = Environment(L"LORENT_RECORD_WAIT_MS");
  if (!wait.empty()) Sleep(static_cast<DWORD>(std::wcstoul(wait.c_str(), nullptr, 10)));
  const std::wstring code = Environment(L"LORENT_RECORD_EXIT");
  return static_cast<int>(std::wcstoul(code.c_str(), nullptr, 0));
}
