// Extraction of a bound package under Wine. Each case binds a package to a
// copy of extracthost.exe (the packer's own code, or table bytes written here
// for names the packer refuses), runs it, and looks at what it left under
// ProgramData and at the window messages it recorded.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "framework/Handle.h"
#include "framework/Utf.h"
#include "framework/WinText.h"
#include "pack/Builder.h"
#include "pack/Description.h"
#include "package/PackageFormat.h"
#include "package/StagingFolder.h"

using namespace lorent;
namespace fs = std::filesystem;

namespace {

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[1024] = {};
  GetEnvironmentVariableW(name, buffer, 1024);
  return buffer;
}

// The build folder as Windows sees it.
std::wstring BuildFolder() {
  std::wstring folder = Env(L"LORENT_WIN_BUILD_DIR");
  for (auto& c : folder) c = c == L'/' ? L'\\' : c;
  return folder;
}

std::string Utf8(const std::wstring& text) { return Utf16ToUtf8Lossy(AsU16(text)); }

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// Bytes that differ from block to block and never repeat a 256-byte cycle.
std::string Pattern(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 65536 * 17 + seed) % 251);
  return bytes;
}

// C:\ProgramData\ZEKA Corporation as the stub builds it.
fs::path CompanyFolder() {
  wchar_t buffer[MAX_PATH] = {};
  GetEnvironmentVariableW(L"ProgramData", buffer, MAX_PATH);
  return fs::path(buffer) / L"ZEKA Corporation";
}

fs::path StagingFolder() { return CompanyFolder() / L"Stowline" / L"PackagingTemp"; }

// Every file under a folder, as paths relative to it with "\" separators.
std::set<std::wstring> FilesUnder(const fs::path& folder) {
  std::set<std::wstring> files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    if (it->is_regular_file()) files.insert(fs::relative(it->path(), folder).wstring());
  return files;
}

struct Report {
  std::map<std::string, std::string> values;
  std::vector<std::string> messages;
};

class ExtractionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    work_ = fs::path(temp) / L"lorent extraction";
    fs::remove_all(work_);
    fs::create_directories(work_);
    host_ = BuildFolder() + L"\\tests\\win\\extracthost.exe";
    launcher_ = BuildFolder() + L"\\launcher\\UpdateModuleSetup.exe";
    cabinets_ = BuildFolder() + L"\\tests\\win\\extraction";
    // Every case starts without the folders of earlier runs.
    std::error_code ignored;
    fs::remove_all(CompanyFolder(), ignored);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(work_, ignored);
    fs::remove_all(CompanyFolder(), ignored);
  }

  // Binds a package described in the packer's own format to extracthost.exe.
  fs::path Bind(const std::string& description) {
    pack::PackageDescription parsed;
    std::string error;
    const std::map<std::string, std::string> variables{{"launcher", Utf8(launcher_.wstring())},
                                                       {"cabinet", Utf8((cabinets_ / L"product.cab").wstring())}};
    EXPECT_TRUE(pack::ParseDescription(description, work_, variables, "test", parsed, error)) << error;
    parsed.stub = host_;
    parsed.output = work_ / L"Setup.exe";
    pack::BuildResult result;
    EXPECT_TRUE(pack::BuildPackage(parsed, result, error)) << error;
    return parsed.output;
  }

  // Binds table bytes written here (names the packer would refuse), each
  // entry's data filled with "x".
  fs::path BindTable(const package::PackageTable& table) {
    std::string image = ReadBytes(host_);
    const uint32_t offset = static_cast<uint32_t>(image.size());
    package::WriteLe32(reinterpret_cast<uint8_t*>(&image[0x20]), offset);
    const auto encoded = package::EncodeTable(table);
    image.append(encoded.begin(), encoded.end());
    for (const auto& [group, entries] : table)
      for (const auto& entry : entries) image.append(entry.size, 'x');
    const fs::path output = work_ / L"Crafted.exe";
    WriteBytes(output, image);
    return output;
  }

  // Runs a bound program and reads what it reported.
  Report Run(const fs::path& program) {
    const fs::path reportPath = work_ / L"report.txt";
    fs::remove(reportPath);
    std::wstring command = L"\"" + program.wstring() + L"\" \"" + reportPath.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    Report report;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, work_.c_str(), &startup,
                        &process)) {
      ADD_FAILURE() << "cannot start " << Utf8(program.wstring());
      return report;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 120000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(code, 0u);
    std::istringstream lines(ReadBytes(reportPath));
    for (std::string line; std::getline(lines, line);) {
      const size_t equals = line.find('=');
      if (equals == std::string::npos) continue;
      if (line.compare(0, equals, "message") == 0) report.messages.push_back(line.substr(equals + 1));
      else report.values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    EXPECT_EQ(report.values.count("result"), 1u) << "no report";
    return report;
  }

  // The package of the main cases: a marker group with the settings, the
  // launcher, a 65,536-byte file and the cabinet; a group "Docs" holding a
  // 65,537-byte file.
  fs::path BindProductPackage() {
    WriteBytes(work_ / L"block.bin", Pattern(65536, 1));
    WriteBytes(work_ / L"block1.bin", Pattern(65537, 2));
    WriteBytes(work_ / L"notes.txt", "notes\r\n");
    return Bind(
        "[files]\n"
        "UpdateModuleSetup.exe = ${launcher}\n"
        "cabinet = ${cabinet}\n"
        "block.bin = block.bin\n"
        "[AssistFile.ini]\n"
        "ExtractPathByUser = 0\n"
        "UseZEKACheck = 0\n"
        "ProductName = Extraction test\n"
        "[MessageSetting.ini]\n"
        "IsShowMessageBox = 0\n"
        "[group Docs]\n"
        "block1.bin = block1.bin\n"
        "notes.txt = notes.txt\n");
  }

  void ExpectSameBytes(const fs::path& actual, const fs::path& expected) {
    const std::string got = ReadBytes(actual);
    const std::string want = ReadBytes(expected);
    EXPECT_EQ(got.size(), want.size()) << Utf8(actual.wstring());
    EXPECT_TRUE(got == want) << Utf8(actual.wstring()) << " differs from " << Utf8(expected.wstring());
  }

  fs::path work_;
  fs::path host_;
  fs::path launcher_;
  fs::path cabinets_;
};

