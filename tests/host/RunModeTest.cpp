// The silent switch and the launch mode.
#include <gtest/gtest.h>

#include "app/RunMode.h"

using namespace lorent;

TEST(RunMode, SilentSwitchTokens) {
  struct Case {
    std::u16string line;
    bool silent;
  };
  const Case cases[] = {
      {u"-s", true},
      {u"-S", true},
      {u"/S", true},
      {u"/x   /s  -y", true},          // anywhere among the tokens, runs of spaces skipped
      {u"-s\t", true},                 // trailing white space of a token is ignored
      {u"a -s\t b", true},
      {u"", false},
      {u"-silent", false},
      {u"x-s", false},
      {u"\"-s\"", false},              // quotes mean nothing
      {u"-s\tmore", false},            // a tab does not separate tokens
      {u"\t-s", false},
      {u"--s", false},
      {u"s", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.line.begin(), c.line.end()));
    EXPECT_EQ(HasSilentSwitch(c.line), c.silent);
  }
}

TEST(RunMode, LaunchModeTable) {
  struct Case {
    AgentValues agent;
    LaunchMode mode;
  };
  const Case cases[] = {
      {{false, 0, 0}, LaunchMode::Manual},
      {{false, 1, 1}, LaunchMode::Manual},      // values of a key that did not open count for nothing
      {{true, 1, 0}, LaunchMode::AgentSilent},
      {{true, 1, 1}, LaunchMode::AgentSilent},  // the first matching row wins
      {{true, 0, 0}, LaunchMode::Manual},
      {{true, 0, 2}, LaunchMode::Manual},
      {{true, 0, 1}, LaunchMode::Agent},
      {{true, 2, 1}, LaunchMode::None},
      {{true, 0x31, 1}, LaunchMode::None},      // "1" stored as text reads as 0x31
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.agent.keyOpened << " " << c.agent.silentExecution << " "
                                    << c.agent.launchInstaller);
    EXPECT_EQ(ChooseLaunchMode(c.agent), c.mode);
  }
}
