#include "package/FolderRemoval.h"

#include <objbase.h>
#include <shellapi.h>
#include <shobjidl.h>

#include <new>

#include "framework/Handle.h"
#include "package/FileOpInterface.h"

namespace lorent {

namespace {

constexpr CLSID kClsidFileOperation = {0x3AD05575, 0x8857, 0x4850, {0x92, 0x77, 0x11, 0xB8, 0x5B, 0xDB, 0x8E, 0x09}};
constexpr IID kIidFileOperation = {0x947AAB5F, 0x0A5C, 0x4C13, {0xB4, 0xD6, 0x4B, 0xF7, 0x83, 0x6F, 0xC9, 0xF8}};
constexpr IID kIidShellItem = {0x43826D1E, 0xE718, 0x42EE, {0xBC, 0x55, 0xA1, 0xE2, 0x61, 0xC3, 0x7B, 0xFE}};
constexpr GUID kBhidSFObject = {0x3981E224, 0xF559, 0x11D3, {0x8E, 0x3A, 0x00, 0xC0, 0x4F, 0x68, 0x37, 0xD5}};
constexpr IID kIidShellFolder = {0x000214E6, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI; no undo,
// so entries are deleted, not moved to the recycle bin.
constexpr DWORD kDeleteFlags = 0x614;
static_assert(kDeleteFlags == (FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI));

constexpr int kAttempts = 3;

struct Entry {
  std::wstring name;
  DWORD attributes;
};

std::wstring WithSlash(const std::wstring& folder) {
  if (!folder.empty() && folder.back() == L'\\') return folder;
  return folder + L'\\';
}

std::wstring WithoutSlash(const std::wstring& folder) {
  if (folder.size() > 3 && folder.back() == L'\\') return folder.substr(0, folder.size() - 1);
  return folder;
}

bool IsDots(const wchar_t* name) { return name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2])); }

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// Removes a file, or a link itself: RemoveDirectoryW removes a junction or
// folder link without entering it (and never deletes anything inside its
// target), DeleteFileW removes a file link, not the file it points to.
bool RemoveEntry(const std::wstring& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ::RemoveDirectoryW(path.c_str()) != FALSE;
  return ::DeleteFileW(path.c_str()) != FALSE;
}

bool RemoveEntryWithAttempts(const std::wstring& path, DWORD attributes, bool retry, RemovalPause pause) {
  const int attempts = retry ? kAttempts : 1;
  for (int attempt = 1;; ++attempt) {
    if (RemoveEntry(path, attributes)) return true;
    if (attempt >= attempts) return false;
    pause(kRemovalRetryPauseMs);
  }
}

// Entries of the folder in the order the system returns them. `all` keeps
// entries with the system attribute.
void ListEntries(const std::wstring& folder, const wchar_t* pattern, bool all, std::vector<Entry>& entries) {
  WIN32_FIND_DATAW data;
  UniqueFind find(::FindFirstFileW((WithSlash(folder) + pattern).c_str(), &data));
  if (!find) return;
  do {
    if (IsDots(data.cFileName)) continue;
    if (!all && (data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM)) continue;
    entries.push_back({data.cFileName, data.dwFileAttributes});
  } while (::FindNextFileW(find.Get(), &data));
}

// Removes every link inside the folder, at any depth, without entering one.
// Returns false when a link stays.
bool RemoveLinksBelow(const std::wstring& folder) {
  std::vector<Entry> entries;
  ListEntries(folder, L"*", true, entries);
  bool removed = true;
  for (const Entry& entry : entries) {
    const std::wstring path = WithSlash(folder) + entry.name;
    if (IsLink(entry.attributes)) {
      removed = RemoveEntry(path, entry.attributes) && removed;
    } else if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
      removed = RemoveLinksBelow(path) && removed;
    }
  }
  return removed;
}

// The shell deletes a folder by walking into it and may follow a link it
// meets there. So links are removed here first, and only what holds no link
// any more is handed to the shell. A folder in which a link cannot be removed
// is cleaned entry by entry in the same way and stays. Returns true when
// everything named was deleted.
bool DeleteEntriesAvoidingLinks(const std::wstring& folder, const std::vector<Entry>& entries) {
  std::vector<std::wstring> names;
  bool removed = true;
  for (const Entry& entry : entries) {
    const std::wstring path = WithSlash(folder) + entry.name;
    if (IsLink(entry.attributes)) {
      removed = RemoveEntry(path, entry.attributes) && removed;
    } else if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) && !RemoveLinksBelow(path)) {
      removed = false;
      std::vector<Entry> inner;
      ListEntries(path, L"*", true, inner);
      DeleteEntriesAvoidingLinks(path, inner);
    } else {
      names.push_back(entry.name);
    }
  }
  return DeleteEntriesWithShell(folder, names) && removed;
}

