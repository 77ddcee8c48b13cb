#include "app/RunState.h"

#include <new>

namespace lorent {

CRunState& TheRunState() {
  static CRunState state;
  return state;
}

std::unique_ptr<CWorkerContext> MakeWorkerContext(HWND window) noexcept {
  return std::unique_ptr<CWorkerContext>(new (std::nothrow) CWorkerContext(window));
}

}  // namespace lorent
