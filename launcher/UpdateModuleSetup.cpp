// UpdateModuleSetup.exe: the reference setup launcher.
//
// Takes the launcher parameter string (see LaunchRequest.h) as its command
// line, starts the target program with its arguments in the current folder,
// waits for it and ends with the target's exit code.
//
// Its own failures end it with an HRESULT, which no setup's success code is
// likely to hold:
//   0x80070057  the parameter string is malformed; nothing is started
//   0x8007xxxx  the target could not be started (xxxx: the Windows error)
//
// When the environment variable UPDATEMODULESETUP_LOG names a file, the
// launcher appends two lines to it (UTF-8): its parameter string, and the
// exit code it ends with.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "framework/WinText.h"
#include "launcher/LaunchRequest.h"

namespace {

constexpr DWORD kMalformed = 0x80070057;  // HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER)

DWORD StartFailure() {
  const DWORD error = GetLastError();
  return error == 0 ? 0x80004005 : (0x80070000 | (error & 0xFFFF));
}

bool EndsWithNoCase(const std::wstring& text, const wchar_t* suffix) {
  const size_t length = wcslen(suffix);
  return text.size() >= length && lstrcmpiW(text.c_str() + text.size() - length, suffix) == 0;
}

DWORD WaitForExit(HANDLE process) {
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  if (!GetExitCodeProcess(process, &code)) code = StartFailure();
  CloseHandle(process);
  return code;
}

DWORD Run(const lorent::launcher::LaunchRequest& request) {
  using lorent::AsWide;
  const auto parts = lorent::launcher::SplitProgram(request.program);
  if (!parts) return kMalformed;
  const std::wstring path(AsWide(parts->path));
  const bool quoted = request.program[0] == u'"';

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!request.programFile && !quoted && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    // An unquoted registered command with arguments of its own, such as
    // "rundll32.exe library,Entry": Windows splits program and arguments, as
    // it does when it runs the command itself. A program file ("Yes") is
    // always started by its exact path, so a path with spaces can never start
    // a program named by its first part.
    std::wstring line(AsWide(request.program));
    if (!request.arguments.empty()) line += L" " + std::wstring(AsWide(request.arguments));
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
      return StartFailure();
  } else if (request.programFile || EndsWithNoCase(path, L".exe") || EndsWithNoCase(path, L".com")) {
    std::wstring line(AsWide(lorent::launcher::TargetCommandLine(*parts, request.arguments)));
    if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
      return StartFailure();
  } else {
    // A document with no program registered for it: the shell opens it.
    std::wstring arguments(AsWide(parts->arguments));
    if (!request.arguments.empty())
      arguments += (arguments.empty() ? L"" : L" ") + std::wstring(AsWide(request.arguments));
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = path.c_str();
    info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) return StartFailure();
    return info.hProcess ? WaitForExit(info.hProcess) : 0;
  }
  CloseHandle(process.hThread);
  return WaitForExit(process.hProcess);
}

// Appends a line to the file named by UPDATEMODULESETUP_LOG, if any.
void Log(const std::wstring& line) {
  wchar_t path[MAX_PATH * 2] = {};
  const DWORD length = GetEnvironmentVariableW(L"UPDATEMODULESETUP_LOG", path, MAX_PATH * 2);
  if (length == 0 || length >= MAX_PATH * 2) return;
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::wstring text = line + L"\r\n";
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::u16string_view parameters = lorent::launcher::ParameterString(lorent::AsU16(GetCommandLineW()));
  Log(L"parameters=" + std::wstring(lorent::AsWide(parameters)));
  const auto request = lorent::launcher::ParseLaunchRequest(parameters);
  const DWORD code = request ? Run(*request) : kMalformed;
  wchar_t text[32];
  wsprintfW(text, L"exit=0x%08lX", code);
  Log(text);
  return static_cast<int>(code);
}
