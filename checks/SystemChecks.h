// Questions about the machine and the user: the operating system's version
// code and membership in the built-in Administrators group.
#pragma once

#include <windows.h>

namespace lorent {

// Version codes: high nibble major, low nibble minor, for the versions the
// stub tells apart; 0 for every other one.
enum : int {
  kVersionCodeOther = 0,
  kVersionCodeXP = 0x51,
  kVersionCodeVista = 0x60,
  kVersionCode7 = 0x61,
  kVersionCode8 = 0x62,
};

// The version code of the system as the version query reports it to this
// executable. A failed query gives 0.
int GetOSVersionCode();

// The version numbers the system reports to the program (GetVersionExW, as
// the manifest lets it see them); major 0 when the query fails.
OSVERSIONINFOEXW GetOSVersion();

// The version code for a reported major.minor version.
int VersionCodeFor(DWORD major, DWORD minor);

// True when the current process's token lists the built-in Administrators
// group, also as a deny-only group (a member running without elevation).
// Every failure gives false.
bool IsUserAdministrator();

// The same question for a given token (opened with TOKEN_QUERY).
bool IsTokenAdministrator(HANDLE token);

}  // namespace lorent
