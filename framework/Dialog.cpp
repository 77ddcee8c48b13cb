#include "framework/Dialog.h"

namespace lorent {

INT_PTR CDialog::DoModal(HWND owner) {
  return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nTemplateId), owner, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      const RECT before = Window().WindowRect();
      const BOOL result = OnInitDialog();
      const RECT after = Window().WindowRect();
      if (before.left == after.left && before.top == after.top) Window().CenterWindow();
      return result;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) break;
      if (LOWORD(wParam) == IDOK) {
        OnOK();
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        OnCancel();
        return TRUE;
      }
      break;
  }
  return FALSE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lParam);
    ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->m_hWnd = window;
  } else {
    self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    // Messages before WM_INITDIALOG (WM_SETFONT, WM_NCCREATE...) get the default.
    if (!self) return FALSE;
  }
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, DWLP_USER, 0);
    self->m_hWnd = nullptr;
    return FALSE;
  }
  // The stub's code throws no exceptions (it is built without them), so none
  // can unwind through the dialog manager.
  return self->OnMessage(message, wParam, lParam);
}

}  // namespace lorent