bool CabinetLibraryRemoved() { return Env(L"LORENT_EXPECT_NO_CABINET_LIBRARY") == L"1"; }

// The SIDs of a DACL's allowing ACEs; `fullControl` tells whether each one
// allows full control to the folder and to what is made in it.
std::multiset<std::wstring> AllowedSids(const ACL* dacl, bool& fullControl) {
  std::multiset<std::wstring> sids;
  fullControl = true;
  for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
    ACE_HEADER* header = nullptr;
    if (!GetAce(const_cast<ACL*>(dacl), i, reinterpret_cast<void**>(&header))) continue;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
      sids.insert(L"(not an allowing ACE)");
      continue;
    }
    auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
    if ((ace->Mask & FILE_ALL_ACCESS) != FILE_ALL_ACCESS ||
        (header->AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)) != (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE))
      fullControl = false;
    wchar_t* text = nullptr;
    if (ConvertSidToStringSidW(&ace->SidStart, &text)) {
      sids.insert(text);
      LocalFree(text);
    }
  }
  return sids;
}

// A folder's DACL as the system reports it.
std::multiset<std::wstring> FolderSids(const fs::path& folder, bool& isProtected, bool& fullControl) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                            nullptr, &descriptor) != ERROR_SUCCESS) {
    ADD_FAILURE() << "no security information for " << Utf8(folder.wstring());
    return {};
  }
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  isProtected = (control & SE_DACL_PROTECTED) != 0;
  std::multiset<std::wstring> sids = AllowedSids(dacl, fullControl);
  LocalFree(descriptor);
  return sids;
}

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

std::wstring UserSid() {
  UniqueHandle token;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put());
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size);
  wchar_t* text = nullptr;
  ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text);
  std::wstring sid = text ? text : L"";
  LocalFree(text);
  return sid;
}

