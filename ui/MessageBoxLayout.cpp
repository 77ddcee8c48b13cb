#include "ui/MessageBoxLayout.h"

namespace lorent {
namespace {

// Lines that a text `width` pixels wide takes when lines hold `limit` pixels.
int LineCount(int width, int limit) { return limit == 0 ? 0 : (width + limit - 1) / limit; }

}  // namespace

int MaxMessageWidth(int screenWidth, int dpiX) {
  const int width = PixelsToUnits(screenWidth, dpiX) - msgbox::kScreenReserve;
  return width < msgbox::kMaxTextWidth ? width : msgbox::kMaxTextWidth;
}

int EstimateTextHeight(const std::wstring& message, SIZE whole, int maxWidth, int dpiX, const CTextMeasure& measure) {
  const int limit = UnitsToPixels(maxWidth, dpiX);
  const size_t lastFeed = message.rfind(L'\n');
  if (lastFeed == std::wstring::npos) return LineCount(whole.cx, limit) * whole.cy;

  // Paragraphs before the last line feed; an empty one still takes a line.
  int lines = 0;
  size_t start = 0;
  for (size_t feed = message.find(L'\n'); feed != std::wstring::npos; feed = message.find(L'\n', start)) {
    if (feed == start) lines += 1;
    else lines += LineCount(measure.Measure(message.data() + start, static_cast<int>(feed - start)).cx, limit);
    start = feed + 1;
  }
  if (start < message.size()) {
    const SIZE tail = measure.Measure(message.data() + start, static_cast<int>(message.size() - start));
    return (lines + LineCount(tail.cx, limit)) * tail.cy;
  }
  return lines * whole.cy;
}

MessageTextSize LayoutMessageText(const std::wstring& message, int screenWidth, int dpiX, int dpiY,
                                  const CTextMeasure& measure) {
  const SIZE whole = measure.Measure(message);
  const int maxWidth = MaxMessageWidth(screenWidth, dpiX);
  MessageTextSize size{};
  int pixelHeight;
  if (whole.cx > UnitsToPixels(maxWidth, dpiX)) {
    // Too wide for one line: the control wraps it.
    size.width = whole.cx > UnitsToPixels(maxWidth + msgbox::kWrapTolerance, dpiX) ? maxWidth
                                                                                    : PixelsToUnits(whole.cx, dpiX);
    pixelHeight = EstimateTextHeight(message, whole, maxWidth, dpiX, measure);
  } else {
    size.width = whole.cx <= UnitsToPixels(msgbox::kMinTextWidth, dpiX) ? msgbox::kMinTextWidth
                                                                          : PixelsToUnits(whole.cx, dpiX);
    // A line feed starts a new line even when the whole text is narrow: the
    // control needs the height of every paragraph, not of one line.
    pixelHeight = message.find(L'\n') == std::wstring::npos
                      ? whole.cy
                      : EstimateTextHeight(message, whole, maxWidth, dpiX, measure);
  }
  size.height = PixelsToUnits(pixelHeight, dpiY);
  return size;
}

int ButtonWidthForText(int textWidth, int dpiX) {
  if (textWidth < UnitsToPixels(55, dpiX)) return msgbox::kButtonMinWidth;
  if (textWidth < UnitsToPixels(72, dpiX)) return 92;
  // From 72 units on the text sets the width: at 72 units that is 92 again.
  return PixelsToUnits(textWidth, dpiX) + msgbox::kButtonPadding;
}

}  // namespace lorent
