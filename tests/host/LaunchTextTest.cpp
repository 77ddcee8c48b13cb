// Launcher parameter strings and open commands, as texts.
#include <gtest/gtest.h>

#include "launch/LaunchText.h"

using namespace lorent;

TEST(LaunchText, LauncherParameters) {
  EXPECT_EQ(BuildLauncherParameters(true, u"C:\\W\\setup.exe", u"/manual -s "), u"Yes|C:\\W\\setup.exe|/manual -s");
  EXPECT_EQ(BuildLauncherParameters(true, u"C:\\W\\setup.exe", u""), u"Yes|C:\\W\\setup.exe");
  EXPECT_EQ(BuildLauncherParameters(false, u"C:\\windows\\system32\\cmd.exe", u"/c \"C:\\W\\s.bat\""),
            u"No|C:\\windows\\system32\\cmd.exe|/c \"C:\\W\\s.bat\"");
  // Trailing spaces go, also when the program is the last part.
  EXPECT_EQ(BuildLauncherParameters(false, u"C:\\W\\x ", u""), u"No|C:\\W\\x");
}

TEST(LaunchText, ParameterStringJoinsModeAndCommandLine) {
  EXPECT_EQ(BuildParameterString(u"", u"-s"), u"-s ");
  EXPECT_EQ(BuildParameterString(u"/agent", u""), u"/agent ");
  EXPECT_EQ(BuildParameterString(u"/m", u"-s /x"), u"/m -s /x ");
  EXPECT_EQ(BuildParameterString(u"", u""), u"");
}

TEST(LaunchText, ExtensionIsFromTheLastDot) {
  EXPECT_EQ(ExtensionOf(u"C:\\W\\setup.EXE"), u".EXE");
  EXPECT_EQ(ExtensionOf(u"C:\\W.d\\setup"), u".d\\setup");
  EXPECT_EQ(ExtensionOf(u"C:\\W\\setup"), u"");
}

TEST(LaunchText, OpenCommandsAreCutAtThePlaceholder) {
  struct Case {
    const char* what;
    std::u16string command;
    bool usable;
    std::u16string program;
    std::u16string arguments;  // starting from "pre" handed in
  };
  const std::u16string path = u"C:\\W\\notes.txt";
  const Case cases[] = {
      {"quoted program, unquoted placeholder", u"\"C:\\Program Files\\V\\v.exe\" %1", true,
       u"\"C:\\Program Files\\V\\v.exe\"", u"pre\"C:\\W\\notes.txt\""},
      {"quoted program, switch, quoted placeholder", u"\"C:\\V\\v.exe\" /p \"%1\"", true, u"\"C:\\V\\v.exe\"",
       u"/p \"C:\\W\\notes.txt\""},
      {"everything after the placeholder is dropped", u"v.exe \"%1\" /x %2", true, u"v.exe",
       u"pre\"C:\\W\\notes.txt\""},
      {"arguments before the placeholder stay with the program", u"rundll32.exe shell32.dll,OpenAs %1", true,
       u"rundll32.exe shell32.dll,OpenAs", u"pre\"C:\\W\\notes.txt\""},
      {"the first / decides, even inside a quoted path", u"\"C:/V/v.exe\" -x %1", true, u"\"C:",
       u"/V/v.exe\" -x \"C:\\W\\notes.txt\""},
      {"no placeholder", u"\"C:\\V\\v.exe\"", false, u"", u"pre"},
      {"nothing before the placeholder", u"\"%1\" %*", false, u"", u"pre"},
      {"only spaces before the placeholder", u"   %1", false, u"", u"pre"},
      {"empty command", u"", false, u"", u"pre"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::u16string program;
    std::u16string arguments = u"pre";
    EXPECT_EQ(CutOpenCommand(c.command, path, program, arguments), c.usable);
    EXPECT_EQ(program, c.program);
    EXPECT_EQ(arguments, c.arguments);
  }
}
