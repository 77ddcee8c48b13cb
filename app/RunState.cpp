#include "app/RunState.h"

#include <new>

namespace lorent {

std::unique_ptr<CWorkerContext> MakeWorkerContext(HWND window) noexcept {
  return std::unique_ptr<CWorkerContext>(new (std::nothrow) CWorkerContext(window));
}

}  // namespace lorent
