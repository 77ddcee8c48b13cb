// One run on the worker thread: extraction, settings, digest test, checks,
// the after-install message, the launch and the removal.
#pragma once

#include <windows.h>

#include <string>

#include "app/RunState.h"

namespace lorent {

// The worker thread's procedure; the parameter is the CWorkerContext. Posts
// WM_CLOSE to the window as its last act. Returns 0.
DWORD WINAPI WorkerThreadProc(LPVOID parameter);

// The run after the extraction. Returns true.
bool RunPackage(CWorkerContext* context, const std::wstring& commandLine);

// True when the update agent asks for a silent run; otherwise reads the
// message flags of MessageSetting.ini into the context and returns false.
bool LoadMessageSettings(CWorkerContext* context);

// The pause between the extraction and the rest of the run, in milliseconds.
inline constexpr DWORD kPauseAfterExtraction = 1000;

}  // namespace lorent
