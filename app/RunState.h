// State shared by the progress window (main thread) and the worker thread.
//
// No lock guards any of it. The order of the accesses does: what one thread
// hands to the other is written before the message that makes the other read
// it, and sent messages block the worker until the window has handled them.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "settings/HeldFile.h"

namespace lorent {

class CWinThread;

// Window messages from the worker to the progress window.
enum : UINT {
  UWM_HIDE_WINDOW = WM_APP + 0x100,         // posted by the launch: the window hides itself
  UWM_SHOW_WARNING = WM_APP + 0x101,        // wParam: warning code; lParam: drive text (code 101) or 0
  UWM_LAYOUT = WM_APP + 0x102,              // sent: centre, show the text and the bar
  UWM_START_STEPPING = WM_APP + 0x103,      // sent: start the stepping timer
  UWM_WATCH_PROCESS = WM_APP + 0x104,       // sent: wParam 1 starts the watch timer, else stops it
  UWM_SET_PROGRESS = WM_APP + 0x105,        // posted: wParam is the bar's new position
  UWM_SHOW_AFTER_MESSAGE = WM_APP + 0x106,  // sent: lParam is a CAfterInstallRequest*; returns 1 to go on
  UWM_SET_WATCHED_PATH = WM_APP + 0x107,    // sent: lParam is the setup launcher's path (const wchar_t*)
  UWM_SHOW_RESULT = WM_APP + 0x301,         // sent after the setup launcher has ended
};
static_assert(UWM_HIDE_WINDOW == 0x8100 && UWM_SET_WATCHED_PATH == 0x8107 && UWM_SHOW_RESULT == 0x8301);

// Codes carried by UWM_SHOW_WARNING.
enum WarningCode : WPARAM {
  kWarningDiskSpace = 101,      // not enough free space; lParam is the drive text
  kWarningManufacturer = 102,   // the computer's maker is not the expected one
  kWarningCabinetLibrary = 103, // the cabinet library is missing
  kWarningAdministrator = 104,  // the user is not an administrator
};

// Process-wide run state, held once by the application object.
struct CRunState {
  std::wstring m_strCmdLine;     // the command line without the program's own name
  bool m_bShowUI = true;         // false for a silent run
  int m_nSetupExitCode = 0;      // the setup launcher's exit code; the process exit code
  std::wstring m_strShowResult;  // ShowResult, for the window's result routine
  std::wstring m_strSuccessCode; // SuccessCode, likewise
};

// The process's run state. The application object fills it at start-up and
// hands the setup exit code back as the process exit code.
CRunState& TheRunState();

// One run's context, made by the window and handed to the worker thread.
// Fields in the order the run fills them.
struct CWorkerContext {
  explicit CWorkerContext(HWND window) : hWnd(window) {}

  HWND hWnd;                     // receiver of every window message of the run; may be null
  bool bRun = false;             // the extraction succeeded far enough to run the package
  bool bShowMessage = false;     // IsShowMessageBox is "1"
  bool bOkOnly = false;          // IsOk is "1"
  bool bProceed = true;          // settings, checks and launch happen only while set
  bool bUserFolder = false;      // the files went to a folder the user chose
  std::wstring strWorkFolder;    // the run's working folder, ending in a backslash
  std::wstring strChosenFolder;  // the folder the user chose
  std::wstring strProductName;   // ProductName
  std::wstring strElevation;     // Elevation
  CWinThread* pThread = nullptr; // the worker thread; owned by the window
  std::wstring strShowResult;    // ShowResult
  std::wstring strSuccessCode;   // SuccessCode
  std::wstring strRunGuid;       // name of the run's folder under the staging folder
  bool bShowUI = false;          // copied from the run state by the window
  std::wstring strCmdLine;       // likewise
  std::wstring strKeyText;       // key material of the setting-value cipher
  CHeldFile heldLauncher;        // the setup launcher, held and hashed once from the first
                                 // deciphered value; released before the run's folder goes
};

// Makes a worker context, or null when memory is short.
std::unique_ptr<CWorkerContext> MakeWorkerContext(HWND window) noexcept;

// Posts warning `code` (102 to 104) to the run's window, when it has one.
inline void PostWarning(const CWorkerContext& context, WarningCode code) {
  if (context.hWnd) PostMessageW(context.hWnd, UWM_SHOW_WARNING, code, 0);
}

// What the worker asks the window to show before the launch. Lives while the
// sending call lasts; the window copies what it keeps.
struct CAfterInstallRequest {
  bool bShowMessage = false;
  bool bOkOnly = false;
  std::wstring strWorkFolder;
  std::wstring strProductName;
};

}  // namespace lorent