TEST_F(ExtractionTest, PackageExtractsIntoAPrivateRunFolder) {
  if (CabinetLibraryRemoved()) GTEST_SKIP() << "needs the cabinet library";
  const Report report = Run(BindProductPackage());

  EXPECT_EQ(report.values.at("result"), "1");
  EXPECT_EQ(report.values.at("run"), "1");
  EXPECT_EQ(report.values.at("proceed"), "1");
  EXPECT_EQ(report.values.at("userfolder"), "0");
  const std::string guid = report.values.at("guid");
  EXPECT_TRUE(std::regex_match(guid, std::regex(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})")))
      << guid;
  const fs::path run = StagingFolder() / guid;
  EXPECT_EQ(report.values.at("workfolder"), Utf8(run.wstring()) + "\\");

  // The ordinary-file trigger (block.bin) and the cabinet trigger each lay
  // the window out; the end sets the bar to its end.
  EXPECT_EQ(report.messages, (std::vector<std::string>{"0x8102 0", "0x8103 0", "0x8102 0", "0x8103 0", "0x8105 1000"}));

  // Exactly these files: the cabinet is gone after its expansion, its folders
  // are kept, Docs is a subfolder of the working folder.
  EXPECT_EQ(FilesUnder(run), (std::set<std::wstring>{L"AssistFile.ini", L"MessageSetting.ini", L"UpdateModuleSetup.exe",
                                                      L"block.bin", L"bin\\numbers.txt", L"manual\\guide\\readme.txt",
                                                      L"top.txt", L"Docs\\block1.bin", L"Docs\\notes.txt"}));
  ExpectSameBytes(run / L"UpdateModuleSetup.exe", launcher_);
  ExpectSameBytes(run / L"block.bin", work_ / L"block.bin");
  ExpectSameBytes(run / L"Docs" / L"block1.bin", work_ / L"block1.bin");
  ExpectSameBytes(run / L"Docs" / L"notes.txt", work_ / L"notes.txt");
  for (const wchar_t* name : {L"bin\\numbers.txt", L"manual\\guide\\readme.txt", L"top.txt"})
    ExpectSameBytes(run / name, cabinets_ / L"src" / name);
  EXPECT_EQ(FilesUnder(StagingFolder()).size(), FilesUnder(run).size()) << "files outside the run folder";

  // The run folder's DACL: the descriptor the stub gives it holds exactly
  // three ACEs and is protected from inheritance.
  const std::multiset<std::wstring> owners{L"S-1-5-18", L"S-1-5-32-544", UserSid()};
  PSECURITY_DESCRIPTOR made = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(PrivateFolderSecurity().c_str(), SDDL_REVISION_1,
                                                                   &made, nullptr));
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL madeDacl = nullptr;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorDacl(made, &present, &madeDacl, &defaulted);
  GetSecurityDescriptorControl(made, &control, &revision);
  bool fullControl = false;
  EXPECT_EQ(AllowedSids(madeDacl, fullControl), owners);
  EXPECT_TRUE(fullControl);
  EXPECT_TRUE(control & SE_DACL_PROTECTED);
  LocalFree(made);
  // The folder holds it on Windows. Wine 8 keeps no security descriptor on
  // disk, only Unix permission bits made from it, and reports a DACL made
  // from those: the run folder then has no ACE for Everyone (S-1-1-0), while
  // its parent, made with default security, has one.
  bool isProtected = false;
  const std::multiset<std::wstring> held = FolderSids(run, isProtected, fullControl);
  if (!UnderWine()) {
    EXPECT_EQ(held, owners);
    EXPECT_TRUE(fullControl);
    EXPECT_TRUE(isProtected) << "the run folder inherits from its parent";
  } else {
    bool parentProtected = false;
    EXPECT_EQ(held.count(L"S-1-1-0"), 0u);
    EXPECT_EQ(held.count(UserSid()), 1u);
    EXPECT_EQ(FolderSids(StagingFolder(), parentProtected, fullControl).count(L"S-1-1-0"), 1u);
  }

  // The next run clears the staging folder first: only its own run folder stays.
  const Report second = Run(work_ / L"Setup.exe");
  EXPECT_NE(second.values.at("guid"), guid);
  EXPECT_FALSE(fs::exists(run));
  EXPECT_TRUE(fs::exists(StagingFolder() / second.values.at("guid") / L"Docs" / L"block1.bin"));
}

