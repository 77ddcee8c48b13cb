#include "ui/ProgressWindow.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include "app/RunSequence.h"
#include "framework/Handle.h"
#include "framework/WinText.h"
#include "res/resource.h"
#include "settings/SuccessCode.h"
#include "ui/NormalMessageBox.h"
#include "ui/Texts.h"

namespace lorent {

namespace {

// Layout at 96 DPI, in pixels.
constexpr int kClientWidth = 399;
constexpr int kClientHeight = 89;
constexpr RECT kTextPlace = {22, 22, 150, 14};  // x, y, width, height
constexpr RECT kBarPlace = {22, 51, 355, 15};
constexpr int kBarRange = 1000;
constexpr int kBarCreepLimit = 990;

// value × DPI / 96, rounded to the nearest integer, halves away from zero.
int Scale(int value, int dpi) { return MulDiv(value, dpi, 96); }

void ScreenDpi(int& x, int& y) {
  x = y = 96;
  if (HDC screen = GetDC(nullptr)) {
    x = GetDeviceCaps(screen, LOGPIXELSX);
    y = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  if (x <= 0) x = 96;
  if (y <= 0) y = 96;
}

std::wstring LoadUI(UINT id) {
  std::wstring text;
  LoadUILanguageString(id, text);
  return text;
}

std::wstring LoadDefault(UINT id) {
  std::wstring text;
  LoadStringOrEnglish(id, text);
  return text;
}

}  // namespace

void CLorentDlg::CMyProgress::Attach(HWND window) {
  m_hWnd = window;
  if (window) SetWindowSubclass(window, SubclassProc, 1, 0);
}

LRESULT CALLBACK CLorentDlg::CMyProgress::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                       UINT_PTR id, DWORD_PTR) {
  if (message == WM_KEYDOWN || message == 0x004D /* F1 */) return 0;
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, SubclassProc, id);
  return DefSubclassProc(window, message, wParam, lParam);
}

CLorentDlg::CLorentDlg() : CDialog(IDD_LORENT_DIALOG) {
  m_hIcon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
}

CLorentDlg::~CLorentDlg() {
  if (m_hIcon) DestroyIcon(m_hIcon);
}

INT_PTR CLorentDlg::Reply(LRESULT value) {
  SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, value);
  return TRUE;
}

