#include "package/FileOpInterface.h"

namespace lorent {

namespace {

constexpr IID kIidFileOperationProgressSink = {
    0x04B0F1A7, 0x9490, 0x44BC, {0x96, 0xE1, 0x42, 0x96, 0xA3, 0x12, 0x52, 0xE2}};

}  // namespace

IFACEMETHODIMP CFileOpInterface::QueryInterface(REFIID riid, void** ppv) {
  // One interface, at the object's start; IUnknown is answered with it too.
  if (!ppv) return E_POINTER;
  if (IsEqualIID(riid, kIidFileOperationProgressSink) || IsEqualIID(riid, IID_IUnknown)) {
    *ppv = static_cast<IFileOperationProgressSink*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

IFACEMETHODIMP_(ULONG) CFileOpInterface::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_cRef)); }

IFACEMETHODIMP_(ULONG) CFileOpInterface::Release() {
  const LONG count = ::InterlockedDecrement(&m_cRef);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

}  // namespace lorent
