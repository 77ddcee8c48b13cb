#include "app/RunState.h"

#include <new>

namespace lorent {

namespace {
CRunState g_runState;  // made before the program's entry point runs
}  // namespace

CRunState& TheRunState() { return g_runState; }

std::unique_ptr<CWorkerContext> MakeWorkerContext(HWND window) noexcept {
  return std::unique_ptr<CWorkerContext>(new (std::nothrow) CWorkerContext(window));
}

}  // namespace lorent
