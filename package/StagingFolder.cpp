#include "package/StagingFolder.h"

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

#include <vector>

#include "checks/SystemChecks.h"
#include "framework/Handle.h"
#include "package/FolderRemoval.h"

namespace lorent {

namespace {


// The SID of the user running this process, as text.
std::wstring CurrentUserSid() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put())) return {};
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return {};
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
  std::wstring sid(text);
  LocalFree(text);
  return sid;
}

}  // namespace

std::wstring CommonAppDataFolder() {
  if (GetOSVersion().dwMajorVersion > 5) {
    // Looked up by name so that the program still starts where it is missing.
    wchar_t system[MAX_PATH] = {};
    if (GetSystemDirectoryW(system, MAX_PATH) == 0) return {};
    UniqueModule shell(LoadLibraryW((std::wstring(system) + L"\\Shell32.dll").c_str()));
    if (!shell) return {};
    using KnownFolderPath = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
    const auto lookup = reinterpret_cast<KnownFolderPath>(
        reinterpret_cast<void*>(GetProcAddress(shell.Get(), "SHGetKnownFolderPath")));
    PWSTR path = nullptr;
    if (!lookup || FAILED(lookup(FOLDERID_ProgramData, 0, nullptr, &path))) {
      CoTaskMemFree(path);
      return {};
    }
    std::wstring folder(path);
    CoTaskMemFree(path);
    return folder;
  }
  std::vector<wchar_t> buffer(2048, L'\0');
  if (!SHGetSpecialFolderPathW(nullptr, buffer.data(), CSIDL_COMMON_APPDATA, FALSE)) return {};
  return buffer.data();
}

std::wstring StagingFolderPath() {
  const std::wstring base = CommonAppDataFolder();
  if (base.empty()) return {};
  return base + L"\\ZEKA Corporation\\Stowline\\PackagingTemp";
}

void ClearStagingFolder(const std::wstring& folder, bool retry) {
  if (folder.empty()) return;
  if (GetOSVersionCode() >= kVersionCodeVista) DeleteFolderContents(folder, retry);
  else RemoveFolderTree(folder, retry);
}

std::wstring PrivateFolderSecurity() {
  const std::wstring user = CurrentUserSid();
  // Protected: nothing inherited from the parent. Full control for SYSTEM,
  // the Administrators group and the user; nobody else has access.
  return L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)" + (user.empty() ? std::wstring() : L"(A;OICI;FA;;;" + user + L")");
}

bool CreatePrivateFolder(const std::wstring& folder) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(PrivateFolderSecurity().c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return false;
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  const BOOL created = CreateDirectoryW(folder.c_str(), &attributes);
  LocalFree(descriptor);
  return created != FALSE;
}

}  // namespace lorent