// The file operation object deletes read-only entries; the older interface
// refuses them on some systems. So before it is used, the read-only attribute
// is cleared on the entry and everything below it (links are not entered).
void ClearReadOnly(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || IsLink(attributes)) return;
  if (attributes & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    std::vector<Entry> entries;
    ListEntries(path, L"*", true, entries);
    for (const Entry& entry : entries) ClearReadOnly(WithSlash(path) + entry.name);
  }
}

// The older shell interface, over the same entries. One call per entry, so
// that an entry that cannot be deleted does not stop the others.
bool DeleteEntriesWithFileOperationW(const std::wstring& folder, const std::vector<std::wstring>& list) {
  bool done = true;
  for (const std::wstring& name : list) {
    const std::wstring path = WithSlash(folder) + name;
    ClearReadOnly(path);
    std::wstring from = path;
    from += L'\0';  // the list ends with an empty name
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = static_cast<FILEOP_FLAGS>(kDeleteFlags);
    if (::SHFileOperationW(&operation) != 0 || operation.fAnyOperationsAborted) done = false;
  }
  return done;
}

template <typename T>
struct ComTraits {
  using Type = T*;
  static Type Empty() { return nullptr; }
  static void Close(Type p) { p->Release(); }
};
template <typename T>
using UniqueCom = Unique<ComTraits<T>>;

// Calls a function of SHELL32.dll looked up by name; the library is released
// after the call. Returns false when the function is not there.
template <typename Function, typename... Args>
bool CallShell32(const char* name, HRESULT& result, Args... args) {
  wchar_t system[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  UniqueModule shell32(::LoadLibraryW((std::wstring(system, length) + L"\\SHELL32.dll").c_str()));
  if (!shell32) return false;
  const auto function =
      reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(shell32.Get(), name)));
  if (!function) return false;
  result = function(args...);
  return true;
}

using CreateItemFromParsingName = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, REFIID, void**);
using CreateShellItemArray = HRESULT(WINAPI*)(PCIDLIST_ABSOLUTE, IShellFolder*, UINT, PCUITEMID_CHILD_ARRAY,
                                               IShellItemArray**);

enum class Pass { Done, Retry, NotImplemented };

Pass IfNotImplemented(HRESULT result) { return result == E_NOTIMPL ? Pass::NotImplemented : Pass::Done; }

// One pass of the file operation object; COM is initialised by the caller.
Pass RunFileOperation(const std::wstring& folder, const std::vector<std::wstring>& list) {
  UniqueCom<CFileOpInterface> sink(new (std::nothrow) CFileOpInterface());
  if (!sink) return Pass::Done;
  UniqueCom<IFileOperation> operation;
  HRESULT result = ::CoCreateInstance(kClsidFileOperation, nullptr, CLSCTX_ALL, kIidFileOperation,
                                      reinterpret_cast<void**>(operation.Put()));
  if (FAILED(result) || !operation) {
    return result == REGDB_E_CLASSNOTREG ? Pass::NotImplemented : IfNotImplemented(result);
  }
  DWORD cookie = 0;
  result = operation.Get()->Advise(sink.Get(), &cookie);
  if (FAILED(result)) return IfNotImplemented(result);

  Pass pass = Pass::Done;
  bool run = true;
  result = operation.Get()->SetOperationFlags(kDeleteFlags);
  if (FAILED(result)) {
    pass = IfNotImplemented(result);
    run = false;
  }

  UniqueCom<IShellItem> folderItem;
  UniqueCom<IShellFolder> shellFolder;
  if (run && CallShell32<CreateItemFromParsingName>("SHCreateItemFromParsingName", result, folder.c_str(), nullptr,
                                                    kIidShellItem, reinterpret_cast<void**>(folderItem.Put()))) {
    if (FAILED(result) || !folderItem) run = false;
    if (run) {
      result = folderItem.Get()->BindToHandler(nullptr, kBhidSFObject, kIidShellFolder,
                                               reinterpret_cast<void**>(shellFolder.Put()));
      if (FAILED(result) || !shellFolder) run = false;
    }
    if (run && !list.empty()) {
      std::vector<PITEMID_CHILD> children;
      children.reserve(list.size());
      bool parsed = true;
      for (const std::wstring& name : list) {
        std::wstring text = name;  // ParseDisplayName wants writable text
        PIDLIST_RELATIVE child = nullptr;
        if (FAILED(shellFolder.Get()->ParseDisplayName(nullptr, nullptr, text.data(), nullptr, &child, nullptr)) ||
            !child) {
          parsed = false;
          break;
        }
        children.push_back(reinterpret_cast<PITEMID_CHILD>(child));
      }
      if (parsed) {
        UniqueCom<IShellItemArray> items;
        if (!CallShell32<CreateShellItemArray>("SHCreateShellItemArray", result, nullptr, shellFolder.Get(),
                                               static_cast<UINT>(children.size()),
                                               const_cast<PCUITEMID_CHILD_ARRAY>(children.data()), items.Put()) ||
            FAILED(result) || !items) {
          run = false;
        } else {
          result = operation.Get()->DeleteItems(items.Get());
          if (FAILED(result)) {
            pass = IfNotImplemented(result);
            run = false;
          }
        }
      }
      for (PITEMID_CHILD child : children) ::CoTaskMemFree(child);
    }
  }

  if (run) {
    result = operation.Get()->PerformOperations();
    if (result == E_NOTIMPL) {
      pass = Pass::NotImplemented;
    } else {
      pass = sink.Get()->Succeeded() ? Pass::Done : Pass::Retry;
    }
  }
  operation.Get()->Unadvise(cookie);
  return pass;
}

}  // namespace

