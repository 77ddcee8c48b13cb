#include <gtest/gtest.h>

#include "framework/Utf.h"

using namespace lorent;

TEST(Utf, ConvertsBothWaysAndRefusesBrokenText) {
  struct Case {
    const char* what;
    std::string utf8;
    std::optional<std::u16string> utf16;
  };
  const Case cases[] = {
      {"ASCII", "AssistFile.ini", u"AssistFile.ini"},
      {"empty", "", u""},
      {"two-byte", "\xC3\xA4", u"\u00E4"},
      {"three-byte (Japanese)", "\xE6\x97\xA5\xE6\x9C\xAC", u"\u65E5\u672C"},
      {"four-byte: a surrogate pair", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"overlong slash", "\xC0\xAF", std::nullopt},
      {"encoded surrogate", "\xED\xA0\x80", std::nullopt},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", std::nullopt},
      {"truncated sequence", "\xE6\x97", std::nullopt},
      {"lone continuation byte", "\x80", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
    if (c.utf16) {
      EXPECT_EQ(Utf16ToUtf8(*c.utf16), c.utf8);
    }
  }
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), std::nullopt);
  EXPECT_EQ(Utf16ToUtf8Lossy(u"a" + std::u16string(1, u'\xDC00') + u"b"), "a\xEF\xBF\xBD" "b");
}