TEST_F(ExtractionTest, CabinetLibraryMissingKeepsTheOtherFilesAndProceeds) {
  if (!CabinetLibraryRemoved()) GTEST_SKIP() << "runs in a prefix without cabinet.dll (nocabinet.sh)";
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  ASSERT_FALSE(fs::exists(fs::path(system) / L"cabinet.dll"));
  const Report report = Run(BindProductPackage());

  EXPECT_EQ(report.values.at("result"), "1");
  EXPECT_EQ(report.values.at("run"), "1");
  EXPECT_EQ(report.values.at("proceed"), "1") << "the setup still starts";
  EXPECT_EQ(report.messages,
            (std::vector<std::string>{"0x8102 0", "0x8103 0", "0x8102 0", "0x8103 0", "0x8101 103", "0x8105 1000"}));
  // The marker group up to the cabinet stays on disk, the cabinet as it was
  // bound (complemented back); the extraction stops there, so no Docs.
  const fs::path run = StagingFolder() / report.values.at("guid");
  EXPECT_EQ(FilesUnder(run), (std::set<std::wstring>{L"AssistFile.ini", L"MessageSetting.ini", L"UpdateModuleSetup.exe",
                                                      L"block.bin", std::wstring(AsWide(package::kCabinetEntry))}));
  ExpectSameBytes(run / L"block.bin", work_ / L"block.bin");
  ExpectSameBytes(run / package::kCabinetEntry, cabinets_ / L"product.cab");
}

TEST_F(ExtractionTest, StubWithoutPackageMakesOnlyTheCompanyAndProductFolders) {
  if (CabinetLibraryRemoved()) GTEST_SKIP();
  const fs::path copy = work_ / L"Unbound.exe";
  fs::copy_file(host_, copy);
  const Report report = Run(copy);
  EXPECT_EQ(report.values.at("result"), "1");
  EXPECT_EQ(report.values.at("proceed"), "1");
  EXPECT_EQ(report.values.at("workfolder"), "");
  EXPECT_TRUE(report.messages.empty());
  EXPECT_TRUE(fs::is_directory(CompanyFolder() / L"Stowline"));
  EXPECT_FALSE(fs::exists(StagingFolder()));
}

