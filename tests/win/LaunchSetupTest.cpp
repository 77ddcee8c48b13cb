// Starting the setup launcher without a window: the parameter strings it gets
// (recorded by the recording launcher standing in for it) and the exit code
// recorded through the reference launcher.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/RunState.h"
#include "framework/Handle.h"
#include "framework/Utf.h"
#include "framework/WinText.h"
#include "launch/LaunchSetup.h"
#include "launcher/LaunchRequest.h"

using namespace lorent;

namespace {

// The build folder as Windows sees it, from the test's environment.
std::wstring BuildFolder() {
  wchar_t buffer[1024] = {};
  GetEnvironmentVariableW(L"LORENT_WIN_BUILD_DIR", buffer, 1024);
  std::wstring folder(buffer);
  for (auto& c : folder) c = c == L'/' ? L'\\' : c;
  return folder;
}

class LaunchSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    work_ = std::wstring(temp) + L"lorent launch {run}\\";
    CreateDirectoryW(work_.c_str(), nullptr);
    record_ = work_ + L"record.txt";
    DeleteFileW(record_.c_str());
    SetEnvironmentVariableW(L"LORENT_RECORD", record_.c_str());
    SetEnvironmentVariableW(L"LORENT_RECORD_EXIT", nullptr);
    context_ = MakeWorkerContext(nullptr);
    context_->strWorkFolder = work_;
    TheRunState().m_nSetupExitCode = 0;
  }
  void TearDown() override {
    for (const wchar_t* name : {L"UpdateModuleSetup.exe", L"setup.exe", L"setup.bat", L"readme.txt", L"record.txt"})
      DeleteFileW((work_ + name).c_str());
    RemoveDirectoryW(work_.c_str());
    CoUninitialize();
  }

  void InstallLauncher(const wchar_t* helper) {
    ASSERT_TRUE(CopyFileW((BuildFolder() + helper).c_str(), (work_ + L"UpdateModuleSetup.exe").c_str(), FALSE))
        << "missing " << Utf16ToUtf8Lossy(AsU16(BuildFolder() + helper));
  }

  // The launcher parameter string that the recording launcher received.
  std::wstring RecordedParameters() {
    std::ifstream in(std::filesystem::path(record_), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string all = text.str();
    const size_t start = all.find("cmdline=");
    const size_t end = all.find("\r\n", start);
    if (start == std::string::npos) return L"(nothing recorded)";
    const auto line = Utf8ToUtf16(all.substr(start + 8, end - start - 8)).value_or(u"");
    return std::wstring(AsWide(launcher::ParameterString(line)));
  }

  std::wstring work_;
  std::wstring record_;
  std::unique_ptr<CWorkerContext> context_;
};

TEST_F(LaunchSetupTest, ProgramTargetGetsYesAndThePathUnquoted) {
  InstallLauncher(L"\\tests\\helpers\\recordlauncher.exe");
  SetEnvironmentVariableW(L"LORENT_RECORD_EXIT", L"7");
  ASSERT_TRUE(LaunchSetup(context_.get(), work_ + L"setup.EXE", L"/manual -s "));
  EXPECT_EQ(RecordedParameters(), L"Yes|" + work_ + L"setup.EXE|/manual -s");
  EXPECT_EQ(TheRunState().m_nSetupExitCode, 7);

  DeleteFileW(record_.c_str());
  ASSERT_TRUE(LaunchSetup(context_.get(), work_ + L"setup.exe", L""));
  EXPECT_EQ(RecordedParameters(), L"Yes|" + work_ + L"setup.exe");
}

TEST_F(LaunchSetupTest, BatchTargetRunsThroughCmd) {
  InstallLauncher(L"\\tests\\helpers\\recordlauncher.exe");
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  ASSERT_TRUE(LaunchSetup(context_.get(), work_ + L"setup.bat", L"/quiet "));
  EXPECT_EQ(RecordedParameters(),
            L"No|" + std::wstring(system) + L"\\cmd.exe|/c \"" + work_ + L"setup.bat\" /quiet");
  DeleteFileW(record_.c_str());
  ASSERT_TRUE(LaunchSetup(context_.get(), work_ + L"setup.bat", L""));
  EXPECT_EQ(RecordedParameters(), L"No|" + std::wstring(system) + L"\\cmd.exe|/c \"" + work_ + L"setup.bat\"");
}

