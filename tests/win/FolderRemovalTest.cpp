// Folder removal: the recursive walk, the shell removal with its progress
// sink, retries with a file held open, and links that must not be followed.
// Runs through tests/win/plant-links.sh, which plants the links.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "package/FileOpInterface.h"
#include "package/FolderRemoval.h"

using namespace lorent;

namespace {

// Pauses are recorded, not waited; a file held open can be let go at a
// chosen pause.
std::vector<DWORD> g_pauses;
HANDLE g_held = INVALID_HANDLE_VALUE;
size_t g_releaseAtPause = 0;  // 0: never

void RecordPause(DWORD milliseconds) {
  g_pauses.push_back(milliseconds);
  if (g_releaseAtPause && g_pauses.size() == g_releaseAtPause && g_held != INVALID_HANDLE_VALUE) {
    CloseHandle(g_held);
    g_held = INVALID_HANDLE_VALUE;
  }
}

std::wstring TempFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return temp;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteFile(const std::wstring& path, const char* text = "data") {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot write the fixture file";
  DWORD written = 0;
  ::WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
  CloseHandle(file);
}

std::vector<std::wstring> Names(const std::wstring& folder) {
  std::vector<std::wstring> names;
  ListFolderEntries(folder, names);
  std::sort(names.begin(), names.end());
  return names;
}

// folder\a.txt, folder\sub\b.txt, folder\sub\deeper\c.txt, folder\empty
std::wstring MakeTree(const wchar_t* name) {
  const std::wstring folder = TempFolder() + name;
  RemoveFolderTree(folder, false);
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW((folder + L"\\sub").c_str(), nullptr);
  CreateDirectoryW((folder + L"\\sub\\deeper").c_str(), nullptr);
  CreateDirectoryW((folder + L"\\empty").c_str(), nullptr);
  WriteFile(folder + L"\\a.txt");
  WriteFile(folder + L"\\sub\\b.txt");
  WriteFile(folder + L"\\sub\\deeper\\c.txt");
  return folder;
}

HANDLE HoldOpen(const std::wstring& path) {
  // No FILE_SHARE_DELETE: nobody can delete the file while it is open.
  return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                     nullptr);
}

class RemovalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_pauses.clear();
    g_releaseAtPause = 0;
  }
  void TearDown() override {
    if (g_held != INVALID_HANDLE_VALUE) CloseHandle(g_held);
    g_held = INVALID_HANDLE_VALUE;
  }
};

using RemoveFolderTreeTest = RemovalTest;
using DeleteFolderContentsTest = RemovalTest;

TEST_F(RemoveFolderTreeTest, RemovesTheWholeTreeWithOrWithoutTrailingBackslash) {
  for (const wchar_t* suffix : {L"", L"\\"}) {
    const std::wstring folder = MakeTree(L"lorent-rm-tree");
    EXPECT_TRUE(RemoveFolderTree(folder + suffix, true, RecordPause));
    EXPECT_FALSE(Exists(folder));
  }
  EXPECT_TRUE(g_pauses.empty());
}

TEST_F(RemoveFolderTreeTest, MissingFolderGivesFalseWithoutWaiting) {
  EXPECT_FALSE(RemoveFolderTree(TempFolder() + L"lorent-rm-missing", true, RecordPause));
  EXPECT_TRUE(g_pauses.empty());
}

