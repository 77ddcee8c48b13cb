// The update agent's registry key: whether it started the installer and
// whether it wants a silent run. The program only reads it.
#pragma once

#include "app/RunMode.h"

namespace lorent {

// HKEY_LOCAL_MACHINE\SOFTWARE\ZEKA Corporation\Davivido zazur
extern const wchar_t kAgentKeyPath[];

// Reads SilentExecution and LaunchInstaller as 32-bit numbers. A value that
// is missing, longer than four bytes or unreadable reads as 0; its type is
// not looked at.
AgentValues ReadAgentKey();

// True when the key cannot be opened or LaunchInstaller is not 1.
bool IsManualLaunch();
// True when the key opens, LaunchInstaller is 1 and SilentExecution is 0.
bool IsAgentLaunch();

}  // namespace lorent