TEST_F(LaunchSetupTest, RegisteredTypeUsesItsOpenCommand) {
  InstallLauncher(L"\\tests\\helpers\\recordlauncher.exe");
  // .txt opens with a quoted program and a quoted placeholder.
  UniqueKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L".txt", 0, nullptr, 0, KEY_WRITE, nullptr,
                            key.Put(), nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"txtfile"), 16);
  key.Reset();
  std::wstring program;
  std::wstring arguments;
  LookUpOpenCommand(work_ + L"readme.txt", program, arguments);
  ASSERT_FALSE(program.empty());
  ASSERT_EQ(program.front(), L'"') << "the registered command quotes its program";

  ASSERT_TRUE(LaunchSetup(context_.get(), work_ + L"readme.txt", L"/manual "));
  EXPECT_EQ(RecordedParameters(), L"No|" + program + L"|\"" + work_ + L"readme.txt\" /manual");
  RegDeleteKeyW(HKEY_CLASSES_ROOT, L".txt");
}

TEST_F(LaunchSetupTest, OpenCommandLookupFallsBackToThePath) {
  // A switch, an environment reference in the program and one in the switch.
  UniqueKey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L".lorenttest", 0, nullptr, 0, KEY_WRITE,
                            nullptr, key.Put(), nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"LorentTest.Doc"), 30);
  key.Reset();
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L"LorentTest.Doc\\shell\\open\\command", 0,
                            nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr),
            ERROR_SUCCESS);
  const wchar_t command[] = L"\"%SystemRoot%\\viewer.exe\" /dir:%TEMP% \"%1\"";
  RegSetValueExW(key.Get(), nullptr, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(command), sizeof command);
  key.Reset();

  wchar_t root[MAX_PATH];
  GetEnvironmentVariableW(L"SystemRoot", root, MAX_PATH);
  std::wstring program;
  std::wstring arguments;
  LookUpOpenCommand(L"C:\\W\\doc.lorenttest", program, arguments);
  EXPECT_EQ(program, L"\"" + std::wstring(root) + L"\\viewer.exe\"");
  EXPECT_EQ(arguments, L"/dir:%TEMP% \"C:\\W\\doc.lorenttest\"");

  for (const wchar_t* path : {L"C:\\W\\noextension", L"C:\\W.d\\file", L"C:\\W\\file.unregistered-type"}) {
    program = L"old";
    arguments = L"kept";
    LookUpOpenCommand(path, program, arguments);
    EXPECT_EQ(program, path);
    EXPECT_EQ(arguments, L"kept");
  }
  // A class registered without an open command.
  RegDeleteKeyW(HKEY_CLASSES_ROOT, L"LorentTest.Doc\\shell\\open\\command");
  LookUpOpenCommand(L"C:\\W\\doc.lorenttest", program, arguments);
  EXPECT_EQ(program, L"C:\\W\\doc.lorenttest");
  RegDeleteKeyW(HKEY_CLASSES_ROOT, L"LorentTest.Doc\\shell\\open");
  RegDeleteKeyW(HKEY_CLASSES_ROOT, L"LorentTest.Doc\\shell");
  RegDeleteKeyW(HKEY_CLASSES_ROOT, L"LorentTest.Doc");
  RegDeleteKeyW(HKEY_CLASSES_ROOT, L".lorenttest");
}

TEST_F(LaunchSetupTest, ReferenceLauncherHandsBackTheFullExitCode) {
  InstallLauncher(L"\\launcher\\UpdateModuleSetup.exe");
  ASSERT_TRUE(CopyFileW((BuildFolder() + L"\\tests\\helpers\\recordlauncher.exe").c_str(),
                        (work_ + L"setup.exe").c_str(), FALSE));
  for (const auto& [text, code] : {std::pair{L"3010", 3010}, std::pair{L"0", 0}, std::pair{L"0x80070643", static_cast<int>(0x80070643)},
                                   std::pair{L"0xFFFFFFFF", -1}}) {
    SetEnvironmentVariableW(L"LORENT_RECORD_EXIT", text);
    TheRunState().m_nSetupExitCode = 12345;
    ASSERT_TRUE(LaunchSetup(context_.get(), work_ + L"setup.exe", L"/manual "));
    EXPECT_EQ(TheRunState().m_nSetupExitCode, code) << Utf16ToUtf8Lossy(AsU16(text));
  }
  // The target saw its folder and the mode parameter.
  std::ifstream in{std::filesystem::path(record_)};
  std::stringstream recorded;
  recorded << in.rdbuf();
  EXPECT_NE(recorded.str().find("setup.exe\" /manual"), std::string::npos) << recorded.str();
}

TEST_F(LaunchSetupTest, MissingLauncherIsAFailedStartThatKeepsTheExitCode) {
  TheRunState().m_nSetupExitCode = 42;
  EXPECT_FALSE(LaunchSetup(context_.get(), work_ + L"setup.exe", L""));
  EXPECT_EQ(TheRunState().m_nSetupExitCode, 42);
}

}  // namespace