// Attributes are never changed: a read-only file stays, and so do its folders.
TEST_F(RemoveFolderTreeTest, ReadOnlyFileStaysWithItsFolders) {
  const std::wstring folder = MakeTree(L"lorent-rm-readonly");
  const std::wstring locked = folder + L"\\sub\\deeper\\c.txt";
  ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(RemoveFolderTree(folder, false, RecordPause));
  EXPECT_TRUE(g_pauses.empty());
  EXPECT_TRUE(GetFileAttributesW(locked.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(Exists(folder + L"\\a.txt"));
  EXPECT_FALSE(Exists(folder + L"\\sub\\b.txt"));
  EXPECT_FALSE(Exists(folder + L"\\empty"));
  EXPECT_TRUE(Exists(folder + L"\\sub\\deeper"));

  // With retries, three attempts ten seconds apart, then it still stays.
  EXPECT_FALSE(RemoveFolderTree(folder, true, RecordPause));
  EXPECT_EQ(g_pauses, (std::vector<DWORD>{10000, 10000}));
  EXPECT_TRUE(Exists(locked));

  SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(RemoveFolderTree(folder, false, RecordPause));
}

TEST_F(RemoveFolderTreeTest, FileHeldOpenIsRetriedTenSecondsApart) {
  struct Case {
    bool retry;
    size_t releaseAt;
    bool removed;
    std::vector<DWORD> pauses;
  } cases[] = {
      {false, 0, false, {}},                // one attempt only
      {true, 1, true, {10000}},             // let go during the first pause
      {true, 2, true, {10000, 10000}},      // during the second
      {true, 0, false, {10000, 10000}},     // never: three attempts in all
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "retry " << c.retry << ", released at pause " << c.releaseAt);
    g_pauses.clear();
    const std::wstring folder = MakeTree(L"lorent-rm-held");
    g_held = HoldOpen(folder + L"\\sub\\b.txt");
    ASSERT_NE(g_held, INVALID_HANDLE_VALUE);
    g_releaseAtPause = c.releaseAt;
    EXPECT_EQ(RemoveFolderTree(folder, c.retry, RecordPause), c.removed);
    EXPECT_EQ(g_pauses, c.pauses);
    EXPECT_EQ(Exists(folder + L"\\sub\\b.txt"), !c.removed);
    EXPECT_FALSE(Exists(folder + L"\\a.txt"));
    if (g_held != INVALID_HANDLE_VALUE) CloseHandle(g_held);
    g_held = INVALID_HANDLE_VALUE;
  }
}

TEST_F(DeleteFolderContentsTest, EmptiesTheFolderAndKeepsIt) {
  for (const wchar_t* suffix : {L"", L"\\"}) {
    const std::wstring folder = MakeTree(L"lorent-del-tree");
    DeleteFolderContents(folder + suffix, true, RecordPause);
    EXPECT_TRUE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Names(folder), std::vector<std::wstring>{});
    RemoveDirectoryW(folder.c_str());
  }
  EXPECT_TRUE(g_pauses.empty());
}

TEST_F(DeleteFolderContentsTest, NothingHappensForAnEmptyPathOrMissingFolder) {
  DeleteFolderContents(L"", true, RecordPause);
  DeleteFolderContents(TempFolder() + L"lorent-del-missing", true, RecordPause);
  EXPECT_TRUE(g_pauses.empty());
  EXPECT_FALSE(Exists(TempFolder() + L"lorent-del-missing"));
}

