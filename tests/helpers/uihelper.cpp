// uihelper.exe [OPTIONS] -- PROGRAM [ARGUMENTS...]
//
// Starts PROGRAM, waits for its dialog (found by the process id), writes a
// description of it (window, client size, every control's id, class,
// visibility, rectangle and text; UTF-8), then acts on it and prints
//   exit code: N
// once the program has ended. Options:
//   --dump FILE      write the description to FILE (default: standard output)
//   --ready FILE     create FILE once the dialog has been read
//   --go FILE        then wait until FILE exists before acting
//   --action A       click:ID, key:VK (decimal), altf4, close, or none
//   --timeout S      seconds to wait for the dialog and for the end (default 30)
// Its own exit code: 0 when the dialog was found and the program ended, 3 when
// no dialog appeared, 4 when the program did not end (it is then ended), 125
// when the program could not be started.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "UiProbe.h"

using namespace lorent::test;

int wmain(int argc, wchar_t** argv) {
  std::wstring dump, ready, go, action = L"none";
  DWORD timeout = 30000;
  int i = 1;
  for (; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--") {
      ++i;
      break;
    }
    if (i + 1 >= argc) break;
    if (arg == L"--dump") dump = argv[++i];
    else if (arg == L"--ready") ready = argv[++i];
    else if (arg == L"--go") go = argv[++i];
    else if (arg == L"--action") action = argv[++i];
    else if (arg == L"--timeout") timeout = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10)) * 1000;
    else break;
  }
  if (i >= argc) {
    std::fputs("usage: uihelper [--dump F] [--ready F] [--go F] [--action A] [--timeout S] -- PROGRAM [ARGS...]\n", stderr);
    return 2;
  }
  const std::wstring arguments = JoinArguments(argc, argv, i + 1);
  DWORD processId = 0;
  const HANDLE process = StartProgram(argv[i], arguments, processId);
  if (!process) {
    std::fprintf(stderr, "uihelper: cannot start %ls (error %lu)\n", argv[i], ::GetLastError());
    return 125;
  }
  const HWND dialog = FindProcessDialog(processId, timeout);
  if (!dialog) {
    std::fprintf(stderr, "uihelper: no dialog appeared\n");
    ::TerminateProcess(process, 0xDEAD);
    return 3;
  }
  WriteUtf8(dump, DescribeDialog(ReadDialog(dialog)));
  if (!ready.empty()) WriteUtf8(ready, L"ready\n");
  if (!go.empty()) {
    const DWORD start = ::GetTickCount();
    while (::GetFileAttributesW(go.c_str()) == INVALID_FILE_ATTRIBUTES && ::GetTickCount() - start < timeout) ::Sleep(50);
  }
  if (action.rfind(L"click:", 0) == 0) PressButton(dialog, std::wcstol(action.c_str() + 6, nullptr, 10));
  else if (action.rfind(L"key:", 0) == 0) PressKey(dialog, static_cast<UINT>(std::wcstoul(action.c_str() + 4, nullptr, 10)));
  else if (action == L"altf4") PressAltF4(dialog);
  else if (action == L"close") CloseFromSystemMenu(dialog);

  DWORD code = 0;
  if (!WaitExitCode(process, timeout, code)) {
    ::TerminateProcess(process, 0xDEAD);
    std::fprintf(stderr, "uihelper: the program did not end\n");
    return 4;
  }
  std::printf("exit code: %lu\n", code);
  return 0;
}
