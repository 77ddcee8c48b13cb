// The arithmetic of the message box layout, apart from the window: measures
// are 96-DPI units, text is measured in pixels through a CTextMeasure.
#pragma once

#include <windows.h>

#include <string>

namespace lorent {

// Pixel size of a text drawn as one line in the message font.
class CTextMeasure {
 public:
  virtual SIZE Measure(const wchar_t* text, int length) const = 0;
  SIZE Measure(const std::wstring& text) const { return Measure(text.data(), static_cast<int>(text.size())); }

 protected:
  ~CTextMeasure() = default;
};

namespace msgbox {

// Fixed measures, in units.
constexpr int kTextMargin = 22;       // around the message inside the white band
constexpr int kMinTextWidth = 200;    // a short message still gets this width
constexpr int kMaxTextWidth = 400;    // the widest a message gets
constexpr int kScreenReserve = 92;    // left free beside the message on small screens
constexpr int kWrapTolerance = 5;     // a text at most this much too wide keeps its width
constexpr int kButtonGap = 10;        // band to buttons, buttons to the right and bottom edges
constexpr int kButtonSpacing = 9;     // between the two buttons
constexpr int kButtonHeight = 23;
constexpr int kButtonMinWidth = 75;
constexpr int kButtonPadding = 20;    // added to a wide button text

}  // namespace msgbox

inline int UnitsToPixels(int units, int dpi) { return ::MulDiv(units, dpi, 96); }
inline int PixelsToUnits(int pixels, int dpi) { return ::MulDiv(pixels, 96, dpi); }

// The widest a message may get on a screen `screenWidth` pixels wide.
int MaxMessageWidth(int screenWidth, int dpiX);

// Pixel height that the static control needs for `message` wrapped at
// `maxWidth` units; `whole` is the message measured as one line.
int EstimateTextHeight(const std::wstring& message, SIZE whole, int maxWidth, int dpiX, const CTextMeasure& measure);

// Size of the message control, in units.
struct MessageTextSize {
  int width;
  int height;
};
MessageTextSize LayoutMessageText(const std::wstring& message, int screenWidth, int dpiX, int dpiY,
                                  const CTextMeasure& measure);

// Width in units of a button whose text measures `textWidth` pixels.
int ButtonWidthForText(int textWidth, int dpiX);

}  // namespace lorent
