// The update agent's key as the registry holds it.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/AgentKey.h"
#include "framework/Handle.h"

using namespace lorent;

namespace {

class AgentKeyTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteKeyW(HKEY_LOCAL_MACHINE, kAgentKeyPath); }
  void TearDown() override { RegDeleteKeyW(HKEY_LOCAL_MACHINE, kAgentKeyPath); }
  void Set(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    UniqueKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kAgentKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(),
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size);
  }
  void SetNumber(const wchar_t* name, DWORD value) { Set(name, REG_DWORD, &value, sizeof value); }
};

TEST_F(AgentKeyTest, NoKeyIsAManualLaunch) {
  const AgentValues agent = ReadAgentKey();
  EXPECT_FALSE(agent.keyOpened);
  EXPECT_TRUE(IsManualLaunch());
  EXPECT_FALSE(IsAgentLaunch());
}

TEST_F(AgentKeyTest, ValuesAreReadAsNumbersWhateverTheirType) {
  SetNumber(L"LaunchInstaller", 1);
  EXPECT_TRUE(IsAgentLaunch()) << "a missing SilentExecution counts as 0";
  EXPECT_FALSE(IsManualLaunch());

  Set(L"SilentExecution", REG_SZ, L"1", 4);  // the text "1" is not the number 1
  AgentValues agent = ReadAgentKey();
  EXPECT_EQ(agent.silentExecution, 0x31u);
  EXPECT_EQ(ChooseLaunchMode(agent), LaunchMode::None);

  SetNumber(L"SilentExecution", 1);
  EXPECT_EQ(ChooseLaunchMode(ReadAgentKey()), LaunchMode::AgentSilent);

  SetNumber(L"SilentExecution", 2);
  EXPECT_EQ(ChooseLaunchMode(ReadAgentKey()), LaunchMode::None);

  // Longer than four bytes: read as 0, consistently.
  const unsigned char eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
  Set(L"LaunchInstaller", REG_BINARY, eight, sizeof eight);
  EXPECT_EQ(ReadAgentKey().launchInstaller, 0u);
  EXPECT_TRUE(IsManualLaunch());
}

}  // namespace
