// The two settings files of a package, read from the run's working folder.
//
//   AssistFile.ini      [ParamOption]  what to start and how
//   MessageSetting.ini  [Setting]      whether an after-install message is shown
//
// Every value is read with its own profile-string call. A key that is absent
// (or whose stored text is exactly "Error") leaves the caller's text as it
// was. When the setup launcher is in the working folder, a value is
// deciphered, and one that does not decipher reads as empty text; without
// the launcher the stored text is the value.
#pragma once

#include <string>

namespace lorent {

struct CWorkerContext;

// Working folder + "UpdateModuleSetup.exe" exists, as a file or a folder.
bool SetupLauncherExists(const CWorkerContext& context);

// Working folder + "AssistFile.ini" and + "MessageSetting.ini".
std::wstring AssistFilePath(const CWorkerContext& context);
std::wstring MessageSettingPath(const CWorkerContext& context);

// One value of [ParamOption] (AssistFile.ini) or [Setting] (MessageSetting.ini)
// into `value`. Returns whether the key was present.
bool ReadParamOption(CWorkerContext& context, const wchar_t* key, const std::wstring& iniPath, std::wstring& value);
bool ReadSetting(CWorkerContext& context, const wchar_t* key, const std::wstring& iniPath, std::wstring& value);

}  // namespace lorent
