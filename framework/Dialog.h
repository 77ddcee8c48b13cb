// Modal dialogs from templates in the program's resources.
//
// DoModal runs the dialog with DialogBoxParamW. The dialog procedure keeps
// `this` in DWLP_USER from WM_INITDIALOG on and hands every message to the
// virtual OnMessage, which a dialog overrides with a plain switch and ends with
// a call of CDialog::OnMessage for the messages it leaves alone. The window
// itself is reached through Window() (a dialog holds its handle rather than
// deriving from the wrapper, which keeps the class layout simple).
#pragma once

#include <windows.h>

#include "framework/Window.h"

namespace lorent {

class CDialog {
 public:
  explicit CDialog(UINT templateId) : m_nTemplateId(templateId) {}
  virtual ~CDialog() = default;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Shows the dialog and returns the code it was ended with, or -1 when it
  // could not be created. `owner` may be null.
  INT_PTR DoModal(HWND owner = nullptr);

  // Null until WM_INITDIALOG and after the window is gone.
  HWND GetSafeHwnd() const { return m_hWnd; }
  CWindow Window() const { return CWindow(m_hWnd); }
  CWindow Item(int id) const { return Window().Item(id); }

 protected:
  // Returns what a dialog procedure returns: FALSE leaves the message to the
  // dialog manager's default handling; for messages that answer with a value
  // other than through DWLP_MSGRESULT (WM_INITDIALOG, WM_CTLCOLOR*), the value.
  // The default: WM_INITDIALOG calls OnInitDialog and then centres a dialog
  // that did not move; IDOK and IDCANCEL call OnOK and OnCancel.
  virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Returns TRUE to let the dialog manager set the focus.
  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

  void EndDialog(INT_PTR result) const { ::EndDialog(m_hWnd, result); }

  HWND m_hWnd = nullptr;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  UINT m_nTemplateId;
};

}  // namespace lorent
