// The progress window: the run's only window. It starts the worker thread,
// then only reacts to the worker's messages, its two timers and WM_CLOSE.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/RunState.h"
#include "framework/Dialog.h"
#include "framework/Thread.h"

namespace lorent {

class CLorentDlg : public CDialog {
 public:
  // The progress bar: keys do nothing on it.
  class CMyProgress : public CWindow {
   public:
    void Attach(HWND window);

   private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
  };

  CLorentDlg();
  ~CLorentDlg() override;

  HICON m_hIcon = nullptr;
  std::wstring m_strProductName;
  std::wstring m_strWorkFolder;
  bool m_bShowMessage = false;
  bool m_bOkOnly = false;
  CMyProgress m_progress;
  std::wstring m_strWatchedPath;
  UINT_PTR m_nStepTimer = 0;
  UINT_PTR m_nWatchTimer = 0;
  CWorkerContext* m_pContext = nullptr;

  // The window's side of the worker's messages.
  void LayoutWindow();
  void WatchProcess();
  void ShowResultBox();
  bool ShowAfterInstallMessage();

  static constexpr UINT_PTR kStepTimer = 45;
  static constexpr UINT_PTR kWatchTimer = 1;

 protected:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL OnInitDialog() override;
  // Enter and Escape do nothing.
  void OnOK() override {}
  void OnCancel() override {}

 private:
  INT_PTR Reply(LRESULT value);
  void OnTimer(UINT_PTR id);
  void OnClose();
  void OnPaint();
  void ShowWarning(WPARAM code, const wchar_t* drive);
  // Moves the window to the middle of the primary screen with this size.
  void CentreWindow(int width, int height);

  std::unique_ptr<CWorkerContext> m_context;  // m_pContext points here
  std::unique_ptr<CWinThread> m_thread;        // the worker; m_context->pThread points here
};

}  // namespace lorent