BOOL CLorentDlg::OnInitDialog() {
  m_progress.Attach(GetDlgItem(m_hWnd, IDC_PROGRESS));
  const CRunState& state = TheRunState();
  // A silent run's window has no taskbar button.
  if (!state.m_bShowUI) SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
  EnableMenuItem(GetSystemMenu(m_hWnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  // Unseen until the worker asks for the layout; a silent run never does.
  SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOZORDER);
  KillTimer(m_hWnd, kStepTimer);

  m_context = MakeWorkerContext(m_hWnd);
  if (!m_context) {
    // Nothing would ever close the window: end the dialog instead.
    EndDialog(0);
    return TRUE;
  }
  m_pContext = m_context.get();
  m_pContext->bShowUI = state.m_bShowUI;
  m_pContext->strCmdLine = state.m_strCmdLine;
  m_thread = CWinThread::CreateSuspended(WorkerThreadProc, m_pContext);
  if (!m_thread) {
    m_pContext = nullptr;
    m_context.reset();
    EndDialog(0);
    return TRUE;
  }
  m_pContext->pThread = m_thread.get();
  m_thread->Resume();
  return TRUE;
}

void CLorentDlg::LayoutWindow() {
  SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOZORDER);
  WINDOWINFO info{};
  info.cbSize = sizeof info;
  GetWindowInfo(m_hWnd, &info);
  TITLEBARINFO title{};
  title.cbSize = sizeof title;
  GetTitleBarInfo(m_hWnd, &title);
  int dpiX = 96;
  int dpiY = 96;
  ScreenDpi(dpiX, dpiY);

  const int width = Scale(kClientWidth, dpiX) + 2 * static_cast<int>(info.cxWindowBorders);
  const int height = Scale(kClientHeight, dpiY) + 2 * static_cast<int>(info.cyWindowBorders) +
                     (title.rcTitleBar.bottom - title.rcTitleBar.top);
  if (IsWindow(m_hWnd)) {
    CentreWindow(width, height);
    // Frame sizes read from a 0 x 0 window need not be the frame of the sized
    // one (Wine reports the borders of a window that has no room for its
    // client area as negative): when the client area missed its size, the
    // window grows or shrinks by the difference.
    RECT client{};
    GetClientRect(m_hWnd, &client);
    const int missingX = Scale(kClientWidth, dpiX) - (client.right - client.left);
    const int missingY = Scale(kClientHeight, dpiY) - (client.bottom - client.top);
    if (missingX != 0 || missingY != 0) CentreWindow(width + missingX, height + missingY);
  }
  const HWND text = GetDlgItem(m_hWnd, IDC_STATIC);
  MoveWindow(text, Scale(kTextPlace.left, dpiX), Scale(kTextPlace.top, dpiY), Scale(kTextPlace.right, dpiX),
             Scale(kTextPlace.bottom, dpiY), TRUE);
  MoveWindow(m_progress.GetSafeHwnd(), Scale(kBarPlace.left, dpiX), Scale(kBarPlace.top, dpiY),
             Scale(kBarPlace.right, dpiX), Scale(kBarPlace.bottom, dpiY), TRUE);
  SetWindowTextW(text, LoadUI(IDS_EXTRACTING).c_str());
  m_progress.Show(true);
  SendMessageW(m_progress.GetSafeHwnd(), PBM_SETRANGE32, 0, kBarRange);
  SendMessageW(m_progress.GetSafeHwnd(), PBM_SETSTEP, 1, 0);
}

void CLorentDlg::CentreWindow(int width, int height) {
  const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
  const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
  SetWindowPos(m_hWnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CLorentDlg::WatchProcess() {
  const size_t slash = m_strWatchedPath.rfind(L'\\');
  const std::wstring name = slash == std::wstring::npos ? m_strWatchedPath : m_strWatchedPath.substr(slash + 1);
  UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    if (lstrcmpiW(entry.szExeFile, name.c_str()) == 0) {
      ShowWindow(m_hWnd, SW_HIDE);
      if (m_nWatchTimer != 0) {
        KillTimer(m_hWnd, kWatchTimer);
        m_nWatchTimer = 0;
      }
      break;
    }
  }
}

void CLorentDlg::ShowResultBox() {
  const CRunState& state = TheRunState();
  const int code = state.m_nSetupExitCode;
  const std::wstring button = LoadDefault(IDS_OK);
  if (state.m_strShowResult != L"1") return;
  const std::wstring text = IsSuccessExitCode(AsU16(state.m_strSuccessCode), static_cast<uint32_t>(code))
                                ? LoadDefault(IDS_SETUP_SUCCEEDED)
                                : LoadDefault(IDS_SETUP_FAILED) + LoadDefault(IDS_ERROR_CODE_1002);
  CNormalMessageBox box;
  box.SetTexts(text.c_str(), m_pContext ? m_pContext->strProductName.c_str() : L"", button.c_str(), L"");
  box.DoModal();
}

void CLorentDlg::ShowWarning(WPARAM code, const wchar_t* drive) {
  UINT id = 0;
  switch (code) {
    case kWarningDiskSpace: id = IDS_DISK_SPACE; break;
    case kWarningManufacturer: id = IDS_NOT_MAKER_COMPUTER; break;
    case kWarningCabinetLibrary: id = IDS_CANNOT_EXTRACT; break;
    case kWarningAdministrator: id = IDS_NOT_ADMINISTRATOR; break;
    default: return;
  }
  std::wstring text = LoadUI(id);
  if (code == kWarningDiskSpace && drive) {
    const size_t at = text.find(L"%s");
    if (at != std::wstring::npos) text.replace(at, 2, drive);
  }
  MessageBoxW(nullptr, text.c_str(), L"Stowline", MB_OK | MB_ICONWARNING);
}

void CLorentDlg::OnTimer(UINT_PTR id) {
  if (id == kWatchTimer) {
    WatchProcess();
  } else if (id == kStepTimer) {
    const auto position = SendMessageW(m_progress.GetSafeHwnd(), PBM_GETPOS, 0, 0);
    if (position < kBarCreepLimit) SendMessageW(m_progress.GetSafeHwnd(), PBM_STEPIT, 0, 0);
  }
}

void CLorentDlg::OnClose() {
  if (m_pContext) {
    if (m_thread) {
      DWORD exitCode = 0;
      if (!GetExitCodeThread(m_thread->Handle(), &exitCode) || exitCode == STILL_ACTIVE) {
        if (WaitForSingleObject(m_thread->Handle(), 10000) == WAIT_TIMEOUT) {
          // The run did not end in time: it is stopped without its remaining steps.
          TerminateThread(m_thread->Handle(), 0);
          m_thread->CloseHandle();
        }
      }
      m_thread.reset();
      m_pContext->pThread = nullptr;
    }
    m_context.reset();
    m_pContext = nullptr;
  }
  EndDialog(0);
}

void CLorentDlg::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(m_hWnd, &paint);
  SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, m_hIcon);
  EndPaint(m_hWnd, &paint);
}

