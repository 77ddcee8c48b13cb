#include "app/LorentApp.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "app/AgentKey.h"
#include "app/RunMode.h"
#include "checks/SystemChecks.h"
#include "framework/Handle.h"
#include "framework/WinText.h"
#include "package/PackageReader.h"
#include "res/resource.h"
#include "ui/ProgressWindow.h"
#include "ui/Texts.h"

namespace lorent {

void MarkForCompatibilityAssistant() {
  const std::wstring path = GetOwnExecutablePath();
  std::wstring name = path.substr(path.rfind(L'\\') + 1);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; });
  if (name.find(L"setup") == std::wstring::npos && name.find(L"install") == std::wstring::npos) return;
  UniqueKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER,
                    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Compatibility Assistant\\Persisted",
                    0, KEY_WRITE, key.Put()) != ERROR_SUCCESS)
    return;
  const DWORD mark = 0x21;
  RegSetValueExW(key.Get(), path.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mark), sizeof mark);
}

BOOL CLorentApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  CRunState& state = TheRunState();
  state.m_strCmdLine = m_lpCmdLine;

  CLorentDlg dialog;
  const OSVERSIONINFOEXW version = GetOSVersion();
  if (version.dwMajorVersion < 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion == 0)) {
    std::wstring text;
    LoadUILanguageString(IDS_UNSUPPORTED_OS, text);
    MessageBoxW(nullptr, text.c_str(), m_strAppName.c_str(), MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  if (version.dwMajorVersion >= 6) MarkForCompatibilityAssistant();

  if (HasSilentSwitch(AsU16(state.m_strCmdLine))) {
    state.m_bShowUI = false;
  } else {
    const AgentValues agent = ReadAgentKey();
    state.m_bShowUI = !(agent.keyOpened && agent.silentExecution == 1);
  }
  if (dialog.DoModal() == -1) {
    // Without its window nothing runs. Say so in the exit code instead of
    // ending with 0 as if the run had succeeded.
    const DWORD error = GetLastError();
    state.m_nSetupExitCode = static_cast<int>(error != 0 ? 0x80070000u | (error & 0xFFFFu) : 0x80004005u);
  }
  return FALSE;
}

int CLorentApp::ExitInstance() { return TheRunState().m_nSetupExitCode; }

}  // namespace lorent
