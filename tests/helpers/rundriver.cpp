// rundriver.exe [--timeout S] [--step STEP]... -- PROGRAM [ARGUMENTS...]
//
// Drives a whole run of PROGRAM: starts it, then handles its windows one step
// at a time as they appear, and finally prints
//   exit code: 0x00000BC2 (3010)
//   run time: 2345 ms
// A step is a list of KEY=VALUE items separated by ";":
//   caption=TEXT   the window's caption is exactly TEXT
//   has=ID         the window has a control with this identifier
//   not=ID         the window has no control with this identifier
//   new=1          the window was not matched by an earlier step
//   sized=1        the window's client area is not empty
//   hidden=1       hidden windows count too
//   dump=FILE      write the window's description to FILE (UTF-8), followed by
//                  one "other" line per further visible window of the process
//   ready=FILE     create FILE once the window has been read...
//   go=FILE        ...then wait until FILE exists (the Linux side takes a
//                  screenshot meanwhile)
//   act=ACTIONS    then act, ACTIONS joined by "+": click:ID, key:VK (decimal),
//                  root:ID (selects the first item of a tree view), altf4,
//                  close (system menu), help (F1), wmclose, none
//   pause=MS       wait this long after acting
// Only top-level dialogs (class #32770) of the process are matched, visible
// ones unless the step says hidden=1.
// Exit code: 0 when every step found its window and the program ended; 3 when
// a step found no window (its number is printed, the program is ended); 4
// when the program did not end; 125 when it could not be started.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "UiProbe.h"

using namespace lorent::test;

namespace {

struct Step {
  std::wstring caption, dump, ready, go, act;
  int has = 0, hasNot = 0;
  bool hasSet = false, hasNotSet = false, isNew = false, hidden = false, sized = false, captionSet = false;
  DWORD pause = 0;
};

Step ParseStep(const std::wstring& text) {
  Step step;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find(L';', pos);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring item = text.substr(pos, end - pos);
    const size_t eq = item.find(L'=');
    if (eq != std::wstring::npos) {
      const std::wstring key = item.substr(0, eq), value = item.substr(eq + 1);
      if (key == L"caption") step.caption = value, step.captionSet = true;
      else if (key == L"has") step.has = std::wcstol(value.c_str(), nullptr, 10), step.hasSet = true;
      else if (key == L"not") step.hasNot = std::wcstol(value.c_str(), nullptr, 10), step.hasNotSet = true;
      else if (key == L"new") step.isNew = value == L"1";
      else if (key == L"hidden") step.hidden = value == L"1";
      else if (key == L"sized") step.sized = value == L"1";
      else if (key == L"dump") step.dump = value;
      else if (key == L"ready") step.ready = value;
      else if (key == L"go") step.go = value;
      else if (key == L"act") step.act = value;
      else if (key == L"pause") step.pause = std::wcstoul(value.c_str(), nullptr, 10);
    }
    pos = end + 1;
  }
  return step;
}

struct Collect {
  DWORD processId;
  bool hidden;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
  auto* collect = reinterpret_cast<Collect*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  wchar_t name[64];
  if (owner == collect->processId && (collect->hidden || ::IsWindowVisible(window)) && ::GetClassNameW(window, name, 64) &&
      std::wstring(name) == L"#32770")
    collect->windows.push_back(window);
  return TRUE;
}

std::vector<HWND> ProcessDialogs(DWORD processId, bool hidden = false) {
  Collect collect{processId, hidden, {}};
  ::EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&collect));
  return collect.windows;
}

bool Matches(const Step& step, HWND window, const std::set<HWND>& seen) {
  if (step.isNew && seen.count(window)) return false;
  const DialogInfo info = ReadDialog(window);
  if (step.captionSet && info.caption != step.caption) return false;
  if (step.sized && (info.client.cx <= 0 || info.client.cy <= 0)) return false;
  if (step.hasSet && !info.Control(step.has)) return false;
  if (step.hasNotSet && info.Control(step.hasNot)) return false;
  return true;
}

