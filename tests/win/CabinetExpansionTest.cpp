// Cabinet expansion through the system's Cabinet.dll, on cabinets made by gcab
// and on cabinets written by hand (tests/win/cabinets.py).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/CabinetExpansion.h"

using namespace lorent;

namespace {

std::wstring Widen(const char* text) {
  std::wstring wide;
  for (; *text; ++text) wide += static_cast<wchar_t>(*text == '/' ? '\\' : *text);
  return wide;
}

// The fixtures, seen through the drive that maps the Linux root.
std::wstring Fixture(const wchar_t* name) { return L"Z:" + Widen(LORENT_CABINET_FIXTURES) + L"\\" + name; }

// Deletes what a test made (read-only files included).
void DeleteTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!wcscmp(data.cFileName, L".") || !wcscmp(data.cFileName, L"..")) continue;
      const std::wstring path = folder + L"\\" + data.cFileName;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

// A fresh folder under the temporary folder.
std::wstring FreshFolder(const std::wstring& name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + name;
  DeleteTree(folder);
  EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  return folder;
}

std::string ReadAll(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  char buffer[4096];
  DWORD read = 0;
  ReadFile(file, buffer, sizeof(buffer), &read, nullptr);
  CloseHandle(file);
  return std::string(buffer, read);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::wstring> Names(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (wcscmp(data.cFileName, L".") && wcscmp(data.cFileName, L"..")) names.push_back(data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

// Collects what the code under test writes to standard output.
class CapturedOutput {
 public:
  CapturedOutput() {
    wchar_t temp[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    GetTempFileNameW(temp, L"out", 0, path);
    path_ = path;
    file_ = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    saved_ = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, file_);
  }
  ~CapturedOutput() {
    SetStdHandle(STD_OUTPUT_HANDLE, saved_);
    CloseHandle(file_);
  }
  std::string Text() const {
    char buffer[1024];
    DWORD read = 0;
    SetFilePointer(file_, 0, nullptr, FILE_BEGIN);
    ReadFile(file_, buffer, sizeof(buffer), &read, nullptr);
    return std::string(buffer, read);
  }

 private:
  std::wstring path_;
  HANDLE file_;
  HANDLE saved_;
};

// Copies a fixture cabinet into <folder>\in and returns its path there.
std::wstring PlaceCabinet(const std::wstring& folder, const wchar_t* name) {
  CreateDirectoryW((folder + L"\\in").c_str(), nullptr);
  const std::wstring path = folder + L"\\in\\" + name;
  EXPECT_TRUE(CopyFileW(Fixture(name).c_str(), path.c_str(), FALSE)) << "fixture " << name;
  return path;
}

FILETIME StoredTimeAsUtc() {
  SYSTEMTIME stored = {2021, 3, 0, 4, 5, 6, 8, 0};
  FILETIME local, utc;
  SystemTimeToFileTime(&stored, &local);
  LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

class ExpandCabinetTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CreateExpansionContext(context_)); }
  void TearDown() override { DestroyExpansionContext(context_); }
  CExpansionContext context_;
};

TEST(CabinetLibrary, IsLoadedFromTheSystemDirectory) {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  EXPECT_EQ(CabinetLibraryPath(), std::wstring(system) + L"\\Cabinet.dll");
  CExpansionContext context;
  ASSERT_TRUE(CreateExpansionContext(context));
  wchar_t loaded[MAX_PATH];
  GetModuleFileNameW(context.hLibrary.Get(), loaded, MAX_PATH);
  EXPECT_EQ(lstrcmpiW(loaded, CabinetLibraryPath().c_str()), 0) << loaded;
  DestroyExpansionContext(context);
  EXPECT_EQ(context.hfdi, nullptr);
  EXPECT_FALSE(context.hLibrary);
  DestroyExpansionContext(context);  // a second time does nothing
}

TEST_F(ExpandCabinetTest, MszipCabinetKeepsFoldersDatesAndAttributes) {
  const std::wstring base = FreshFolder(L"lorent-cab-mszip");
  const std::wstring cabinet = PlaceCabinet(base, L"mszip.cab");
  const std::wstring target = base + L"\\out";
  CapturedOutput out;
  ASSERT_TRUE(ExpandCabinet(context_, cabinet, target));
  EXPECT_EQ(out.Text(), "");

  EXPECT_EQ(ReadAll(target + L"\\docs\\readme.txt"), "Read me first.\r\n");
  EXPECT_EQ(ReadAll(target + L"\\top.txt"), "top level\r\n");
  // Stored attributes masked to read-only, hidden, system and archive.
  EXPECT_EQ(GetFileAttributesW((target + L"\\top.txt").c_str()), DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE});
  EXPECT_EQ(GetFileAttributesW((target + L"\\docs\\readme.txt").c_str()),
            DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE});
  EXPECT_EQ(GetFileAttributesW((target + L"\\docs").c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD{FILE_ATTRIBUTE_DIRECTORY});

  // The stored local date becomes the last-write (and creation) time.
  const FILETIME expected = StoredTimeAsUtc();
  for (const wchar_t* name : {L"\\top.txt", L"\\docs\\readme.txt"}) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW((target + name).c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(CompareFileTime(&data.ftLastWriteTime, &expected), 0) << "last-write time of " << name;
    // (Wine keeps no creation time of its own and reports the last-write time.)
    EXPECT_EQ(CompareFileTime(&data.ftCreationTime, &expected), 0) << "creation time of " << name;
  }
  // The archive itself is left for the caller.
  EXPECT_TRUE(Exists(cabinet));
}