INT_PTR CLorentDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();  // placed by hand: no centring
    case UWM_HIDE_WINDOW:
      ShowWindow(m_hWnd, SW_HIDE);
      return Reply(0);
    case UWM_SHOW_WARNING:
      ShowWarning(wParam, reinterpret_cast<const wchar_t*>(lParam));
      return Reply(0);
    case UWM_LAYOUT:
      LayoutWindow();
      return Reply(0);
    case UWM_START_STEPPING:
      m_nStepTimer = SetTimer(m_hWnd, kStepTimer, 10, nullptr);
      return Reply(0);
    case UWM_WATCH_PROCESS:
      if (wParam == 1) {
        m_nWatchTimer = SetTimer(m_hWnd, kWatchTimer, 100, nullptr);
      } else if (m_nWatchTimer != 0) {
        KillTimer(m_hWnd, kWatchTimer);
        m_nWatchTimer = 0;
      }
      return Reply(0);
    case UWM_SET_PROGRESS:
      SendMessageW(m_progress.GetSafeHwnd(), PBM_SETPOS, wParam, 0);
      return Reply(0);
    case UWM_SHOW_AFTER_MESSAGE: {
      const auto* request = reinterpret_cast<const CAfterInstallRequest*>(lParam);
      if (!request) return Reply(0);
      m_bShowMessage = request->bShowMessage;
      m_bOkOnly = request->bOkOnly;
      m_strWorkFolder = request->strWorkFolder;
      m_strProductName = request->strProductName;
      return Reply(ShowAfterInstallMessage() ? 1 : 0);
    }
    case UWM_SET_WATCHED_PATH: {
      const auto* path = reinterpret_cast<const wchar_t*>(lParam);
      m_strWatchedPath = path ? path : L"";
      return Reply(0);
    }
    case UWM_SHOW_RESULT:
      ShowResultBox();
      return Reply(0);
    case WM_TIMER:
      OnTimer(wParam);
      return TRUE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) return TRUE;  // Alt+F4 and the close box do nothing
      return FALSE;
    case WM_PAINT:
      if (!IsIconic(m_hWnd)) return FALSE;
      OnPaint();
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(m_hIcon);
    case WM_HELP:
      return TRUE;  // F1 shows no help
    case WM_CLOSE:
      OnClose();
      return TRUE;
  }
  return CDialog::OnMessage(message, wParam, lParam);
}

}  // namespace lorent