// Names that would leave the run's folder make the whole package count as
// none: nothing is written and no run folder is made. The first row, with a
// harmless name, shows that the same package extracts otherwise.
TEST_F(ExtractionTest, NamesThatEscapeWriteNothing) {
  if (CabinetLibraryRemoved()) GTEST_SKIP();
  const std::u16string marker(package::kMarkerGroup);
  const struct {
    const char* what;
    std::u16string group;
    std::u16string entry;
    bool extracts;
  } cases[] = {
      {"harmless", u"Docs", u"evil.txt", true},
      {"entry climbing out", marker, u"..\\evil.txt", false},
      {"entry climbing two levels", u"Docs", u"..\\..\\evil.txt", false},
      {"group naming the parent", u"..", u"evil.txt", false},
      {"group climbing out", u"..\\..\\Escaped", u"evil.txt", false},
      {"absolute entry", marker, u"C:\\lorent-evil.txt", false},
      {"stream of the run folder", marker, u":evil.txt", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::error_code ignored;
    fs::remove_all(CompanyFolder(), ignored);
    package::PackageTable table;
    table[marker] = {{u"ok.txt", 3}};
    table[c.group].push_back({c.entry, 5});
    const Report report = Run(BindTable(table));
    EXPECT_EQ(report.values.at("result"), "1");
    EXPECT_EQ(report.values.at("proceed"), "1");
    const std::set<std::wstring> written = FilesUnder(CompanyFolder());
    if (c.extracts) {
      const std::string& guid = report.values.at("guid");
      const std::wstring run = L"Stowline\\PackagingTemp\\" + std::wstring(guid.begin(), guid.end());
      EXPECT_EQ(written, (std::set<std::wstring>{run + L"\\ok.txt", run + L"\\Docs\\evil.txt"}));
      continue;
    }
    EXPECT_EQ(report.values.at("workfolder"), "");
    EXPECT_TRUE(written.empty());
    EXPECT_FALSE(fs::exists(StagingFolder()));
    EXPECT_TRUE(report.messages.empty());
    for (const fs::path& place : {CompanyFolder() / L"evil.txt", CompanyFolder() / L"Stowline" / L"evil.txt",
                                  CompanyFolder().parent_path() / L"evil.txt", fs::path(L"C:\\lorent-evil.txt"),
                                  work_ / L"evil.txt"})
      EXPECT_FALSE(fs::exists(place)) << Utf8(place.wstring());
  }
}

// With ExtractPathByUser "1" the folder browser shows at each trigger;
// extracthost answers it with OK (LORENT_BROWSE_OK), which chooses the folder
// it starts on, the Desktop. Runs under Xvfb in a prefix whose Desktop is a
// folder of its own, not a link to the Linux home (win.extraction_browse).
bool BrowserAnswered() { return Env(L"LORENT_BROWSE_OK") == L"1"; }

TEST_F(ExtractionTest, ChosenFolderGetsTheFilesAndTheCabinetContents) {
  if (!BrowserAnswered()) GTEST_SKIP() << "runs with the browser answered, under Xvfb";
  WriteBytes(work_ / L"setup.bat", "@exit /b 0\r\n");
  WriteBytes(work_ / L"block1.bin", Pattern(65537, 3));
  const Report report = Run(Bind(
      "[files]\n"
      "UpdateModuleSetup.exe = ${launcher}\n"
      "setup.bat = setup.bat\n"
      "cabinet = ${cabinet}\n"
      "[AssistFile.ini]\n"
      "ExtractPathByUser = 1\n"
      "[group Docs]\n"
      "block1.bin = block1.bin\n"));
  const fs::path chosen = report.values.at("chosen");
  ASSERT_EQ(chosen.filename(), L"Desktop");
  ASSERT_FALSE(fs::is_symlink(chosen));
  const fs::path run = StagingFolder() / report.values.at("guid");
  EXPECT_EQ(report.values.at("proceed"), "0");
  EXPECT_EQ(report.values.at("userfolder"), "1");
  // The ordinary-file trigger (setup.bat) and the cabinet trigger each show
  // the browser and lay the window out.
  EXPECT_EQ(report.messages, (std::vector<std::string>{"0x8102 0", "0x8103 0", "0x8102 0", "0x8103 0", "0x8105 1000"}));
  // Before the first choice files go to the working folder; after it into
  // the chosen folder, except the cabinet, which is written to the working
  // folder and expanded into the chosen one.
  EXPECT_EQ(FilesUnder(run), (std::set<std::wstring>{L"AssistFile.ini", L"UpdateModuleSetup.exe"}));
  const std::set<std::wstring> placed = FilesUnder(chosen);
  for (const wchar_t* name : {L"setup.bat", L"bin\\numbers.txt", L"manual\\guide\\readme.txt", L"top.txt", L"Docs\\block1.bin"})
    EXPECT_EQ(placed.count(name), 1u) << Utf8(name);
  ExpectSameBytes(chosen / L"Docs" / L"block1.bin", work_ / L"block1.bin");
  ExpectSameBytes(chosen / L"bin" / L"numbers.txt", cabinets_ / L"src" / L"bin" / L"numbers.txt");
  std::error_code ignored;
  for (const wchar_t* name : {L"setup.bat", L"bin", L"manual", L"top.txt", L"Docs"}) fs::remove_all(chosen / name, ignored);
}

// The folder is chosen only at the first file of a later group: that group's
// files still reach the chosen folder.
TEST_F(ExtractionTest, ChoiceInsideAGroupStillPlacesItsFiles) {
  if (!BrowserAnswered()) GTEST_SKIP() << "runs with the browser answered, under Xvfb";
  WriteBytes(work_ / L"notes.txt", "notes\r\n");
  const Report report = Run(Bind(
      "[files]\n"
      "UpdateModuleSetup.exe = ${launcher}\n"
      "[AssistFile.ini]\n"
      "ExtractPathByUser = 1\n"
      "[group Docs]\n"
      "notes.txt = notes.txt\n"));
  const fs::path chosen = report.values.at("chosen");
  ASSERT_EQ(chosen.filename(), L"Desktop");
  ASSERT_FALSE(fs::is_symlink(chosen));
  EXPECT_EQ(report.values.at("userfolder"), "1");
  ExpectSameBytes(chosen / L"Docs" / L"notes.txt", work_ / L"notes.txt");
  std::error_code ignored;
  fs::remove_all(chosen / L"Docs", ignored);
}

}  // namespace
