#include "app/AgentKey.h"

#include <windows.h>

#include "framework/Handle.h"

namespace lorent {

const wchar_t kAgentKeyPath[] = L"SOFTWARE\\ZEKA Corporation\\Davivido zazur";

namespace {

uint32_t QueryNumber(HKEY key, const wchar_t* name) {
  BYTE buffer[4] = {};
  DWORD size = sizeof buffer;
  if (RegQueryValueExW(key, name, nullptr, nullptr, buffer, &size) != ERROR_SUCCESS) return 0;
  return static_cast<uint32_t>(buffer[0]) | (static_cast<uint32_t>(buffer[1]) << 8) |
         (static_cast<uint32_t>(buffer[2]) << 16) | (static_cast<uint32_t>(buffer[3]) << 24);
}

}  // namespace

AgentValues ReadAgentKey() {
  AgentValues values;
  UniqueKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAgentKeyPath, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return values;
  values.keyOpened = true;
  values.silentExecution = QueryNumber(key.Get(), L"SilentExecution");
  values.launchInstaller = QueryNumber(key.Get(), L"LaunchInstaller");
  return values;
}

bool IsManualLaunch() {
  const AgentValues agent = ReadAgentKey();
  return !agent.keyOpened || agent.launchInstaller != 1;
}

bool IsAgentLaunch() {
  const AgentValues agent = ReadAgentKey();
  return agent.keyOpened && agent.launchInstaller == 1 && agent.silentExecution == 0;
}

}  // namespace lorent
