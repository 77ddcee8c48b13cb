#include "checks/ManufacturerCheck.h"

#include <objbase.h>
#include <oleauto.h>
#include <wbemcli.h>

namespace lorent {

namespace {

// Process-wide cells. The query thread writes the answer before the known
// flag; a caller reads both only after the thread has ended.
bool g_bAnswerKnown = false;
bool g_bManufacturerAnswer = false;
// The thread a caller is waiting for; another caller waits on a duplicate.
HANDLE volatile g_hQueryThread = nullptr;

constexpr wchar_t kMaker[] = L"ZEKA Corporation";

// Published identifiers, defined here so no import library has to carry them.
constexpr CLSID kClsidWbemLocator = {0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
constexpr IID kIidWbemLocator = {0xDC12A687, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
constexpr IID kIidClientSecurity = {0x0000013D, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

HRESULT StatusFromLastError() {
  const DWORD error = ::GetLastError();
  return error == 0 ? S_OK : HRESULT_FROM_WIN32(error);
}

template <typename T>
void ReleaseAndClear(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

// A BSTR for the duration of one call.
class CBstr {
 public:
  explicit CBstr(const wchar_t* text) : value_(::SysAllocString(text)) {}
  ~CBstr() { ::SysFreeString(value_); }
  CBstr(const CBstr&) = delete;
  CBstr& operator=(const CBstr&) = delete;
  BSTR Get() const { return value_; }

 private:
  BSTR value_;
};

// 0 when the reported maker, with trailing spaces (U+0020 only) removed,
// equals kMaker exactly; 1 otherwise.
HRESULT CompareMaker(const VARIANT& value) {
  if (value.vt != VT_BSTR || !value.bstrVal) return 1;
  const UINT length = ::SysStringLen(value.bstrVal);
  auto* copy = static_cast<wchar_t*>(::LocalAlloc(LPTR, (length + 2) * sizeof(wchar_t)));
  if (!copy) return 1;
  ::CopyMemory(copy, value.bstrVal, length * sizeof(wchar_t));
  UINT end = length;
  while (end > 0 && copy[end - 1] == L' ') copy[--end] = 0;
  const HRESULT status = ::lstrcmpW(kMaker, copy) == 0 ? 0 : 1;
  ::LocalFree(copy);
  return status;
}

}  // namespace

HRESULT QueryManufacturer(IWbemServices* services) {
  if (!services) return E_POINTER;
  IEnumWbemClassObject* instances = nullptr;
  HRESULT status;
  {
    CBstr className(L"Win32_ComputerSystem");
    status = services->CreateInstanceEnum(className.Get(), WBEM_FLAG_SHALLOW, nullptr, &instances);
  }
  if (status != 0) return status;
  if (!instances) return 1;

  IWbemClassObject* computer = nullptr;
  ULONG returned = 0;
  status = instances->Next(static_cast<LONG>(WBEM_INFINITE), 1, &computer, &returned);
  if (status == 0 && returned != 1) status = 1;
  if (status == 0) {
    VARIANT value;
    ::VariantInit(&value);
    status = computer->Get(L"Manufacturer", 0, &value, nullptr, nullptr);
    if (status == 0) status = CompareMaker(value);
    ::VariantClear(&value);
  }
  ReleaseAndClear(computer);
  ReleaseAndClear(instances);
  return status;
}

DWORD WINAPI ManufacturerQueryThread(LPVOID) {
  if (FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 0;

  IWbemServices* services = nullptr;
  IWbemLocator* locator = nullptr;
  HRESULT status = ::CoCreateInstance(kClsidWbemLocator, nullptr, CLSCTX_INPROC_SERVER, kIidWbemLocator,
                                      reinterpret_cast<void**>(&locator));
  if (SUCCEEDED(status) && locator) {
    {
      CBstr space(L"\\\\.\\root\\CIMV2");
      status = locator->ConnectServer(space.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services);
    }
    if (SUCCEEDED(status) && services) {
      IClientSecurity* security = nullptr;
      if (SUCCEEDED(services->QueryInterface(kIidClientSecurity, reinterpret_cast<void**>(&security))) &&
          security) {
        security->SetBlanket(services, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CONNECT,
                             RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
        security->Release();
      }
    }
    ReleaseAndClear(locator);
  }
  if (FAILED(status) || !services) {
    ReleaseAndClear(services);
    ::CoUninitialize();
    return 0;
  }

  status = QueryManufacturer(services);
  if (status >= 0) {
    g_bManufacturerAnswer = status == 0;
    g_bAnswerKnown = true;
  }
  ReleaseAndClear(services);
  ::CoUninitialize();
  return 0;
}

bool CheckManufacturer() {
  if (g_bAnswerKnown) return g_bManufacturerAnswer;

  HRESULT status = S_OK;
  HANDLE thread = nullptr;
  if (HANDLE running = g_hQueryThread) {
    // A query is running for another caller: wait for that one.
    if (!::DuplicateHandle(::GetCurrentProcess(), running, ::GetCurrentProcess(), &thread, 0, FALSE,
                           DUPLICATE_SAME_ACCESS))
      thread = nullptr;
  } else {
    thread = ::CreateThread(nullptr, 0, ManufacturerQueryThread, nullptr, 0, nullptr);
    if (!thread) status = StatusFromLastError();
  }

  if (thread) {
    ::InterlockedCompareExchangePointer(&g_hQueryThread, thread, nullptr);
    status = ::WaitForSingleObject(thread, INFINITE) == WAIT_OBJECT_0 ? S_OK : StatusFromLastError();
    ::InterlockedCompareExchangePointer(&g_hQueryThread, nullptr, thread);
    ::CloseHandle(thread);
  }

  if (FAILED(status) || !g_bAnswerKnown) return false;
  return g_bManufacturerAnswer;
}

}  // namespace lorent
