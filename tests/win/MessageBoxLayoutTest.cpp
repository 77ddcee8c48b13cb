// The message box's layout arithmetic with a text measure of known widths:
// "i" is 2 pixels wide, every other character 7, and lines are 15 pixels high
// at 96 DPI, scaled with the DPI.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ui/MessageBoxLayout.h"

using namespace lorent;

namespace {

class FixedMeasure final : public CTextMeasure {
 public:
  explicit FixedMeasure(int dpi) : m_dpi(dpi) {}
  using CTextMeasure::Measure;
  SIZE Measure(const wchar_t* text, int length) const override {
    int width = 0;
    for (int i = 0; i < length; ++i) width += text[i] == L'i' ? 2 : 7;
    return {::MulDiv(width, m_dpi, 96), ::MulDiv(15, m_dpi, 96)};
  }

 private:
  int m_dpi;
};

TEST(MaxMessageWidth, FollowsTheScreenUpTo400Units) {
  EXPECT_EQ(MaxMessageWidth(800, 96), 400);
  EXPECT_EQ(MaxMessageWidth(480, 96), 388);
  EXPECT_EQ(MaxMessageWidth(1024, 120), 400);
  EXPECT_EQ(MaxMessageWidth(480, 120), 292);  // 384 units wide
  EXPECT_EQ(MaxMessageWidth(492, 96), 400);
}

TEST(ButtonWidthForText, Bands) {
  struct Case {
    int dpi;
    int textWidth;
    int width;
  };
  const Case cases[] = {
      {96, 0, 75},    {96, 54, 75},   {96, 55, 92},   {96, 71, 92},   {96, 72, 92},
      {96, 73, 93},   {96, 91, 111},  {96, 92, 112},  {96, 200, 220},
      {120, 68, 75},  {120, 69, 92},  {120, 89, 92},  {120, 90, 92},  {120, 115, 112},
      {144, 82, 75},  {144, 83, 92},  {144, 107, 92}, {144, 108, 92}, {144, 138, 112},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ButtonWidthForText(c.textWidth, c.dpi), c.width) << c.textWidth << " px at " << c.dpi;
  }
}

TEST(LayoutMessageText, WidthAndHeight) {
  struct Case {
    const char* name;
    std::wstring message;
    int dpi;
    int width;   // units
    int height;  // units
  };
  // On a 1024-pixel screen maxW is 400 units.
  const std::wstring c57(57, L'x');  // 399 units: fits
  const Case cases[] = {
      {"empty: minimum width, one line", L"", 96, 200, 15},
      {"short", L"Setup failed.", 96, 200, 15},
      {"narrower than 200 units gets 200", std::wstring(28, L'x') /*196*/, 96, 200, 15},
      {"wider than the minimum keeps its width", std::wstring(36, L'x'), 96, 252, 15},
      {"fits the maximum", c57, 96, 399, 15},
      {"3 units too wide keeps its width, two lines", c57 + L"ii" /*403*/, 96, 403, 30},
      {"5 units too wide keeps its width", c57 + L"iii" /*405*/, 96, 405, 30},
      {"6 units too wide wraps at the maximum", c57 + L"x" /*406*/, 96, 400, 30},
      {"two and a half lines", std::wstring(143, L'x') /*1001*/, 96, 400, 45},
      {"three paragraphs", std::wstring(40, L'x') + L"\n" + std::wstring(40, L'x') + L"\n" + std::wstring(40, L'x'),
       96, 400, 45},
      {"a long paragraph and an empty one", std::wstring(80, L'x') + L"\n\n" + L"xx", 96, 400, 60},
      {"ending in a line feed", std::wstring(80, L'x') + L"\n", 96, 400, 30},
      {"short paragraphs still get a line each", L"First\nSecond\nThird", 96, 200, 45},
      {"at 120 DPI", c57 + L"xx", 120, 400, 30},
      {"short at 144 DPI", L"Setup failed.", 144, 200, 15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const MessageTextSize size = LayoutMessageText(c.message, 1024, c.dpi, c.dpi, FixedMeasure(c.dpi));
    EXPECT_EQ(size.width, c.width);
    EXPECT_EQ(size.height, c.height);
  }
}

TEST(EstimateTextHeight, CountsLinesPerParagraph) {
  const FixedMeasure measure(96);
  const auto estimate = [&](const std::wstring& text, int maxW) {
    return EstimateTextHeight(text, measure.Measure(text), maxW, 96, measure);
  };
  EXPECT_EQ(estimate(std::wstring(30, L'x'), 100), 3 * 15);                  // 210 px in 100-px lines
  EXPECT_EQ(estimate(L"ab\ncd", 100), 2 * 15);
  EXPECT_EQ(estimate(L"\n\n", 100), 2 * 15);                                 // two empty paragraphs
  EXPECT_EQ(estimate(L"ab\r\ncd", 100), 2 * 15);                             // CR belongs to its paragraph
  EXPECT_EQ(estimate(std::wstring(14, L'x') + L"\r\nab", 100), 3 * 15);     // 15 characters with the CR: 2 lines
  EXPECT_EQ(estimate(L"abc", 0), 0);                                         // no width, no lines
}

}  // namespace