void Act(HWND window, const std::wstring& actions) {
  size_t pos = 0;
  while (pos < actions.size()) {
    size_t end = actions.find(L'+', pos);
    if (end == std::wstring::npos) end = actions.size();
    const std::wstring a = actions.substr(pos, end - pos);
    if (a.rfind(L"click:", 0) == 0) PressButton(window, std::wcstol(a.c_str() + 6, nullptr, 10));
    else if (a.rfind(L"key:", 0) == 0) PressKey(window, static_cast<UINT>(std::wcstoul(a.c_str() + 4, nullptr, 10)));
    else if (a.rfind(L"root:", 0) == 0) {
      const HWND tree = ::GetDlgItem(window, static_cast<int>(std::wcstol(a.c_str() + 5, nullptr, 10)));
      ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    } else if (a == L"altf4") PressAltF4(window);
    else if (a == L"close") CloseFromSystemMenu(window);
    else if (a == L"help") ::PostMessageW(window, WM_KEYDOWN, VK_F1, 0), ::PostMessageW(window, WM_KEYUP, VK_F1, 0);
    else if (a == L"wmclose") ::PostMessageW(window, WM_CLOSE, 0, 0);
    ::Sleep(50);  // one action at a time, as a user would
    pos = end + 1;
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<Step> steps;
  DWORD timeout = 60000;
  int i = 1;
  for (; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--") {
      ++i;
      break;
    }
    if (i + 1 >= argc) break;
    if (arg == L"--step") steps.push_back(ParseStep(argv[++i]));
    else if (arg == L"--timeout") timeout = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10)) * 1000;
    else break;
  }
  if (i >= argc) {
    std::fputs("usage: rundriver [--timeout S] [--step STEP]... -- PROGRAM [ARGS...]\n", stderr);
    return 2;
  }
  const std::wstring arguments = JoinArguments(argc, argv, i + 1);
  DWORD processId = 0;
  const DWORD started = ::GetTickCount();
  const HANDLE process = StartProgram(argv[i], arguments, processId);
  if (!process) {
    std::fprintf(stderr, "rundriver: cannot start %ls (error %lu)\n", argv[i], ::GetLastError());
    return 125;
  }

  std::set<HWND> seen;
  for (size_t n = 0; n < steps.size(); ++n) {
    const Step& step = steps[n];
    HWND found = nullptr;
    const DWORD start = ::GetTickCount();
    while (!found && ::GetTickCount() - start < timeout) {
      for (HWND window : ProcessDialogs(processId, step.hidden)) {
        if (Matches(step, window, seen)) {
          found = window;
          break;
        }
      }
      if (!found) ::Sleep(30);
    }
    if (!found) {
      std::fprintf(stderr, "rundriver: step %zu found no window\n", n + 1);
      ::TerminateProcess(process, 0xDEAD);
      return 3;
    }
    seen.insert(found);
    ::Sleep(200);  // let the window finish its layout and painting
    if (!step.dump.empty()) {
      std::wstring text = DescribeDialog(ReadDialog(found));
      for (HWND other : ProcessDialogs(processId)) {
        if (other == found) continue;
        const DialogInfo info = ReadDialog(other);
        wchar_t line[128];
        std::swprintf(line, 128, L"other client=%ldx%ld caption=\"", info.client.cx, info.client.cy);
        text += line + info.caption + L"\"\n";
      }
      WriteUtf8(step.dump, text);
    }
    if (!step.ready.empty()) WriteUtf8(step.ready, L"ready\n");
    if (!step.go.empty()) {
      const DWORD wait = ::GetTickCount();
      while (::GetFileAttributesW(step.go.c_str()) == INVALID_FILE_ATTRIBUTES && ::GetTickCount() - wait < timeout)
        ::Sleep(30);
    }
    Act(found, step.act);
    if (step.pause) ::Sleep(step.pause);
  }

  DWORD code = 0;
  if (!WaitExitCode(process, timeout, code)) {
    ::TerminateProcess(process, 0xDEAD);
    std::fprintf(stderr, "rundriver: the program did not end\n");
    return 4;
  }
  std::printf("exit code: 0x%08lX (%lu)\nrun time: %lu ms\n", code, code, ::GetTickCount() - started);
  std::fflush(stdout);
  return 0;
}
