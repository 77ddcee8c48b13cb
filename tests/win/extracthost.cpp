// extracthost.exe REPORT
//
// Runs the extraction of the package bound to this very executable, as the
// stub's worker does: ExtractPackage on a second thread (show-UI flag set),
// while this thread pumps the messages of a message-only window that stands
// in for the progress window and records every window message of the run.
// Writes REPORT (UTF-8, one "key=value" a line): the result, the context's
// flags and folders, then one "message=" line per message received, in order
// ("message=0x8101 103" or, for a warning with a drive text,
// "message=0x8101 101 C"). Exit code 0, or 2 on bad use.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/RunState.h"
#include "framework/Handle.h"
#include "framework/Utf.h"
#include "framework/WinText.h"
#include "package/Extraction.h"

using namespace lorent;

namespace {

std::vector<std::string> g_messages;

std::string Narrow(const std::wstring& text) { return Utf16ToUtf8Lossy(AsU16(text)); }

LRESULT CALLBACK RecordProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool ours = (message >= UWM_HIDE_WINDOW && message <= UWM_SET_WATCHED_PATH) || message == UWM_SHOW_RESULT;
  if (!ours) return DefWindowProcW(window, message, wParam, lParam);
  char line[64];
  std::snprintf(line, sizeof line, "0x%04X %llu", message, static_cast<unsigned long long>(wParam));
  std::string text = line;
  if (message == UWM_SHOW_WARNING && wParam == kWarningDiskSpace && lParam)
    text += " " + Narrow(reinterpret_cast<const wchar_t*>(lParam));
  g_messages.push_back(text);
  return 0;
}

struct Job {
  CWorkerContext* context;
  bool result;
};

DWORD WINAPI Worker(LPVOID parameter) {
  auto* job = static_cast<Job*>(parameter);
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  job->result = ExtractPackage(job->context, true);
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}

// With LORENT_BROWSE_OK=1 in the environment, a folder browser that the
// extraction shows is answered with OK as soon as it appears (the folder it
// starts on is the one chosen).
BOOL CALLBACK PressOk(HWND window, LPARAM found) {
  DWORD process = 0;
  wchar_t name[16] = {};
  GetWindowThreadProcessId(window, &process);
  GetClassNameW(window, name, 16);
  if (process != GetCurrentProcessId() || lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  PostMessageW(window, WM_COMMAND, IDOK, 0);
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;
}

DWORD WINAPI BrowserAnswerer(LPVOID) {
  for (int i = 0; i < 600; ++i) {
    bool found = false;
    Sleep(100);
    EnumWindows(PressOk, reinterpret_cast<LPARAM>(&found));
    if (found) i = 0;
  }
  return 0;
}

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: extracthost REPORT\n", stderr);
    return 2;
  }
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = RecordProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"LorentExtractRecorder";
  RegisterClassW(&windowClass);
  const HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      windowClass.hInstance, nullptr);
  if (!window) return 2;

  wchar_t browse[4] = {};
  if (GetEnvironmentVariableW(L"LORENT_BROWSE_OK", browse, 4) && browse[0] == L'1')
    CloseHandle(CreateThread(nullptr, 0, BrowserAnswerer, nullptr, 0, nullptr));

  auto context = MakeWorkerContext(window);
  if (!context) return 2;
  Job job{context.get(), false};
  UniqueHandle thread(CreateThread(nullptr, 0, Worker, &job, 0, nullptr));
  if (!thread) return 2;
  // Sent messages are handled inside the wait; posted ones by the pump.
  const HANDLE handle = thread.Get();
  while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) Pump();
  Pump();

  UniqueStream report(_wfopen(argv[1], L"wb"));
  if (!report) return 2;
  std::fprintf(report.Get(), "result=%d\nrun=%d\nproceed=%d\nuserfolder=%d\n", job.result, context->bRun,
               context->bProceed, context->bUserFolder);
  std::fprintf(report.Get(), "workfolder=%s\nguid=%s\nchosen=%s\n", Narrow(context->strWorkFolder).c_str(),
               Narrow(context->strRunGuid).c_str(), Narrow(context->strChosenFolder).c_str());
  for (const auto& line : g_messages) std::fprintf(report.Get(), "message=%s\n", line.c_str());
  DestroyWindow(window);
  return 0;
}
