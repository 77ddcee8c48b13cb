// The application object: one per process. The entry point calls
// InitInstance and then ExitInstance, whose result is the process exit code.
#pragma once

#include <windows.h>

#include <string>

namespace lorent {

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Returns true to run a message loop; the stub returns false and does all
  // its work inside.
  virtual BOOL InitInstance() { return FALSE; }
  virtual int ExitInstance() { return 0; }

  // The command line after the program's own name.
  const wchar_t* m_lpCmdLine = L"";
  HINSTANCE m_hInstance = nullptr;
  // The executable's file name without its extension: the caption of the
  // application's message boxes.
  std::wstring m_strAppName;

  static CWinApp* Current() { return s_pCurrent; }

  // The entry point's work: fills the members, runs the instance.
  int Run(HINSTANCE instance, PWSTR commandLine);

 private:
  static CWinApp* s_pCurrent;
};

}  // namespace lorent
