#include <gtest/gtest.h>

#include "ui/MessageElement.h"

using namespace lorent;

TEST(MessageElement, TagsSelectTheirElement) {
  EXPECT_EQ(SelectionPathForTag(u"ja-jp"), u"MessageInfo/JPN");
  EXPECT_EQ(SelectionPathForTag(u"de-de"), u"MessageInfo/DEU");
  EXPECT_EQ(SelectionPathForTag(u"en-us"), u"MessageInfo/ENG");
  EXPECT_EQ(SelectionPathForTag(u"uk-ua"), u"MessageInfo/RUS");  // no Ukrainian element
  EXPECT_EQ(SelectionPathForTag(u"pt-br"), u"MessageInfo/PTB");
  EXPECT_EQ(SelectionPathForTag(u"en-gb"), u"");
  EXPECT_EQ(SelectionPathForTag(u"JA-JP"), u"");
  EXPECT_EQ(SelectionPathForTag(u""), u"");
}

TEST(MessageElement, AmpersandsAreDoubled) {
  EXPECT_EQ(DoubleAmpersands(u"Save & restart"), u"Save && restart");
  EXPECT_EQ(DoubleAmpersands(u"&&"), u"&&&&");
  EXPECT_EQ(DoubleAmpersands(u"none"), u"none");
}