TEST_F(ExpandCabinetTest, Utf8NamesCrossTheLibraryBothWays) {
  const std::wstring base = FreshFolder(L"lorent-cab-\u5c55\u958b");
  const std::wstring cabinet = PlaceCabinet(base, L"plain.cab");
  const std::wstring target = base + L"\\\u51fa\u529b";
  ASSERT_TRUE(ExpandCabinet(context_, cabinet, target));
  EXPECT_EQ(ReadAll(target + L"\\a\\b\\\u5c55\u958b.txt"), "unicode name\r\n");
}

// Stored names that would leave the target folder abort the expansion;
// nothing is written outside the target.
TEST_F(ExpandCabinetTest, NamesLeavingTheTargetAbortTheExpansion) {
  for (const wchar_t* name : {L"parent", L"deep", L"drive", L"driverel", L"rooted", L"slash"}) {
    SCOPED_TRACE(testing::Message() << "escape-" << name);
    const std::wstring base = FreshFolder(std::wstring(L"lorent-cab-escape-") + name);
    const std::wstring cabinet = PlaceCabinet(base, (std::wstring(L"escape-") + name + L".cab").c_str());
    const std::wstring target = base + L"\\out\\deeper";
    CapturedOutput out;
    EXPECT_FALSE(ExpandCabinet(context_, cabinet, target));
    EXPECT_EQ(out.Text(), "FDICopy failed with error code 11: Application aborted\n");
    // The harmless first file is the only thing written.
    EXPECT_EQ(Names(base), (std::vector<std::wstring>{L"in", L"out"}));
    EXPECT_EQ(Names(base + L"\\in"), (std::vector<std::wstring>{std::wstring(L"escape-") + name + L".cab"}));
    EXPECT_EQ(Names(base + L"\\out"), (std::vector<std::wstring>{L"deeper"}));
    EXPECT_EQ(Names(target), (std::vector<std::wstring>{L"inside.txt"}));
    EXPECT_FALSE(Exists(L"C:\\outside.txt"));
  }
}

TEST_F(ExpandCabinetTest, ShortPathsReturnTrueWithoutExpanding) {
  const std::wstring base = FreshFolder(L"lorent-cab-short");
  const std::wstring cabinet = PlaceCabinet(base, L"mszip.cab");
  CapturedOutput out;
  // A target of two characters.
  EXPECT_TRUE(ExpandCabinet(context_, cabinet, L"C:"));
  EXPECT_FALSE(Exists(L"C:\\top.txt"));
  // No backslash: the folder part is empty.
  EXPECT_TRUE(ExpandCabinet(context_, L"mszip.cab", base + L"\\out"));
  // A folder part of one character, a name of one character.
  EXPECT_TRUE(ExpandCabinet(context_, L"\\mszip.cab", base + L"\\out"));
  EXPECT_TRUE(ExpandCabinet(context_, base + L"\\in\\m", base + L"\\out"));
  EXPECT_FALSE(Exists(base + L"\\out"));
  EXPECT_EQ(out.Text(), "");
}

