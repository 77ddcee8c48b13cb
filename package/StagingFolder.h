// Where runs keep their working folders:
//   <common application data>\ZEKA Corporation\Stowline\PackagingTemp\<run GUID>\ (trailing backslash)
#pragma once

#include <string>

namespace lorent {

// The common application-data folder (ProgramData), or an empty text when it
// cannot be found.
std::wstring CommonAppDataFolder();

// The staging folder "...\PackagingTemp", or an empty text when the common
// application-data folder cannot be found.
std::wstring StagingFolderPath();

// Clears a staging folder the way the system's version asks for: before 6.0
// the folder goes with everything in it; from 6.0 on its contents go through
// the shell and the folder itself stays.
void ClearStagingFolder(const std::wstring& folder, bool retry);

// The security descriptor (SDDL) that CreatePrivateFolder gives the folder.
std::wstring PrivateFolderSecurity();

// Creates a folder that only the creating user, SYSTEM and the Administrators
// group can change (or read); its children inherit that.
bool CreatePrivateFolder(const std::wstring& folder);

}  // namespace lorent
