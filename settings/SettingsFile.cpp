#include "settings/SettingsFile.h"

#include <windows.h>

#include <cwchar>

#include "app/RunState.h"
#include "framework/FileSystem.h"
#include "framework/WinText.h"
#include "package/PackageFormat.h"
#include "settings/SettingCipher.h"

namespace lorent {

namespace {

// The readers' buffer: a longer stored text is cut to 127 characters.
constexpr DWORD kValueBuffer = 128;
// The default text that marks a missing key.
constexpr wchar_t kMissing[] = L"Error";

bool ReadValue(CWorkerContext& context, const wchar_t* section, const wchar_t* key, const std::wstring& iniPath,
               std::wstring& value) {
  wchar_t buffer[kValueBuffer] = {};
  GetPrivateProfileStringW(section, key, kMissing, buffer, kValueBuffer, iniPath.c_str());
  if (wcscmp(buffer, kMissing) == 0) return false;
  if (SetupLauncherExists(context)) {
    std::wstring plain;
    DecipherSettingValue(context, buffer, plain);
    value = plain;
  } else {
    value = buffer;
  }
  return true;
}

}  // namespace

bool SetupLauncherExists(const CWorkerContext& context) {
  const std::wstring path = context.strWorkFolder + std::wstring(AsWide(package::kSetupLauncher));
  return PathExists(path);
}

std::wstring AssistFilePath(const CWorkerContext& context) {
  return context.strWorkFolder + std::wstring(AsWide(package::kAssistFile));
}

std::wstring MessageSettingPath(const CWorkerContext& context) {
  return context.strWorkFolder + std::wstring(AsWide(package::kMessageSetting));
}

bool ReadParamOption(CWorkerContext& context, const wchar_t* key, const std::wstring& iniPath, std::wstring& value) {
  return ReadValue(context, L"ParamOption", key, iniPath, value);
}

bool ReadSetting(CWorkerContext& context, const wchar_t* key, const std::wstring& iniPath, std::wstring& value) {
  return ReadValue(context, L"Setting", key, iniPath, value);
}

}  // namespace lorent
