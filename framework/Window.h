// A window seen through its handle. Owns nothing: the window belongs to
// whoever created it, and this wrapper only names the calls made on it.
#pragma once

#include <windows.h>

#include <string>

namespace lorent {

class CWindow {
 public:
  CWindow() = default;
  explicit CWindow(HWND window) : m_hWnd(window) {}

  HWND GetSafeHwnd() const { return m_hWnd; }
  explicit operator bool() const { return m_hWnd != nullptr; }

  CWindow Item(int id) const { return CWindow(::GetDlgItem(m_hWnd, id)); }

  void SetText(const std::wstring& text) const { ::SetWindowTextW(m_hWnd, text.c_str()); }
  void Show(bool show) const { ::ShowWindow(m_hWnd, show ? SW_SHOW : SW_HIDE); }
  void Move(int x, int y, int width, int height, bool repaint = true) const {
    ::MoveWindow(m_hWnd, x, y, width, height, repaint ? TRUE : FALSE);
  }
  void SetFont(HFONT font, bool redraw = true) const {
    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
  }
  void Invalidate(bool erase = true) const { ::InvalidateRect(m_hWnd, nullptr, erase ? TRUE : FALSE); }
  RECT WindowRect() const {
    RECT rect{};
    ::GetWindowRect(m_hWnd, &rect);
    return rect;
  }

  // Centres the window over its owner when the owner is visible, else over
  // the work area of the window's monitor, keeping it inside that work area.
  void CenterWindow() const;

 protected:
  HWND m_hWnd = nullptr;
};

}  // namespace lorent