TEST_F(ExpandCabinetTest, FailuresPrintTheFdiError) {
  const std::wstring base = FreshFolder(L"lorent-cab-bad");
  const std::wstring notCabinet = base + L"\\junk.cab";
  HANDLE file = CreateFileW(notCabinet.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, "this is not a cabinet at all", 28, &written, nullptr);
  CloseHandle(file);

  struct Case {
    std::wstring cabinet;
    const char* line;
  } cases[] = {
      {notCabinet, "FDICopy failed with error code 2: Not a cabinet\n"},
      {base + L"\\missing.cab", "FDICopy failed with error code 1: Cabinet not found\n"},
  };
  for (const Case& c : cases) {
    CapturedOutput out;
    EXPECT_FALSE(ExpandCabinet(context_, c.cabinet, base + L"\\out"));
    EXPECT_EQ(out.Text(), c.line);
  }
  EXPECT_FALSE(Exists(base + L"\\out"));
}

TEST_F(ExpandCabinetTest, DestinationThatCannotBeWrittenFails) {
  const std::wstring base = FreshFolder(L"lorent-cab-blocked");
  const std::wstring cabinet = PlaceCabinet(base, L"mszip.cab");
  // A folder where top.txt would go; a file where the folder docs would go.
  for (const bool blockFolder : {false, true}) {
    const std::wstring target = base + (blockFolder ? L"\\out2" : L"\\out1");
    CreateDirectoryW(target.c_str(), nullptr);
    if (blockFolder) {
      HANDLE file = CreateFileW((target + L"\\docs").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      CloseHandle(file);
    } else {
      CreateDirectoryW((target + L"\\top.txt").c_str(), nullptr);
    }
    CapturedOutput out;
    EXPECT_FALSE(ExpandCabinet(context_, cabinet, target)) << blockFolder;
    EXPECT_EQ(out.Text().rfind("FDICopy failed with error code ", 0), 0u) << out.Text();
  }
}

TEST(FdiErrorName, NamesEveryNumber) {
  const char* const names[] = {"No error",
                               "Cabinet not found",
                               "Not a cabinet",
                               "Unknown cabinet version",
                               "Corrupt cabinet",
                               "Memory allocation failed",
                               "Unknown compression type",
                               "Failure decompressing data",
                               "Failure writing to target file",
                               "Cabinets in set have different RESERVE sizes",
                               "Cabinet returned on fdintNEXT_CABINET is incorrect",
                               "Application aborted"};
  for (int i = 0; i < 12; ++i) EXPECT_STREQ(FdiErrorName(i), names[i]) << i;
  for (int i : {12, 13, 1000, -1}) EXPECT_STREQ(FdiErrorName(i), "Unknown error") << i;
}

TEST(PrintExpansionFailure, WritesOneLineToStandardOutput) {
  CapturedOutput out;
  ERF erf = {};
  erf.erfOper = 12;
  PrintExpansionFailure("FDICreate", erf);
  erf.erfOper = 5;
  PrintExpansionFailure("FDICreate", erf);
  erf.erfOper = -1;
  PrintExpansionFailure("FDICopy", erf);
  EXPECT_EQ(out.Text(),
            "FDICreate failed with error code 12: Unknown error\n"
            "FDICreate failed with error code 5: Memory allocation failed\n"
            "FDICopy failed with error code -1: Unknown error\n");
}

TEST(CreateDirectoryChain, MakesMissingParentsAndRefusesWhatItCannot) {
  const std::wstring base = FreshFolder(L"lorent-chain");
  CreateDirectoryW((base + L"\\A").c_str(), nullptr);
  EXPECT_EQ(CreateDirectoryChain((base + L"\\A\\B\\C\\").c_str()), 0u);
  EXPECT_TRUE(GetFileAttributesW((base + L"\\A\\B\\C").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(CreateDirectoryChain((base + L"\\A\\B\\C").c_str()), 0u);  // exists
  EXPECT_EQ(CreateDirectoryChain((base + L"\\X\\\\Y").c_str()), 0u);  // doubled separator
  EXPECT_TRUE(Exists(base + L"\\X\\Y"));
  EXPECT_EQ(CreateDirectoryChain(nullptr), 0u);
  EXPECT_EQ(CreateDirectoryChain(L"nobackslash"), DWORD{ERROR_INVALID_DRIVE});

  // A file in the way is no folder.
  HANDLE file = CreateFileW((base + L"\\F").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(file);
  EXPECT_EQ(CreateDirectoryChain((base + L"\\F").c_str()), DWORD{ERROR_ALREADY_EXISTS});
  EXPECT_NE(CreateDirectoryChain((base + L"\\F\\G\\").c_str()), 0u);
  EXPECT_FALSE(Exists(base + L"\\F\\G"));
}

}  // namespace
