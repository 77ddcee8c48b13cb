#include "launch/LaunchSetup.h"

#include <windows.h>
#include <shellapi.h>

#include "checks/SystemChecks.h"
#include "framework/Handle.h"
#include "framework/WinText.h"
#include "launch/LaunchText.h"
#include "package/PackageFormat.h"

namespace lorent {

namespace {

std::wstring Wide(std::u16string_view text) { return std::wstring(AsWide(text)); }

// The default value of a key under HKEY_CLASSES_ROOT, when it is a string.
std::wstring ClassesDefaultValue(const std::wstring& keyName) {
  UniqueKey key;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keyName.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return {};
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(key.Get(), nullptr, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return {};
  std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes) !=
      ERROR_SUCCESS)
    return {};
  value.resize(wcsnlen(value.c_str(), value.size()));  // stored strings need not end in a NUL
  return value;
}


}  // namespace

void LookUpOpenCommand(const std::wstring& path, std::wstring& program, std::wstring& arguments) {
  const size_t dot = path.rfind(L'.');
  const std::wstring extension = dot == std::wstring::npos ? path : path.substr(dot);
  const std::wstring className = ClassesDefaultValue(extension);
  const std::wstring command = className.empty() ? std::wstring()
                                                 : ClassesDefaultValue(className + L"\\shell\\open\\command");
  std::u16string cutProgram;
  std::u16string cutArguments(AsU16(arguments));
  if (!CutOpenCommand(AsU16(command), AsU16(path), cutProgram, cutArguments)) {
    cutProgram = std::u16string(AsU16(path));
    cutArguments = std::u16string(AsU16(arguments));
  }
  // Environment references in the program (such as %SystemRoot%) are
  // expanded; the arguments stay as registered. A program that does not fit
  // the expansion buffer counts as no registration.
  wchar_t expanded[MAX_PATH] = {};
  const DWORD length = ExpandEnvironmentStringsW(Wide(cutProgram).c_str(), expanded, MAX_PATH);
  if (length == 0 || length > MAX_PATH) {
    program = path;
    return;
  }
  program = expanded;
  arguments = Wide(cutArguments);
}

bool LaunchSetup(CWorkerContext* context, std::wstring target, std::wstring parameters) {
  CRunState& state = TheRunState();
  const wchar_t* verb = GetOSVersion().dwMajorVersion >= 6 && context->strElevation == L"1" ? L"runas" : L"open";

  const std::u16string_view extension = ExtensionOf(AsU16(target));
  bool programFile = false;
  std::wstring program;
  std::wstring arguments;
  if (package::EqualsNoCase(extension, u".bat")) {
    wchar_t system[MAX_PATH] = {};
    if (GetSystemDirectoryW(system, MAX_PATH) != 0) {
      program = std::wstring(system) + L"\\cmd.exe";
      arguments = L"/c \"" + target + L"\"";
    } else {
      arguments = target;
    }
  } else if (package::EqualsNoCase(extension, u".exe")) {
    program = target;
    programFile = true;
  } else {
    LookUpOpenCommand(target, program, arguments);
  }
  if (!parameters.empty()) {
    if (!arguments.empty()) arguments += L' ';
    arguments += parameters;
  }
  const std::wstring launcherParameters =
      Wide(BuildLauncherParameters(programFile, AsU16(program), AsU16(arguments)));
  const std::wstring launcher = context->strWorkFolder + L"UpdateModuleSetup.exe";

  const HWND window = context->hWnd;
  if (window) {
    SendMessageW(window, UWM_SET_WATCHED_PATH, 0, reinterpret_cast<LPARAM>(launcher.c_str()));
    SendMessageW(window, UWM_WATCH_PROCESS, 1, 0);
  }

  SHELLEXECUTEINFOW request{};
  request.cbSize = sizeof request;
  request.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  request.lpVerb = verb;
  request.lpFile = launcher.c_str();
  request.lpParameters = launcherParameters.c_str();
  request.lpDirectory = context->strWorkFolder.c_str();
  request.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&request)) {
    if (window) {
      SendMessageW(window, UWM_WATCH_PROCESS, 0, 0);
      PostMessageW(window, UWM_HIDE_WINDOW, 0, 0);
    }
    return false;
  }
  UniqueHandle process(request.hProcess);
  if (process) WaitForSingleObject(process.Get(), INFINITE);
  if (window) PostMessageW(window, UWM_HIDE_WINDOW, 0, 0);
  if (process) {
    DWORD code = 0;
    if (!GetExitCodeProcess(process.Get(), &code)) code = 0;
    state.m_nSetupExitCode = static_cast<int>(code);
  }
  if (window && state.m_bShowUI) SendMessageW(window, UWM_SHOW_RESULT, 0, 0);
  return true;
}

}  // namespace lorent