void SleepBeforeRetry(DWORD milliseconds) { ::Sleep(milliseconds); }

bool RemoveFolderTree(const std::wstring& folder, bool retry, RemovalPause pause) {
  // A folder that is itself a link goes as a link.
  const DWORD own = ::GetFileAttributesW(WithoutSlash(folder).c_str());
  if (own != INVALID_FILE_ATTRIBUTES && IsLink(own)) {
    return RemoveEntryWithAttempts(WithoutSlash(folder), own, retry, pause);
  }

  const std::wstring base = WithSlash(folder);
  WIN32_FIND_DATAW data;
  UniqueFind find(::FindFirstFileW((base + L"*").c_str(), &data));
  if (!find) return ::RemoveDirectoryW(folder.c_str()) != FALSE;
  do {
    if (IsDots(data.cFileName)) continue;
    const std::wstring path = base + data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(data.dwFileAttributes)) {
      RemoveFolderTree(path, retry, pause);
    } else {
      RemoveEntryWithAttempts(path, data.dwFileAttributes, retry, pause);
    }
  } while (::FindNextFileW(find.Get(), &data));
  if (::GetLastError() != ERROR_NO_MORE_FILES) return false;
  find.Reset();
  return ::RemoveDirectoryW(folder.c_str()) != FALSE;
}

void ListFolderEntries(const std::wstring& folder, std::vector<std::wstring>& list) {
  std::vector<Entry> entries;
  ListEntries(folder, L"*.*", false, entries);
  for (Entry& entry : entries) list.push_back(std::move(entry.name));
}

bool DeleteEntriesWithShell(const std::wstring& folder, const std::vector<std::wstring>& list) {
  const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (init == RPC_E_CHANGED_MODE) {
    // The thread lives in another apartment, where the file operation object
    // is not to be used: the older interface needs none.
    return DeleteEntriesWithFileOperationW(folder, list);
  }
  if (FAILED(init)) return true;
  const Pass pass = RunFileOperation(folder, list);
  bool done = pass != Pass::Retry;
  if (pass == Pass::NotImplemented) done = DeleteEntriesWithFileOperationW(folder, list);
  ::CoUninitialize();
  return done;
}

void DeleteFolderContents(const std::wstring& folder, bool retry, RemovalPause pause) {
  if (folder.empty()) return;
  const DWORD own = ::GetFileAttributesW(WithoutSlash(folder).c_str());
  if (own != INVALID_FILE_ATTRIBUTES && IsLink(own)) return;

  for (int attempt = 1;; ++attempt) {
    std::vector<Entry> entries;
    ListEntries(folder, L"*.*", false, entries);
    const bool done = DeleteEntriesAvoidingLinks(folder, entries);
    if (done || !retry || attempt >= kAttempts) return;
    pause(kRemovalRetryPauseMs);
  }
}

}  // namespace lorent
