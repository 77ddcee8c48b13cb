// runner.exe [--cwd FOLDER] [--timeout SECONDS] [--raw] PROGRAM [ARGUMENTS...]
//
// Starts PROGRAM with the arguments, waits for it and prints
//   exit code: 0x00000BC2 (3010)
// on standard output. Its own exit code is 0 when the program ran, 125 when it
// could not be started and 124 when it did not end in time (it is then ended).
// With --raw, the arguments are joined by spaces as they stand, unquoted, as a
// shell-started program would receive a parameter text.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "UiProbe.h"

using lorent::test::QuoteArgument;

int wmain(int argc, wchar_t** argv) {
  int i = 1;
  const wchar_t* folder = nullptr;
  DWORD timeout = INFINITE;
  bool raw = false;
  while (i < argc) {
    if (std::wcscmp(argv[i], L"--raw") == 0) {
      raw = true;
      ++i;
    } else if (i + 1 < argc && std::wcscmp(argv[i], L"--cwd") == 0) {
      folder = argv[i + 1];
      i += 2;
    } else if (i + 1 < argc && std::wcscmp(argv[i], L"--timeout") == 0) {
      timeout = static_cast<DWORD>(std::wcstoul(argv[i + 1], nullptr, 10)) * 1000;
      i += 2;
    } else {
      break;
    }
  }
  if (i >= argc) {
    std::fputs("usage: runner [--cwd FOLDER] [--timeout SECONDS] [--raw] PROGRAM [ARGUMENTS...]\n", stderr);
    return 2;
  }
  std::wstring line = QuoteArgument(argv[i]);
  for (int k = i + 1; k < argc; ++k) line += L' ' + (raw ? std::wstring(argv[k]) : QuoteArgument(argv[k]));

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(argv[i], line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &process)) {
    std::fprintf(stderr, "runner: cannot start %ls (error %lu)\n", argv[i], GetLastError());
    return 125;
  }
  CloseHandle(process.hThread);
  if (WaitForSingleObject(process.hProcess, timeout) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 0xDEAD);
    std::fprintf(stderr, "runner: %ls did not end in time\n", argv[i]);
    CloseHandle(process.hProcess);
    return 124;
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  std::printf("exit code: 0x%08lX (%lu)\n", code, code);
  std::fflush(stdout);
  return 0;
}
