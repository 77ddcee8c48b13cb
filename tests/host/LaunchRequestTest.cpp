// The reference launcher's reading of its parameter string.
#include <gtest/gtest.h>

#include "launcher/LaunchRequest.h"

using namespace lorent::launcher;

TEST(LaunchRequest, ParameterStringFollowsTheLaunchersOwnName) {
  EXPECT_EQ(ParameterString(u"\"C:\\Program Data\\W\\UpdateModuleSetup.exe\" Yes|C:\\W\\setup.exe"),
            u"Yes|C:\\W\\setup.exe");
  EXPECT_EQ(ParameterString(u"UpdateModuleSetup.exe   No|x"), u"No|x");
  EXPECT_EQ(ParameterString(u"UpdateModuleSetup.exe"), u"");
}

TEST(LaunchRequest, ParsesTheThreeShapes) {
  struct Case {
    std::u16string text;
    bool programFile;
    std::u16string program;
    std::u16string arguments;
  };
  const Case cases[] = {
      // A program in a folder with spaces, no arguments.
      {u"Yes|C:\\ProgramData\\ZEKA Corporation\\W\\setup.exe", true,
       u"C:\\ProgramData\\ZEKA Corporation\\W\\setup.exe", u""},
      // A batch file through cmd.exe.
      {u"No|C:\\windows\\system32\\cmd.exe|/c \"C:\\W\\setup.bat\" /quiet", false,
       u"C:\\windows\\system32\\cmd.exe", u"/c \"C:\\W\\setup.bat\" /quiet"},
      // A registered open command; arguments may hold "|" themselves.
      {u"No|\"C:\\Program Files\\Viewer\\view.exe\"|/p  \"C:\\W\\readme.txt\" a|b", false,
       u"\"C:\\Program Files\\Viewer\\view.exe\"", u"/p  \"C:\\W\\readme.txt\" a|b"},
      {u"Yes|C:\\W\\setup.exe|", true, u"C:\\W\\setup.exe", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
    const auto request = ParseLaunchRequest(c.text);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->programFile, c.programFile);
    EXPECT_EQ(request->program, c.program);
    EXPECT_EQ(request->arguments, c.arguments);
  }
}

TEST(LaunchRequest, RefusesMalformedStrings) {
  for (std::u16string text : {u"", u"C:\\W\\setup.exe", u"Maybe|C:\\W\\setup.exe", u"yes|C:\\W\\setup.exe",
                              u"Yes|", u"Yes||args", u"|C:\\W\\setup.exe"}) {
    SCOPED_TRACE(std::string(text.begin(), text.end()));
    EXPECT_FALSE(ParseLaunchRequest(text));
  }
}

TEST(LaunchRequest, SplitsQuotedProgramsAndBuildsTheTargetLine) {
  const auto quoted = SplitProgram(u"\"C:\\Program Files\\v.exe\"  -x");
  ASSERT_TRUE(quoted);
  EXPECT_EQ(quoted->path, u"C:\\Program Files\\v.exe");
  EXPECT_EQ(quoted->arguments, u"-x");
  EXPECT_EQ(TargetCommandLine(*quoted, u"\"C:\\W\\a.txt\""), u"\"C:\\Program Files\\v.exe\" -x \"C:\\W\\a.txt\"");

  const auto plain = SplitProgram(u"C:\\Zeka Corp\\setup.exe");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->path, u"C:\\Zeka Corp\\setup.exe");
  EXPECT_EQ(TargetCommandLine(*plain, u""), u"\"C:\\Zeka Corp\\setup.exe\"");

  EXPECT_FALSE(SplitProgram(u"\"C:\\unclosed.exe"));
  EXPECT_FALSE(SplitProgram(u"\"\" x"));
}