TEST_F(DeleteFolderContentsTest, SystemEntriesAreKept) {
  const std::wstring folder = MakeTree(L"lorent-del-system");
  WriteFile(folder + L"\\system.dat");
  ASSERT_TRUE(SetFileAttributesW((folder + L"\\system.dat").c_str(), FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(SetFileAttributesW((folder + L"\\sub").c_str(), FILE_ATTRIBUTE_SYSTEM));
  DeleteFolderContents(folder, false, RecordPause);
  EXPECT_TRUE(Exists(folder + L"\\system.dat"));
  EXPECT_TRUE(Exists(folder + L"\\sub\\deeper\\c.txt"));
  EXPECT_FALSE(Exists(folder + L"\\a.txt"));
  EXPECT_FALSE(Exists(folder + L"\\empty"));
  SetFileAttributesW((folder + L"\\system.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
  SetFileAttributesW((folder + L"\\sub").c_str(), FILE_ATTRIBUTE_DIRECTORY);
  RemoveFolderTree(folder, false);
}

TEST_F(DeleteFolderContentsTest, FileHeldOpenRepeatsTheWholePass) {
  struct Case {
    bool retry;
    size_t releaseAt;
    bool emptied;
    std::vector<DWORD> pauses;
  } cases[] = {
      {false, 0, false, {}},
      {true, 1, true, {10000}},
      {true, 2, true, {10000, 10000}},
      {true, 0, false, {10000, 10000}},  // three passes in all
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "retry " << c.retry << ", released at pause " << c.releaseAt);
    g_pauses.clear();
    const std::wstring folder = MakeTree(L"lorent-del-held");
    g_held = HoldOpen(folder + L"\\sub\\b.txt");
    ASSERT_NE(g_held, INVALID_HANDLE_VALUE);
    g_releaseAtPause = c.releaseAt;
    DeleteFolderContents(folder, c.retry, RecordPause);
    EXPECT_EQ(g_pauses, c.pauses);
    EXPECT_EQ(Exists(folder + L"\\sub\\b.txt"), !c.emptied);
    EXPECT_FALSE(Exists(folder + L"\\a.txt"));
    EXPECT_TRUE(Exists(folder));
    if (g_held != INVALID_HANDLE_VALUE) CloseHandle(g_held);
    g_held = INVALID_HANDLE_VALUE;
  }
}

// The shell deletes read-only entries too (no attribute is changed by the
// program itself).
TEST_F(DeleteFolderContentsTest, ReadOnlyFilesAreDeletedByTheShell) {
  const std::wstring folder = MakeTree(L"lorent-del-readonly");
  ASSERT_TRUE(SetFileAttributesW((folder + L"\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(SetFileAttributesW((folder + L"\\sub\\deeper\\c.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  DeleteFolderContents(folder, true, RecordPause);
  EXPECT_EQ(Names(folder), std::vector<std::wstring>{});
  EXPECT_TRUE(g_pauses.empty());
}

// A thread already in the multithreaded apartment still gets its folder cleaned.
TEST_F(DeleteFolderContentsTest, WorksFromAMultithreadedApartment) {
  const std::wstring folder = MakeTree(L"lorent-del-mta");
  std::thread worker([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    DeleteFolderContents(folder, false, RecordPause);
    CoUninitialize();
  });
  worker.join();
  EXPECT_EQ(Names(folder), std::vector<std::wstring>{});
}

TEST(ListFolderEntries, ListsFilesAndFoldersButNoSystemEntries) {
  const std::wstring folder = MakeTree(L"lorent-list");
  WriteFile(folder + L"\\hidden.txt");
  SetFileAttributesW((folder + L"\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  WriteFile(folder + L"\\system.txt");
  SetFileAttributesW((folder + L"\\system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
  std::vector<std::wstring> list{L"kept"};
  ListFolderEntries(folder + L"\\", list);
  std::sort(list.begin() + 1, list.end());
  EXPECT_EQ(list, (std::vector<std::wstring>{L"kept", L"a.txt", L"empty", L"hidden.txt", L"sub"}));
  SetFileAttributesW((folder + L"\\system.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveFolderTree(folder, false);
}

TEST(DeleteEntriesWithShell, DeletesOnlyTheNamedEntries) {
  const std::wstring folder = MakeTree(L"lorent-shell");
  EXPECT_TRUE(DeleteEntriesWithShell(folder, {L"a.txt", L"sub"}));
  EXPECT_EQ(Names(folder), (std::vector<std::wstring>{L"empty"}));
  EXPECT_TRUE(DeleteEntriesWithShell(folder, {}));
  EXPECT_EQ(Names(folder), (std::vector<std::wstring>{L"empty"}));
  RemoveFolderTree(folder, false);
}

TEST(CFileOpInterface, AnswersItsInterfaceAndCountsReferences) {
  auto* sink = new CFileOpInterface();
  EXPECT_TRUE(sink->Succeeded());
  void* found = nullptr;
  ASSERT_EQ(sink->QueryInterface(IID_IFileOperationProgressSink, &found), S_OK);
  EXPECT_EQ(found, static_cast<IFileOperationProgressSink*>(sink));
  ASSERT_EQ(sink->QueryInterface(IID_IUnknown, &found), S_OK);
  EXPECT_EQ(found, static_cast<IFileOperationProgressSink*>(sink));
  EXPECT_EQ(sink->QueryInterface(IID_IShellItem, &found), E_NOINTERFACE);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(sink->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  // Created with 1, two successful queries: 3.
  EXPECT_EQ(sink->AddRef(), 4u);
  EXPECT_EQ(sink->Release(), 3u);

  // Only a failed deletion clears the flag; a copy's result is passed back.
  EXPECT_EQ(sink->PostDeleteItem(0, nullptr, S_OK, nullptr), S_OK);
  EXPECT_TRUE(sink->Succeeded());
  EXPECT_EQ(sink->PostCopyItem(0, nullptr, nullptr, nullptr, E_ACCESSDENIED, nullptr), E_ACCESSDENIED);
  EXPECT_EQ(sink->PostRenameItem(0, nullptr, nullptr, E_FAIL, nullptr), S_OK);
  EXPECT_TRUE(sink->Succeeded());
  EXPECT_EQ(sink->PostDeleteItem(0, nullptr, HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION), nullptr), S_OK);
  EXPECT_FALSE(sink->Succeeded());

  EXPECT_EQ(sink->Release(), 2u);
  EXPECT_EQ(sink->Release(), 1u);
  EXPECT_EQ(sink->Release(), 0u);
}

// Links planted by plant-links.sh. A link is removed as a link, never entered:
// its target keeps its file. Wine 8 cannot remove a Unix link as a link (it
// would remove the target folder, which is not empty), so there the link stays
// and with it the folders above it; on Windows RemoveDirectoryW removes a
// junction itself and the folders go.
const std::wstring kLinks = L"C:\\lorent-links\\";

bool IsLinkEntry(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Whether nothing but links (and the folders that hold them) is left.
bool OnlyLinksLeft(const std::wstring& folder) {
  std::vector<std::wstring> names;
  ListFolderEntries(folder, names);
  for (const std::wstring& name : names) {
    const std::wstring path = folder + L"\\" + name;
    if (IsLinkEntry(path)) continue;
    if (!(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) || !OnlyLinksLeft(path)) {
      ADD_FAILURE() << "left behind: " << testing::PrintToString(path);
      return false;
    }
  }
  return true;
}

void ExpectTargetIntact(const std::wstring& caseFolder) {
  EXPECT_TRUE(Exists(caseFolder + L"\\target\\keep.txt")) << "the link's target lost its file";
}

TEST(Links, FixtureIsPlanted) {
  const DWORD link = GetFileAttributesW((kLinks + L"tree\\work\\link").c_str());
  ASSERT_NE(link, INVALID_FILE_ATTRIBUTES) << "run through tests/win/plant-links.sh";
  EXPECT_EQ(link & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
            DWORD{FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT});
  EXPECT_TRUE(Exists(kLinks + L"tree\\work\\link\\keep.txt"));
}

TEST(Links, RemoveFolderTreeRemovesLinksNotTargets) {
  const std::wstring dir = kLinks + L"tree";
  const bool removed = RemoveFolderTree(dir + L"\\work", false);
  EXPECT_EQ(removed, !Exists(dir + L"\\work"));
  if (!removed) EXPECT_TRUE(OnlyLinksLeft(dir + L"\\work"));
  ExpectTargetIntact(dir);
}

TEST(Links, DeleteFolderContentsRemovesLinksNotTargets) {
  const std::wstring dir = kLinks + L"contents";
  DeleteFolderContents(dir + L"\\work", false);
  EXPECT_TRUE(Exists(dir + L"\\work"));
  EXPECT_FALSE(Exists(dir + L"\\work\\file.txt"));
  EXPECT_TRUE(OnlyLinksLeft(dir + L"\\work"));
  ExpectTargetIntact(dir);
}

TEST(Links, RemoveFolderTreeOnALinkDoesNotEnterIt) {
  const std::wstring dir = kLinks + L"selftree";
  const bool removed = RemoveFolderTree(dir + L"\\worklink\\", false);
  EXPECT_EQ(removed, !Exists(dir + L"\\worklink"));
  ExpectTargetIntact(dir);
}

TEST(Links, DeleteFolderContentsLeavesALinkedFolderAlone) {
  const std::wstring dir = kLinks + L"selfcontents";
  DeleteFolderContents(dir + L"\\worklink", false);
  EXPECT_TRUE(IsLinkEntry(dir + L"\\worklink"));
  ExpectTargetIntact(dir);
}

}  // namespace
