#include "framework/WinApp.h"

#include "package/PackageReader.h"

namespace lorent {

CWinApp* CWinApp::s_pCurrent = nullptr;

CWinApp::CWinApp() { s_pCurrent = this; }

CWinApp::~CWinApp() {
  if (s_pCurrent == this) s_pCurrent = nullptr;
}

int CWinApp::Run(HINSTANCE instance, PWSTR commandLine) {
  m_hInstance = instance;
  m_lpCmdLine = commandLine ? commandLine : L"";
  const std::wstring path = GetOwnExecutablePath();
  const size_t slash = path.find_last_of(L"\\/");
  m_strAppName = slash == std::wstring::npos ? path : path.substr(slash + 1);
  const size_t dot = m_strAppName.rfind(L'.');
  if (dot != std::wstring::npos) m_strAppName.resize(dot);
  if (InitInstance()) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return ExitInstance();
}

}  // namespace lorent
