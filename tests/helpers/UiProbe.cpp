#include "UiProbe.h"

#include <cstdio>

namespace lorent::test {
namespace {

struct FindState {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindDialogWindow(HWND window, LPARAM param) {
  auto* state = reinterpret_cast<FindState*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != state->processId || !::IsWindowVisible(window)) return TRUE;
  wchar_t name[64];
  if (::GetClassNameW(window, name, 64) && std::wstring(name) == L"#32770") {
    state->found = window;
    return FALSE;
  }
  return TRUE;
}

std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

BOOL CALLBACK CollectControl(HWND control, LPARAM param) {
  auto* info = reinterpret_cast<DialogInfo*>(param);
  if (::GetParent(control) != info->window) return TRUE;
  ControlInfo c;
  c.id = ::GetDlgCtrlID(control);
  wchar_t name[64];
  if (::GetClassNameW(control, name, 64)) c.className = name;
  c.text = WindowText(control);
  c.visible = ::IsWindowVisible(control) != FALSE;
  ::GetWindowRect(control, &c.rect);
  ::MapWindowPoints(nullptr, info->window, reinterpret_cast<POINT*>(&c.rect), 2);
  info->controls.push_back(c);
  return TRUE;
}

void AppendEscaped(std::wstring& out, const std::wstring& text) {
  for (wchar_t c : text) {
    if (c == L'\n') out += L"\\n";
    else if (c == L'\r') out += L"\\r";
    else out += c;
  }
}

}  // namespace

const ControlInfo* DialogInfo::Control(int id) const {
  for (const auto& c : controls)
    if (c.id == id) return &c;
  return nullptr;
}

HWND FindProcessDialog(DWORD processId, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    FindState state{processId, nullptr};
    ::EnumWindows(FindDialogWindow, reinterpret_cast<LPARAM>(&state));
    if (state.found) {
      // Let the dialog finish its initialisation (layout, centring).
      ::Sleep(200);
      return state.found;
    }
    if (::GetTickCount() - start > timeoutMs) return nullptr;
    ::Sleep(50);
  }
}

DialogInfo ReadDialog(HWND dialog) {
  DialogInfo info;
  info.window = dialog;
  info.caption = WindowText(dialog);
  ::GetWindowRect(dialog, &info.windowRect);
  RECT client{};
  ::GetClientRect(dialog, &client);
  info.client = {client.right - client.left, client.bottom - client.top};
  info.style = static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_STYLE));
  ::EnumChildWindows(dialog, CollectControl, reinterpret_cast<LPARAM>(&info));
  return info;
}

std::wstring DescribeDialog(const DialogInfo& info) {
  wchar_t line[256];
  std::wstring out;
  std::swprintf(line, 256, L"dialog style=0x%08lX window=%ld,%ld,%ld,%ld client=%ldx%ld caption=\"",
                info.style, info.windowRect.left, info.windowRect.top, info.windowRect.right - info.windowRect.left,
                info.windowRect.bottom - info.windowRect.top, info.client.cx, info.client.cy);
  out += line;
  AppendEscaped(out, info.caption);
  out += L"\"\n";
  for (const auto& c : info.controls) {
    std::swprintf(line, 256, L"control id=%d class=%ls visible=%d rect=%ld,%ld,%ld,%ld text=\"", c.id,
                  c.className.c_str(), c.visible ? 1 : 0, c.rect.left, c.rect.top, c.rect.right - c.rect.left,
                  c.rect.bottom - c.rect.top);
    out += line;
    AppendEscaped(out, c.text);
    out += L"\"\n";
  }
  return out;
}

void PressButton(HWND dialog, int id) { ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void PressKey(HWND dialog, UINT virtualKey) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  HWND target = dialog;
  if (::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &gui) && gui.hwndFocus) target = gui.hwndFocus;
  const UINT scan = ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
  ::PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16));
  ::PostMessageW(target, WM_KEYUP, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16) | (3LL << 30));
}

void PressAltF4(HWND dialog) {
  const UINT scan = ::MapVirtualKeyW(VK_F4, MAPVK_VK_TO_VSC);
  const LPARAM alt = 1LL << 29;
  ::PostMessageW(dialog, WM_SYSKEYDOWN, VK_F4, 1 | (static_cast<LPARAM>(scan) << 16) | alt);
  ::PostMessageW(dialog, WM_SYSKEYUP, VK_F4, 1 | (static_cast<LPARAM>(scan) << 16) | alt | (3LL << 30));
}

void CloseFromSystemMenu(HWND dialog) { ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') out.append(backslashes * 2 + 1, L'\\');
    else out.append(backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  out += L'"';
  return out;
}

std::wstring JoinArguments(int count, wchar_t** argv, int from) {
  std::wstring arguments;
  for (int k = from; k < count; ++k) {
    if (!arguments.empty()) arguments += L' ';
    arguments += QuoteArgument(argv[k]);
  }
  return arguments;
}

bool WriteUtf8(const std::wstring& path, const std::wstring& text) {
  const int size =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  if (path.empty()) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
    return true;
  }
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file) return false;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  return true;
}

HANDLE StartProgram(const std::wstring& program, const std::wstring& arguments, DWORD& processId) {
  std::wstring line = QuoteArgument(program);
  if (!arguments.empty()) line += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
    return nullptr;
  ::CloseHandle(process.hThread);
  processId = process.dwProcessId;
  return process.hProcess;
}

bool WaitExitCode(HANDLE process, DWORD timeoutMs, DWORD& exitCode) {
  if (::WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return false;
  return ::GetExitCodeProcess(process, &exitCode) != FALSE;
}

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.rfind(L'\\') + 1);
}

}  // namespace lorent::test
