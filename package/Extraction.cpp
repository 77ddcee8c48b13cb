#include "package/Extraction.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "checks/ManufacturerCheck.h"
#include "checks/SystemChecks.h"
#include "framework/FileSystem.h"
#include "framework/Handle.h"
#include "framework/WinText.h"
#include "package/CabinetExpansion.h"
#include "package/PackageReader.h"
#include "package/StagingFolder.h"
#include "settings/SettingsFile.h"
#include "res/resource.h"
#include "ui/FailureReport.h"

namespace lorent {

namespace {

constexpr size_t kBlock = 65536;

uint64_t FreeBytes(const std::wstring& folder) {
  using FreeSpace = BOOL(WINAPI*)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto query = kernel ? reinterpret_cast<FreeSpace>(
                                  reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExW")))
                            : nullptr;
  ULARGE_INTEGER available{};
  if (!query || query(folder.c_str(), &available, nullptr, nullptr) != 1) return 0;
  return available.QuadPart;
}

// The part of a path before its first ":", as the warning names the drive.
std::wstring DriveText(const std::wstring& path) {
  const size_t colon = path.find(L':');
  return colon == std::wstring::npos ? std::wstring() : path.substr(0, colon);
}

uint64_t ImageSize(const std::wstring& path) {
  WIN32_FIND_DATAW data{};
  UniqueFind find(FindFirstFileW(path.c_str(), &data));
  if (!find) return 0;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool IsFixedName(std::u16string_view name) {
  return package::EqualsNoCase(name, package::kAssistFile) || package::EqualsNoCase(name, package::kMessageSetting) ||
         package::EqualsNoCase(name, package::kMessageInfo) || package::EqualsNoCase(name, package::kSetupLauncher);
}

// Every group and entry name may be used as a name inside the run's folder.
bool NamesAreSafe(const package::PackageTable& table) {
  for (const auto& [group, entries] : table) {
    if (!package::IsMarkerGroup(group) && !package::CheckName(group).empty()) return false;
    for (const auto& entry : entries) {
      if (!package::CheckName(entry.name).empty()) return false;
    }
  }
  return true;
}

class Extraction {
 public:
  Extraction(CWorkerContext& context, bool showUI) : context_(context), showUI_(showUI) {}
  bool Run();

 private:
  enum class Trigger { Cabinet, OrdinaryFile };

  void WarnDiskSpace(const std::wstring& drive) {
    if (context_.hWnd) SendMessageW(context_.hWnd, UWM_SHOW_WARNING, kWarningDiskSpace, reinterpret_cast<LPARAM>(drive.c_str()));
  }
  void Layout() {
    SendMessageW(context_.hWnd, UWM_LAYOUT, 0, 0);
    Sleep(500);
    SendMessageW(context_.hWnd, UWM_START_STEPPING, 0, 0);
  }
  void ReadExtractSettings();
  void RunTrigger(Trigger trigger);
  void RunGroups(package::PackageTable& table, FILE* image);
  void WriteEntry(FILE* image, const std::wstring& path, uint32_t size);
  void ExpandWritten(const std::wstring& cabinetPath);

  CWorkerContext& context_;
  const bool showUI_;
  uint64_t imageSize_ = 0;
  std::wstring extractPath_;
  std::wstring checkValue_;
  std::wstring chosenFolder_;
  std::wstring cabinetTarget_;
  bool stop_ = false;
  bool abort_ = false;
  bool cabinetSeen_ = false;
  bool cabinetLibraryPresent_ = true;
  bool firstOtherPending_ = true;
  bool expandAfterWrite_ = false;
  std::vector<char> block_;
};

void Extraction::ReadExtractSettings() {
  const std::wstring assist = AssistFilePath(context_);
  ReadParamOption(context_, L"ExtractPathByUser", assist, extractPath_);
  ReadParamOption(context_, L"UseZEKACheck", assist, checkValue_);
}

void Extraction::RunTrigger(Trigger trigger) {
  if (extractPath_.empty()) ReadExtractSettings();
  if (checkValue_ == L"1") {
    if (!IsUserAdministrator()) {
      context_.bProceed = false;
      PostWarning(context_, kWarningAdministrator);
      abort_ = true;
      return;
    }
    if (!CheckManufacturer()) {
      context_.bProceed = false;
      PostWarning(context_, kWarningManufacturer);
      abort_ = true;
      return;
    }
  }
  if (extractPath_ == L"1") {
    context_.bProceed = false;
    BROWSEINFOW browse{};
    std::vector<wchar_t> displayName(4096 / sizeof(wchar_t), L'\0');
    browse.pszDisplayName = displayName.data();
    browse.ulFlags = trigger == Trigger::Cabinet ? 0x51 : 0x53;
    LPITEMIDLIST chosen = SHBrowseForFolderW(&browse);
    if (!chosen) {
      abort_ = true;
      return;
    }
    std::vector<wchar_t> path(2048, L'\0');
    const BOOL named = SHGetPathFromIDListW(chosen, path.data());
    CoTaskMemFree(chosen);
    // A choice without a file-system path counts as a cancel: with an empty
    // folder text the files would go to the root of the current drive.
    if (!named || path[0] == L'\0') {
      abort_ = true;
      return;
    }
    chosenFolder_ = path.data();
    if (trigger == Trigger::Cabinet) cabinetTarget_ = chosenFolder_;
    context_.strChosenFolder = chosenFolder_;

    const size_t slash = chosenFolder_.rfind(L'\\');
    if (slash != std::wstring::npos) {
      const uint64_t free = FreeBytes(chosenFolder_.substr(0, slash));
      const bool enough = trigger == Trigger::Cabinet ? free > 2 * imageSize_ : free > imageSize_;
      if (!enough) {
        WarnDiskSpace(DriveText(chosenFolder_));
        abort_ = true;
        return;
      }
      context_.bUserFolder = true;
      if (!PathExists(chosenFolder_)) CreateDirectoryChain(chosenFolder_.c_str());
      if (showUI_ && context_.hWnd) Layout();
    }
  } else if (showUI_) {
    Layout();
  }
  if (trigger == Trigger::Cabinet) expandAfterWrite_ = true;
}

void Extraction::WriteEntry(FILE* image, const std::wstring& path, uint32_t size) {
  UniqueStream out(_wfopen(path.c_str(), L"wb"));
  if (!out) {
    stop_ = true;
    return;
  }
  const bool complemented = package::StoredComplemented(AsU16(path));
  uint64_t left = size;
  while (left > 0) {
    const size_t take = left < kBlock ? static_cast<size_t>(left) : kBlock;
    const size_t got = std::fread(block_.data(), 1, take, image);
    // The table was checked against the file: data ending early means the
    // file changed under the run. Zeros stand in for what is missing.
    if (got < take) std::fill(block_.begin() + static_cast<std::ptrdiff_t>(got), block_.begin() + static_cast<std::ptrdiff_t>(take), '\0');
    if (complemented) package::Complement(reinterpret_cast<uint8_t*>(block_.data()), take);
    std::fwrite(block_.data(), 1, take, out.Get());
    left -= take;
  }
}

void Extraction::ExpandWritten(const std::wstring& cabinetPath) {
  // Only the cabinet entry is expanded; anything written after it in its
  // group is an ordinary file.
  expandAfterWrite_ = false;
  if (!PathExists(CabinetLibraryPath())) {
    PostWarning(context_, kWarningCabinetLibrary);
    cabinetLibraryPresent_ = false;
    abort_ = true;
    return;
  }
  CExpansionContext expansion;
  if (!CreateExpansionContext(expansion)) {
    PrintExpansionFailure("FDICreate", expansion.erf);
    return;
  }
  if (ExpandCabinet(expansion, cabinetPath, cabinetTarget_)) {
    DeleteFileW(cabinetPath.c_str());
  } else {
    ShowFailureReport(IDS_ERROR_CODE_1003);
    context_.bRun = false;
    // The staging folder: the working folder less its run folder.
    std::wstring staging = context_.strWorkFolder;
    staging.resize(staging.size() - 1);
    staging.resize(staging.rfind(L'\\'));
    ClearStagingFolder(staging, false);
  }
  DestroyExpansionContext(expansion);
}

void Extraction::RunGroups(package::PackageTable& table, FILE* image) {
  const auto marker = table.find(std::u16string(package::kMarkerGroup));
  if (marker == table.end()) return;

  std::vector<std::pair<std::u16string, std::vector<package::PackageEntry>>> groups;
  groups.emplace_back(marker->first, std::move(marker->second));
  table.erase(marker);
  for (auto& group : table) groups.emplace_back(group.first, std::move(group.second));

  block_.resize(kBlock);
  for (const auto& [groupName, entries] : groups) {
    if (stop_ || abort_) break;
    const bool markerPass = package::IsMarkerGroup(groupName);
    const std::wstring group(AsWide(groupName));
    std::wstring groupFolder;
    if (markerPass) {
      groupFolder = context_.strWorkFolder;
    } else {
      if (extractPath_.empty()) ReadExtractSettings();
      // Without a chosen folder a group stays inside the working folder,
      // whatever ExtractPathByUser says: it never lands at a drive's root.
      groupFolder = extractPath_ == L"0" || chosenFolder_.empty() ? context_.strWorkFolder + group + L"\\"
                                                                   : chosenFolder_ + L"\\" + group + L"\\";
      CreateDirectoryW(groupFolder.c_str(), nullptr);
    }
    expandAfterWrite_ = false;
    cabinetTarget_ = context_.strWorkFolder;

    for (const auto& entry : entries) {
      if (stop_ || abort_) break;
      const bool cabinet = package::IsCabinetEntry(entry.name);
      if (cabinet) {
        cabinetSeen_ = true;
        RunTrigger(Trigger::Cabinet);
      } else if (!IsFixedName(entry.name) && firstOtherPending_) {
        firstOtherPending_ = false;
        RunTrigger(Trigger::OrdinaryFile);
      }
      if (abort_) break;

      const std::wstring name(AsWide(entry.name));
      std::wstring path;
      if (context_.bProceed || cabinet) {
        path = groupFolder + name;
      } else {
        const std::wstring folder = chosenFolder_ + L"\\" + (markerPass ? std::wstring() : group + L"\\");
        // The folder may have been chosen inside this group, after its group
        // folder was made in the working folder.
        if (!markerPass) CreateDirectoryW(folder.c_str(), nullptr);
        path = folder + name;
      }
      WriteEntry(image, path, entry.size);
      if (stop_) break;
      if (expandAfterWrite_) ExpandWritten(path);
    }
    if (cabinetSeen_ && !cabinetLibraryPresent_) break;
  }
}

bool Extraction::Run() {
  context_.bRun = true;
  const std::wstring self = GetOwnExecutablePath();
  imageSize_ = ImageSize(self);

  const std::wstring staging = StagingFolderPath();
  if (staging.empty()) return true;  // no common application-data folder: nothing is extracted
  const std::wstring company = staging.substr(0, staging.rfind(L"\\Stowline"));
  const std::wstring product = staging.substr(0, staging.rfind(L'\\'));
  if (!PathExists(company)) CreateDirectoryW(company.c_str(), nullptr);
  if (!PathExists(product)) CreateDirectoryW(product.c_str(), nullptr);
  if (PathExists(staging)) ClearStagingFolder(staging, false);

  if (FreeBytes(product) < 3 * imageSize_) {
    WarnDiskSpace(DriveText(staging));
    context_.bProceed = false;
    return false;
  }

  UniqueStream image(_wfopen(self.c_str(), L"rb"));
  bool found = false;
  if (image) {
    // The reader bounds every allocation by the file's size, so a damaged
    // table cannot exhaust memory.
    package::PackageTable table;
    package::PackageInfo info;
    found = ReadPackageTable(image.Get(), table, &info) && info.status == package::PackageStatus::Complete &&
            NamesAreSafe(table);
    if (found && (CreateDirectoryW(staging.c_str(), nullptr) || PathExists(staging))) {
      context_.strWorkFolder = staging;
      GUID guid{};
      wchar_t text[50] = {};
      if (SUCCEEDED(CoCreateGuid(&guid)) && StringFromGUID2(guid, text, 50) > 0) {
        context_.strRunGuid = text;
        context_.strWorkFolder = staging + L"\\" + text + L"\\";
        if (CreatePrivateFolder(context_.strWorkFolder)) RunGroups(table, image.Get());
      }
    }
  }
  if (showUI_ && found && context_.hWnd) PostMessageW(context_.hWnd, UWM_SET_PROGRESS, 1000, 0);
  return true;
}

}  // namespace

bool ExtractPackage(CWorkerContext* context, bool showUI) {
  if (!context) return false;
  return Extraction(*context, showUI).Run();
}

}  // namespace lorent
