// Which names stored in a cabinet may be expanded under a target folder.
#include <gtest/gtest.h>

#include "package/StoredPath.h"

using lorent::package::CheckStoredPath;

TEST(CheckStoredPath, AcceptsRelativeChainsOfNames) {
  for (const char16_t* path : {u"readme.txt", u"docs\\readme.txt", u"a\\b\\c\\d.bin", u"docs/readme.txt",
                               u"\u5c55\u958b\\x.txt", u"..name", u"a..b\\c", u"name with spaces.txt"}) {
    EXPECT_EQ(CheckStoredPath(path), "") << std::u16string(path).size();
  }
}

TEST(CheckStoredPath, RefusesNamesThatLeaveTheTarget) {
  struct Case {
    const char16_t* path;
    const char* why;
  } cases[] = {
      {u"", "is empty"},
      {u"\\rooted.txt", "is absolute"},
      {u"/rooted.txt", "is absolute"},
      {u"\\\\server\\share\\x.txt", "is absolute"},
      {u"C:\\x.txt", "carries a drive"},
      {u"C:x.txt", "carries a drive"},
      {u"..", "climbs out of the target folder"},
      {u"..\\x.txt", "climbs out of the target folder"},
      {u"docs\\..\\..\\x.txt", "climbs out of the target folder"},
      {u"docs/../x.txt", "climbs out of the target folder"},
      {u"docs\\..", "climbs out of the target folder"},
      // Names the system would rewrite or send elsewhere.
      {u"docs\\\\x.txt", "has a part that is empty"},
      {u"docs\\", "has a part that is empty"},
      {u"docs\\.\\x.txt", "has a part that names a folder relative to its parent"},
      {u"docs\\...\\x.txt", "has a part that ends with a dot or a space"},
      {u"docs\\x.txt:stream", "has a part that contains a colon (a drive or a stream name)"},
      {u"docs\\CON", "has a part that is a reserved device name"},
      {u"nul.txt", "has a part that is a reserved device name"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckStoredPath(c.path), c.why) << "case " << (&c - cases);
  }
}
