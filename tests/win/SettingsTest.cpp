// The settings readers and the setting-value cipher in a working folder, with
// settings files made by the packer's own code.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/RunState.h"
#include "framework/Handle.h"
#include "framework/Utf.h"
#include "framework/WinText.h"
#include "pack/Description.h"
#include "pack/Settings.h"
#include "settings/Md5.h"
#include "settings/SettingCipher.h"
#include "settings/SettingsFile.h"
#include "settings/ValueCipher.h"

using namespace lorent;

namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string text = Utf8ToUtf16(utf8).value_or(u"?");
  return std::wstring(AsWide(text));
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(file);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"lorent-settings-" +
              Wide(::testing::UnitTest::GetInstance()->current_test_info()->name()) + L"\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    context_ = MakeWorkerContext(nullptr);
    context_->strWorkFolder = folder_;
    launcherBytes_ = std::string(100000, 'L') + "launcher";
    WriteBytes(folder_ + L"UpdateModuleSetup.exe", launcherBytes_);
    WriteBytes(folder_ + L"setup.exe", "packaged setup");
  }
  void TearDown() override {
    context_.reset();
    WIN32_FIND_DATAW data;
    UniqueFind find(FindFirstFileW((folder_ + L"*").c_str(), &data));
    if (find) {
      do {
        DeleteFileW((folder_ + data.cFileName).c_str());
      } while (FindNextFileW(find.Get(), &data));
    }
    find.Reset();
    RemoveDirectoryW(folder_.c_str());
  }

  // The settings files as `lorent-pack build` makes them, written into the
  // working folder.
  void Pack(const std::string& sections, uint32_t codePage = pack::kAsciiCodePage) {
    pack::PackageDescription description;
    std::string error;
    const std::string text = "[files]\nUpdateModuleSetup.exe = UpdateModuleSetup.exe\nsetup.exe = setup.exe\n" + sections;
    ASSERT_TRUE(pack::ParseDescription(text, std::filesystem::path(folder_), {}, "test", description, error)) << error;
    description.codePage = codePage;
    ASSERT_TRUE(pack::PrepareSettings(description, error)) << error;
    for (const auto& file : description.groups[0].files)
      if (file.generated) WriteBytes(folder_ + std::wstring(AsWide(file.name)), file.content);
  }

  std::wstring Read(const wchar_t* key, std::wstring value = L"(unchanged)") {
    ReadParamOption(*context_, key, AssistFilePath(*context_), value);
    return value;
  }

  std::wstring folder_;
  std::unique_ptr<CWorkerContext> context_;
  std::string launcherBytes_;
};

TEST_F(Settings, PackerValuesReadBackInTheStub) {
  const size_t lengths[] = {0, 1, 15, 16, 17, 32, kMaxPlainBytes};
  std::string sections = "[AssistFile.ini]\nExecuteFileName = setup.exe\n";
  std::vector<std::string> plains;
  for (size_t n : lengths) {
    std::string plain;
    for (size_t i = 0; i < n; ++i) plain += static_cast<char>('!' + (i * 7) % 94);
    plain.erase(0, plain.find_first_not_of(' '));
    while (plain.size() < n) plain += 'x';
    if (!plain.empty() && (plain.front() == '"' || plain.back() == '"')) plain.front() = plain.back() = 'q';
    plains.push_back(plain);
    sections += "Value" + std::to_string(n) + " = " + plain + "\n";
  }
  sections += "[MessageSetting.ini]\nIsShowMessageBox = 1\nIsOk = 1\n";
  Pack(sections);

  for (size_t i = 0; i < plains.size(); ++i) {
    const std::wstring key = L"Value" + std::to_wstring(lengths[i]);
    EXPECT_EQ(Read(key.c_str()), Wide(plains[i])) << lengths[i];
  }
  EXPECT_EQ(Read(L"ExecuteFileName"), L"setup.exe");
  EXPECT_EQ(Read(L"enc_data"), CMD5Checksum::FileDigestText(folder_ + L"setup.exe"));
  std::wstring show;
  EXPECT_TRUE(ReadSetting(*context_, L"IsShowMessageBox", MessageSettingPath(*context_), show));
  EXPECT_EQ(show, L"1");
  // Key names ignore case, as the profile function matches them.
  EXPECT_EQ(Read(L"executefilename"), L"setup.exe");
  // The key text is the launcher's digest.
  CMD5Checksum md5;
  md5.Update(launcherBytes_.data(), launcherBytes_.size());
  uint8_t digest[16];
  md5.Final(digest);
  EXPECT_EQ(context_->strKeyText, Wide(CMD5Checksum::DigestText(digest)));
}

