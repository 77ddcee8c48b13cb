// A thread of the program: its handle and identifier. The owner decides when
// it goes; the handle is closed then.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/Handle.h"

namespace lorent {

class CWinThread {
 public:
  // Starts `procedure(parameter)` suspended; null when the thread cannot be made.
  static std::unique_ptr<CWinThread> CreateSuspended(LPTHREAD_START_ROUTINE procedure, void* parameter) {
    std::unique_ptr<CWinThread> thread(new (std::nothrow) CWinThread);
    if (!thread) return nullptr;
    thread->m_hThread.Reset(::CreateThread(nullptr, 0, procedure, parameter, CREATE_SUSPENDED, &thread->m_nThreadID));
    if (!thread->m_hThread) return nullptr;
    return thread;
  }
  void Resume() const { ::ResumeThread(m_hThread.Get()); }
  HANDLE Handle() const { return m_hThread.Get(); }
  // Forgets the handle after closing it (the thread was stopped by force).
  void CloseHandle() { m_hThread.Reset(); }

 private:
  CWinThread() = default;
  UniqueHandle m_hThread;
  DWORD m_nThreadID = 0;
};

}  // namespace lorent
