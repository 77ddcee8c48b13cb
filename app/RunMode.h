// How a run was asked for: the silent switch on the command line and the
// update agent's registry key.
#pragma once

#include <cstdint>
#include <string_view>

namespace lorent {

// True when a token of the command line is -s or /s in any case. Tokens are
// separated by spaces only; trailing white space of a token is ignored;
// quotes mean nothing.
bool HasSilentSwitch(std::u16string_view commandLine);

// What the update agent's key says. A value that is missing reads as 0.
struct AgentValues {
  bool keyOpened = false;
  uint32_t silentExecution = 0;
  uint32_t launchInstaller = 0;
};

enum class LaunchMode {
  AgentSilent,  // SilentExecution is 1: ParamDAAU
  Manual,       // no key, or LaunchInstaller is not 1: ParamManual
  Agent,        // LaunchInstaller 1 and SilentExecution 0: ParamDAM
  None,         // LaunchInstaller 1 and SilentExecution anything else: no mode parameter
};

LaunchMode ChooseLaunchMode(const AgentValues& agent);

}  // namespace lorent