// The checked-in settings files, which the Linux packer writes byte for byte
// (a host test checks that), read with the stub's code.
TEST_F(Settings, LinuxPackerFixtureReadsBack) {
  const std::string folder = std::string("Z:") + LORENT_SOURCE_DIR + "/tests/fixtures/settings/";
  for (const wchar_t* name : {L"UpdateModuleSetup.exe", L"setup.exe", L"AssistFile.ini", L"MessageSetting.ini"})
    ASSERT_TRUE(CopyFileW((Wide(folder) + name).c_str(), (folder_ + name).c_str(), FALSE)) << Wide(folder) + name;
  pack::PackageDescription description;
  std::string error;
  ASSERT_TRUE(pack::LoadDescription(std::filesystem::path(Wide(folder + "settings.lorent")), {}, description, error))
      << error;
  ASSERT_EQ(description.settings.size(), 2u);
  size_t checked = 0;
  for (const auto& file : description.settings) {
    for (const auto& setting : file.values) {
      const bool ascii = std::all_of(setting.value.begin(), setting.value.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
      if (!ascii && GetACP() != 1252) continue;  // written for code page 1252
      std::wstring value = L"(unchanged)";
      const std::wstring key = Wide(setting.key);
      if (file.section == "ParamOption")
        ReadParamOption(*context_, key.c_str(), AssistFilePath(*context_), value);
      else
        ReadSetting(*context_, key.c_str(), MessageSettingPath(*context_), value);
      EXPECT_EQ(value, Wide(setting.value)) << setting.key;
      ++checked;
    }
  }
  EXPECT_GE(checked, 13u);
  EXPECT_EQ(Read(L"enc_data"), CMD5Checksum::FileDigestText(folder_ + L"setup.exe"));
}

TEST_F(Settings, ValuesInTheAnsiCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1252";
  Pack("[AssistFile.ini]\nProductName = Caf\xC3\xA9 \xE2\x82\xAC\n", 1252);
  EXPECT_EQ(Read(L"ProductName"), L"Caf\u00E9 \u20AC");

  // The Windows packer's conversions: exact forms only, no best fit.
  uint8_t key[16] = {};
  std::string stored, problem;
  EXPECT_FALSE(pack::EncipherSetting(key, "\xE6\x97\xA5", 1252, stored, problem));  // a CJK character
  EXPECT_NE(problem.find("cannot represent"), std::string::npos) << problem;
  EXPECT_FALSE(pack::EncipherSetting(key, "\xC4\x80", 1252, stored, problem));  // A with macron: best fit "A"
  EXPECT_TRUE(pack::EncipherSetting(key, "\xE6\x97\xA5\xE6\x9C\xAC", 932, stored, problem)) << problem;
  std::string bytes;
  ASSERT_TRUE(DecipherStoredText(key, stored, bytes));
  EXPECT_EQ(bytes, "\x93\xfa\x96\x7b");
}

TEST_F(Settings, ReaderRules) {
  uint8_t key[16];
  std::wstring keyText = CMD5Checksum::FileDigestText(folder_ + L"UpdateModuleSetup.exe");
  KeyFromKeyText(std::string(keyText.begin(), keyText.end()), key);
  const std::string one = EncipherPlainText(key, "1");
  WriteBytes(folder_ + L"AssistFile.ini", "[ParamOption]\r\nShowResult=" + one + "\r\nParamManual=\r\nStored=Error\r\n"
                                          "Long=" + std::string(128, 'A') + "\r\nCut=" + one.substr(0, 23) + "\r\n"
                                          "Short=QUJD\r\n");

  EXPECT_EQ(Read(L"ShowResult"), L"1");
  EXPECT_EQ(Read(L"Absent"), L"(unchanged)") << "a missing key leaves the text";
  EXPECT_EQ(Read(L"Absent", L""), L"");
  EXPECT_EQ(Read(L"Stored"), L"(unchanged)") << "a stored \"Error\" counts as missing";
  EXPECT_EQ(Read(L"ParamManual"), L"") << "an empty value with the launcher present";
  EXPECT_EQ(Read(L"Long"), L"") << "cut to 127 characters, which no length rule accepts";
  EXPECT_EQ(Read(L"Cut"), L"") << "23 characters do not decode";
  EXPECT_EQ(Read(L"Short"), L"") << "cipher data of 3 bytes holds no block";

  std::wstring value = L"(unchanged)";
  EXPECT_FALSE(ReadParamOption(*context_, L"ShowResult", folder_ + L"NoSuchFile.ini", value));
  EXPECT_EQ(value, L"(unchanged)") << "a missing file reads like missing keys";
  EXPECT_FALSE(ReadSetting(*context_, L"ShowResult", AssistFilePath(*context_), value)) << "other section";

  // Without the launcher every value is taken as stored.
  context_->heldLauncher.Release();
  ASSERT_TRUE(DeleteFileW((folder_ + L"UpdateModuleSetup.exe").c_str()));
  EXPECT_FALSE(SetupLauncherExists(*context_));
  EXPECT_EQ(Read(L"ShowResult"), Wide(one));
  EXPECT_EQ(Read(L"Long"), std::wstring(127, L'A'));

  // A folder of that name counts as present, but gives no key: values read empty.
  ASSERT_TRUE(CreateDirectoryW((folder_ + L"UpdateModuleSetup.exe").c_str(), nullptr));
  EXPECT_TRUE(SetupLauncherExists(*context_));
  EXPECT_EQ(Read(L"ShowResult"), L"");
  RemoveDirectoryW((folder_ + L"UpdateModuleSetup.exe").c_str());
}

TEST_F(Settings, EmptyStoredTextNeedsNoLauncher) {
  std::wstring plain = L"x";
  EXPECT_TRUE(DecipherSettingValue(*context_, L"", plain));
  EXPECT_EQ(plain, L"");
  EXPECT_FALSE(context_->heldLauncher.IsHeld()) << "the launcher is not touched";
  plain = L"kept";
  EXPECT_FALSE(DecipherSettingValue(*context_, L"QUJD QUJD", plain));
  EXPECT_EQ(plain, L"kept");
  EXPECT_FALSE(context_->heldLauncher.IsHeld()) << "undecodable text does not need the key";
}

TEST_F(Settings, LauncherIsHeldAndHashedOnce) {
  Pack("[AssistFile.ini]\nShowResult = 1\nElevation = 1\n");
  const std::wstring launcher = folder_ + L"UpdateModuleSetup.exe";
  const std::wstring digest = CMD5Checksum::FileDigestText(launcher);
  ASSERT_EQ(digest.size(), 32u);

  EXPECT_EQ(Read(L"ShowResult"), L"1");
  ASSERT_TRUE(context_->heldLauncher.IsHeld());
  EXPECT_EQ(context_->heldLauncher.Path(), launcher);
  EXPECT_EQ(context_->strKeyText, digest);

  // While held, nobody can write, replace or delete the launcher.
  UniqueFile writer(CreateFileW(launcher.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(writer);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(DeleteFileW(launcher.c_str()));
  EXPECT_FALSE(MoveFileW(launcher.c_str(), (folder_ + L"moved.exe").c_str()));
  // Readers that share reading still can; the no-sharing digest cannot.
  UniqueFile reader(CreateFileW(launcher.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_TRUE(reader);
  reader.Reset();
  EXPECT_EQ(CMD5Checksum::FileDigestText(launcher), L"");

  // Later values take the held digest without reading the file again: the
  // position of the held handle stays at the end where the hash left it.
  LARGE_INTEGER end = {}, zero = {};
  SetFilePointerEx(context_->heldLauncher.Handle(), zero, &end, FILE_CURRENT);
  EXPECT_EQ(end.QuadPart, static_cast<LONGLONG>(launcherBytes_.size()));
  SetFilePointerEx(context_->heldLauncher.Handle(), zero, nullptr, FILE_BEGIN);
  EXPECT_EQ(Read(L"Elevation"), L"1");
  SetFilePointerEx(context_->heldLauncher.Handle(), zero, &end, FILE_CURRENT);
  EXPECT_EQ(end.QuadPart, 0) << "the second value hashed the file again";

  // Released at the run's end: the folder can go.
  context_->heldLauncher.Release();
  EXPECT_TRUE(DeleteFileW(launcher.c_str()));
}

TEST_F(Settings, HeldLauncherStillStarts) {
  // The launch starts the launcher while it is held.
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring launcher = folder_ + L"UpdateModuleSetup.exe";
  ASSERT_TRUE(CopyFileW(self, launcher.c_str(), FALSE));
  ASSERT_EQ(context_->heldLauncher.DigestText(launcher).size(), 32u);
  std::wstring command = L"\"" + launcher + L"\" --gtest_filter=None.None";
  STARTUPINFOW startup = {sizeof startup};
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessW(launcher.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process))
      << GetLastError();
  UniqueHandle thread(process.hThread), child(process.hProcess);
  EXPECT_EQ(WaitForSingleObject(child.Get(), 60000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(child.Get(), &code);
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(context_->heldLauncher.IsHeld());
}

TEST_F(Settings, LockedLauncherGivesNoKeyUntilFreed) {
  Pack("[AssistFile.ini]\nShowResult = 1\n");
  const std::wstring launcher = folder_ + L"UpdateModuleSetup.exe";
  {
    // Another process holds it without sharing: the value reads empty, nothing is held.
    UniqueFile lock(CreateFileW(launcher.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_EQ(Read(L"ShowResult"), L"");
    EXPECT_EQ(context_->strKeyText, L"");
    EXPECT_FALSE(context_->heldLauncher.IsHeld());
  }
  EXPECT_EQ(Read(L"ShowResult"), L"1");
  EXPECT_TRUE(context_->heldLauncher.IsHeld());
}

TEST_F(Settings, FileDigestText) {
  WriteBytes(folder_ + L"empty.bin", "");
  EXPECT_EQ(CMD5Checksum::FileDigestText(folder_ + L"empty.bin"), L"D41D8CD98F00B204E9800998ECF8427E");
  WriteBytes(folder_ + L"abc.bin", "abc");
  EXPECT_EQ(CMD5Checksum::FileDigestText(folder_ + L"abc.bin"), L"900150983CD24FB0D6963F7D28E17F72");
  EXPECT_EQ(CMD5Checksum::FileDigestText(folder_ + L"missing.bin"), L"");
  // Any other open handle makes the no-sharing open fail.
  UniqueFile other(CreateFileW((folder_ + L"abc.bin").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(other);
  EXPECT_EQ(CMD5Checksum::FileDigestText(folder_ + L"abc.bin"), L"");
}

}  // namespace
