// Reading and driving another process's dialog from a test: find its window
// by owning process id, read control texts and rectangles, press buttons,
// send keys and close it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace lorent::test {

struct ControlInfo {
  int id = 0;
  std::wstring className;
  std::wstring text;
  bool visible = false;
  RECT rect{};  // in the dialog's client coordinates, pixels
};

struct DialogInfo {
  HWND window = nullptr;
  std::wstring caption;
  RECT windowRect{};  // screen coordinates
  SIZE client{};      // pixels
  DWORD style = 0;
  std::vector<ControlInfo> controls;

  const ControlInfo* Control(int id) const;
};

// The first visible dialog (class #32770) owned by `processId`, waiting up to
// `timeoutMs` for it to appear; null when none did.
HWND FindProcessDialog(DWORD processId, DWORD timeoutMs);

DialogInfo ReadDialog(HWND dialog);

// Prints the dialog as text lines: one for the window, one per control.
std::wstring DescribeDialog(const DialogInfo& info);

// Actions, as a user would take them.
void PressButton(HWND dialog, int id);                  // BM_CLICK on the button
void PressKey(HWND dialog, UINT virtualKey);            // key down/up at the focused control
void PressAltF4(HWND dialog);                           // WM_SYSKEYDOWN F4 with Alt
void CloseFromSystemMenu(HWND dialog);                  // WM_SYSCOMMAND SC_CLOSE

// Starts a program; returns its process handle (null on failure) and id.
HANDLE StartProgram(const std::wstring& program, const std::wstring& arguments, DWORD& processId);

// Waits for the process to end; false when it did not end within `timeoutMs`.
bool WaitExitCode(HANDLE process, DWORD timeoutMs, DWORD& exitCode);

// Quotes a command-line argument for the C runtime's parser.
std::wstring QuoteArgument(const std::wstring& argument);

// The arguments argv[from] to argv[count - 1], quoted and joined by spaces.
std::wstring JoinArguments(int count, wchar_t** argv, int from);

// Writes the text as UTF-8 to the file, or to standard output when `path` is
// empty.
bool WriteUtf8(const std::wstring& path, const std::wstring& text);

// The folder of this program, ending in a backslash.
std::wstring OwnFolder();

}  // namespace lorent::test
