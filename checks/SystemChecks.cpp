#include "checks/SystemChecks.h"

#include "framework/Handle.h"

namespace lorent {

int VersionCodeFor(DWORD major, DWORD minor) {
  if (major == 5) return minor == 1 ? kVersionCodeXP : kVersionCodeOther;
  if (major == 6) {
    if (minor == 0) return kVersionCodeVista;
    if (minor == 1) return kVersionCode7;
    return kVersionCode8;
  }
  if (major >= 7) return kVersionCode8;
  return kVersionCodeOther;
}

OSVERSIONINFOEXW GetOSVersion() {
  OSVERSIONINFOEXW version = {};
  version.dwOSVersionInfoSize = sizeof(version);  // the 284-byte record
  static_assert(sizeof(OSVERSIONINFOEXW) == 284);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version));  // a failure leaves major 0
#pragma GCC diagnostic pop
  return version;
}

int GetOSVersionCode() {
  const OSVERSIONINFOEXW version = GetOSVersion();
  return VersionCodeFor(version.dwMajorVersion, version.dwMinorVersion);
}

namespace {

struct LocalTraits {
  using Type = HLOCAL;
  static Type Empty() { return nullptr; }
  static void Close(Type p) { ::LocalFree(p); }
};
struct SidTraits {
  using Type = PSID;
  static Type Empty() { return nullptr; }
  static void Close(Type p) { ::FreeSid(p); }
};

}  // namespace

bool IsTokenAdministrator(HANDLE token) {
  DWORD size = 0;
  if (!::GetTokenInformation(token, TokenGroups, nullptr, 0, &size) &&
      ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return false;
  Unique<LocalTraits> buffer(::LocalAlloc(LPTR, size));
  if (!buffer || !::GetTokenInformation(token, TokenGroups, buffer.Get(), size, &size)) return false;

  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  Unique<SidTraits> administrators;
  if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  administrators.Put()))
    return false;

  // The group attributes are not looked at: a deny-only entry counts too.
  const auto* groups = static_cast<const TOKEN_GROUPS*>(buffer.Get());
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    if (::EqualSid(groups->Groups[i].Sid, administrators.Get())) return true;
  }
  return false;
}

bool IsUserAdministrator() {
  UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put())) return false;
  return IsTokenAdministrator(token.Get());
}

}  // namespace lorent
