#include "package/CabinetExpansion.h"

#include <cstdlib>
#include <string_view>

#include "framework/WinText.h"
#include "package/StoredPath.h"

namespace lorent {

namespace {

// Paths cross the cabinet interface as UTF-8 and come back as wide text.
std::wstring WideFromUtf8(const char* text) {
  std::wstring wide;
  if (!text || !*text) return wide;
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (length <= 1) return wide;
  wide.resize(static_cast<size_t>(length));
  ::MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

std::string Utf8FromWide(const std::wstring& text) {
  std::string bytes;
  if (text.empty()) return bytes;
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return bytes;
  bytes.resize(static_cast<size_t>(size));
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
  bytes.resize(static_cast<size_t>(size - 1));
  return bytes;
}

// The callbacks run inside Cabinet.dll: nothing may be thrown through them.

FNALLOC(Allocate) { return std::malloc(cb); }

FNFREE(Free) {
  if (pv) std::free(pv);
}

HANDLE OpenForFdi(const std::wstring& path, int oflag) {
  DWORD access = GENERIC_READ;
  if (oflag & 0x2) {
    access = GENERIC_READ | GENERIC_WRITE;
  } else if (oflag & 0x1) {
    access = GENERIC_WRITE;
  }
  const DWORD disposition = (oflag & 0x100) ? CREATE_ALWAYS : OPEN_EXISTING;
  return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

FNOPEN(Open) {
  (void)pmode;
  return reinterpret_cast<INT_PTR>(OpenForFdi(WideFromUtf8(pszFile), oflag));
}

FNREAD(Read) {
  DWORD done = 0;
  if (!hf || !pv || !::ReadFile(reinterpret_cast<HANDLE>(hf), pv, cb, &done, nullptr)) return static_cast<UINT>(-1);
  return done;
}

FNWRITE(Write) {
  DWORD done = 0;
  if (!hf || !pv || !::WriteFile(reinterpret_cast<HANDLE>(hf), pv, cb, &done, nullptr)) return static_cast<UINT>(-1);
  return done;
}

FNCLOSE(Close) {
  if (!hf) return -1;
  return ::CloseHandle(reinterpret_cast<HANDLE>(hf)) ? 0 : -1;
}

FNSEEK(Seek) {
  return static_cast<long>(::SetFilePointer(reinterpret_cast<HANDLE>(hf), dist, nullptr, static_cast<DWORD>(seektype)));
}

// Opens the destination of one stored file, making its folders first.
INT_PTR OpenDestination(const char* target, const char* storedName) {
  const std::wstring name = WideFromUtf8(storedName);
  // Everything must land inside the target folder.
  if (!package::CheckStoredPath(AsU16(name)).empty()) return -1;
  const size_t cut = name.rfind(L'\\');
  const std::wstring directory = cut == std::wstring::npos ? std::wstring() : name.substr(0, cut);
  const std::wstring file = cut == std::wstring::npos ? name : name.substr(cut + 1);
  // A top-level file gets target + "\\" + name; the system accepts the doubled separator.
  const std::wstring folder = WideFromUtf8(target) + L"\\" + directory + L"\\";
  if (CreateDirectoryChain(folder.c_str()) != 0) return -1;
  return reinterpret_cast<INT_PTR>(OpenForFdi(folder + file, 0x101));
}

// Stamps a finished file with its stored time and attributes, then closes it.
BOOL FinishDestination(HANDLE file, USHORT date, USHORT time, USHORT attributes) {
  using SetInformation = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
  FILETIME local, universal;
  if (::DosDateTimeToFileTime(date, time, &local) && ::LocalFileTimeToFileTime(&local, &universal)) {
    // Looked up, not imported: the call is missing before Windows 6.0.
    const auto set = reinterpret_cast<SetInformation>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetFileInformationByHandle")));
    if (set) {
      FILE_BASIC_INFO info = {};
      info.CreationTime.LowPart = universal.dwLowDateTime;
      info.CreationTime.HighPart = static_cast<LONG>(universal.dwHighDateTime);
      // The stored date is the file's modification date: it becomes the
      // last-write time as well. -1 leaves the other times alone.
      info.LastWriteTime = info.CreationTime;
      info.LastAccessTime.QuadPart = -1;
      info.ChangeTime.QuadPart = -1;
      info.FileAttributes = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                          FILE_ATTRIBUTE_ARCHIVE);
      static_assert(sizeof(info) == 40);
      set(file, FileBasicInfo, &info, sizeof(info));
    }
  }
  if (!file) return FALSE;
  return ::CloseHandle(file);
}

FNFDINOTIFY(Notify) {
  switch (fdint) {
    case fdintCABINET_INFO:
    case fdintPARTIAL_FILE:
    case fdintENUMERATE:
      return 0;
    case fdintCOPY_FILE:
      return OpenDestination(static_cast<const char*>(pfdin->pv), pfdin->psz1);
    case fdintCLOSE_FILE_INFO:
      return FinishDestination(reinterpret_cast<HANDLE>(pfdin->hf), pfdin->date, pfdin->time, pfdin->attribs);
    case fdintNEXT_CABINET:
      return pfdin->fdie != FDIERROR_NONE ? -1 : 0;
    default:
      return -1;
  }
}

void WriteOut(std::string_view text) {
  const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (!out || out == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

const char* FdiErrorName(int error) {
  static const char* const kNames[] = {
      "No error",
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
      "Application aborted",
  };
  if (error < 0 || error >= static_cast<int>(sizeof(kNames) / sizeof(kNames[0]))) return "Unknown error";
  return kNames[error];
}

void PrintExpansionFailure(const char* call, const ERF& erf) {
  // Formatted by hand: the C library's formatted output would grow the stub.
  char number[16];
  char* end = number + sizeof(number);
  char* p = end;
  const bool negative = erf.erfOper < 0;
  unsigned value = negative ? 0u - static_cast<unsigned>(erf.erfOper) : static_cast<unsigned>(erf.erfOper);
  do {
    *--p = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value);
  if (negative) *--p = '-';
  std::string line(call);
  line += " failed with error code ";
  line.append(p, end);
  line += ": ";
  line += FdiErrorName(erf.erfOper);
  line += "\n";
  WriteOut(line);
}

std::wstring CabinetLibraryPath() {
  wchar_t folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(folder, length) + L"\\Cabinet.dll";
}

bool CreateExpansionContext(CExpansionContext& context) {
  DestroyExpansionContext(context);
  context.erf = {};
  const std::wstring path = CabinetLibraryPath();
  if (!path.empty()) context.hLibrary.Reset(::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  using Create = decltype(&::FDICreate);
  Create create = nullptr;
  if (context.hLibrary) {
    const HMODULE library = context.hLibrary.Get();
    create = reinterpret_cast<Create>(reinterpret_cast<void*>(::GetProcAddress(library, "FDICreate")));
    context.pfnCopy = reinterpret_cast<decltype(context.pfnCopy)>(
        reinterpret_cast<void*>(::GetProcAddress(library, "FDICopy")));
    context.pfnDestroy = reinterpret_cast<decltype(context.pfnDestroy)>(
        reinterpret_cast<void*>(::GetProcAddress(library, "FDIDestroy")));
  }
  if (!create || !context.pfnCopy || !context.pfnDestroy) {
    // No usable library: an error number outside FDI's own ("Unknown error").
    context.erf.erfOper = -1;
    context.erf.erfType = static_cast<int>(::GetLastError());
    context.erf.fError = TRUE;
    DestroyExpansionContext(context);
    return false;
  }
  context.hfdi = create(Allocate, Free, Open, Read, Write, Close, Seek, cpuUNKNOWN, &context.erf);
  if (!context.hfdi) {
    DestroyExpansionContext(context);
    return false;
  }
  return true;
}

CExpansionContext::~CExpansionContext() { DestroyExpansionContext(*this); }

void DestroyExpansionContext(CExpansionContext& context) {
  if (context.hfdi && context.pfnDestroy) context.pfnDestroy(context.hfdi);
  context.hfdi = nullptr;
  context.pfnCopy = nullptr;
  context.pfnDestroy = nullptr;
  context.hLibrary.Reset();
}

bool ExpandCabinet(CExpansionContext& context, const std::wstring& cabinetPath, const std::wstring& targetFolder) {
  const size_t cut = cabinetPath.rfind(L'\\');
  const std::wstring folder = cut == std::wstring::npos ? std::wstring() : cabinetPath.substr(0, cut + 1);
  const std::wstring name = cut == std::wstring::npos ? cabinetPath : cabinetPath.substr(cut + 1);
  if (targetFolder.size() < 3 || folder.size() < 2 || name.size() < 2) return true;

  std::string target = Utf8FromWide(targetFolder);
  std::string cabinetFolder = Utf8FromWide(folder);
  std::string cabinetName = Utf8FromWide(name);
  if (!context.hfdi || !context.pfnCopy ||
      !context.pfnCopy(context.hfdi, cabinetName.data(), cabinetFolder.data(), 0, Notify, nullptr, target.data())) {
    PrintExpansionFailure("FDICopy", context.erf);
    return false;
  }
  return true;
}

DWORD CreateDirectoryChain(const wchar_t* path) {
  if (!path) return 0;
  const DWORD attributes = ::GetFileAttributesW(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;

  std::wstring copy(path);
  if (copy.size() > 1 && copy.back() == L'\\') copy.pop_back();
  const size_t cut = copy.rfind(L'\\');
  if (cut == std::wstring::npos) return ERROR_INVALID_DRIVE;
  copy.resize(cut);
  const DWORD parent = CreateDirectoryChain(copy.c_str());
  if (parent != 0) return parent;
  if (::CreateDirectoryW(path, nullptr)) return 0;
  const DWORD error = ::GetLastError();
  if (error == ERROR_ALREADY_EXISTS) {
    // Made meanwhile by someone else is fine; a file in the way is not.
    const DWORD now = ::GetFileAttributesW(path);
    return now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ERROR_ALREADY_EXISTS;
  }
  return error;
}

}  // namespace lorent
