// The computer-maker check through WMI. Runs through tests/win/fake-maker.sh,
// which fakes the maker that Wine's WMI reports.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <wbemcli.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "checks/ManufacturerCheck.h"

using namespace lorent;

namespace {

const char* Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::wstring Widen(const char* text) {
  std::wstring wide;
  for (; *text; ++text) wide += static_cast<wchar_t>(*text);
  return wide;
}

// Rewrites the faked maker (the file behind /sys/class/dmi/id/sys_vendor).
void FakeMaker(const std::wstring& maker) {
  const std::wstring path = Widen(Env("LORENT_FAKE_VENDOR_FILE"));
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  std::string bytes(maker.begin(), maker.end());
  bytes += '\n';
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

// A WMI connection of the test's own, to see what the check sees.
class WmiConnection {
 public:
  WmiConnection() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IWbemLocator* locator = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                reinterpret_cast<void**>(&locator))))
      return;
    BSTR space = SysAllocString(L"\\\\.\\root\\CIMV2");
    locator->ConnectServer(space, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services_);
    SysFreeString(space);
    locator->Release();
  }
  ~WmiConnection() {
    if (services_) services_->Release();
    CoUninitialize();
  }
  IWbemServices* Get() const { return services_; }

  // The Manufacturer text exactly as WMI reports it.
  std::wstring RawMaker() const {
    std::wstring maker = L"<none>";
    IEnumWbemClassObject* instances = nullptr;
    BSTR name = SysAllocString(L"Win32_ComputerSystem");
    services_->CreateInstanceEnum(name, WBEM_FLAG_SHALLOW, nullptr, &instances);
    SysFreeString(name);
    if (!instances) return maker;
    IWbemClassObject* computer = nullptr;
    ULONG returned = 0;
    if (instances->Next(static_cast<LONG>(WBEM_INFINITE), 1, &computer, &returned) == 0 && returned == 1) {
      VARIANT value;
      VariantInit(&value);
      if (computer->Get(L"Manufacturer", 0, &value, nullptr, nullptr) == 0 && value.vt == VT_BSTR)
        maker.assign(value.bstrVal, SysStringLen(value.bstrVal));
      VariantClear(&value);
      computer->Release();
    }
    instances->Release();
    return maker;
  }

 private:
  IWbemServices* services_ = nullptr;
};

TEST(QueryManufacturer, NeedsAConnection) { EXPECT_EQ(QueryManufacturer(nullptr), E_POINTER); }

// The first answer is the expected one, and it is kept: after the maker has
// changed (and WMI reports the change), the check still gives the first answer.
TEST(CheckManufacturer, AnswersOnceAndRemembers) {
  const std::string expect = Env("LORENT_EXPECT_MAKER");
  ASSERT_TRUE(expect == "true" || expect == "false") << "run through tests/win/fake-maker.sh";
  const bool first = CheckManufacturer();
  EXPECT_EQ(first, expect == "true");

  WmiConnection wmi;
  ASSERT_NE(wmi.Get(), nullptr);
  if (*Env("LORENT_FAKE_VENDOR_FILE")) {
    FakeMaker(first ? L"Some Other Maker" : L"ZEKA Corporation");
    EXPECT_EQ(QueryManufacturer(wmi.Get()), first ? 1 : 0) << "WMI did not see the changed maker";
  } else {
    // Unfaked: a definite mismatch, not a failed query.
    EXPECT_EQ(QueryManufacturer(wmi.Get()), 1) << testing::PrintToString(wmi.RawMaker());
  }
  EXPECT_EQ(CheckManufacturer(), first);
}

// Without WMI (win.maker.no_wmi disables Wine's wbemprox) the check fails
// closed, and as nothing definite was learnt, it asks again next time.
TEST(CheckManufacturerWithoutWmi, GivesFalse) {
  if (std::string(Env("LORENT_EXPECT_MAKER")) != "no-wmi") GTEST_SKIP() << "run as win.maker.no_wmi";
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  IWbemLocator* locator = nullptr;
  const HRESULT created = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                           reinterpret_cast<void**>(&locator));
  if (locator) locator->Release();
  CoUninitialize();
  ASSERT_TRUE(FAILED(created)) << "WMI is still there";
  EXPECT_FALSE(CheckManufacturer());
  EXPECT_FALSE(CheckManufacturer());
}

// Each maker text as WMI hands it over, and the query's status for it.
TEST(QueryManufacturer, ComparesTheTrimmedMakerExactly) {
  if (!*Env("LORENT_FAKE_VENDOR_FILE")) GTEST_SKIP() << "needs a faked maker";
  struct Case {
    const wchar_t* maker;
    HRESULT status;
  } cases[] = {
      {L"ZEKA Corporation", 0},
      {L"ZEKA Corporation    ", 0},   // trailing spaces are ignored
      {L"zeka corporation", 1},       // letter case counts
      {L"ZEKA CORPORATION", 1},
      {L" ZEKA Corporation", 1},      // leading spaces stay
      {L"ZEKA Corporation\t", 1},     // only spaces are trimmed
      {L"ZEKA Corporation Ltd", 1},
      {L"ZEKA", 1},
  };
  WmiConnection wmi;
  ASSERT_NE(wmi.Get(), nullptr);
  const std::wstring original = wmi.RawMaker();
  for (const Case& c : cases) {
    FakeMaker(c.maker);
    EXPECT_EQ(wmi.RawMaker(), c.maker) << "Wine changed the faked text";
    EXPECT_EQ(QueryManufacturer(wmi.Get()), c.status) << testing::PrintToString(std::wstring(c.maker));
  }
  FakeMaker(original);
  EXPECT_EQ(wmi.RawMaker(), original);
}

}  // namespace
