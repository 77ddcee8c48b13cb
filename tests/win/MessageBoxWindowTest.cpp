// The message box as the user sees it: showbox.exe shows it in its own
// process, the UI probe finds it by process id and reads its client size and
// control rectangles, presses its buttons and keys, and reads the result.
// Expected measures are worked out here from the message measured in the same
// font, in units scaled to the screen's DPI (run at 96, 120 and 144 DPI).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "UiProbe.h"
#include "framework/Handle.h"
#include "res/resource.h"
#include "ui/Texts.h"

using namespace lorent;
using namespace lorent::test;

namespace {

class Screen {
 public:
  Screen() {
    const HDC screen = ::GetDC(nullptr);
    dpiX = ::GetDeviceCaps(screen, LOGPIXELSX);
    dpiY = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    width = ::GetSystemMetrics(SM_CXSCREEN);
    std::wstring face;
    LoadStringOrEnglish(IDS_FONT_FACE, face);
    font.Reset(::CreateFontW(-::MulDiv(9, dpiY, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH,
                             face.c_str()));
    dc = ::CreateCompatibleDC(nullptr);
    ::SelectObject(dc, font.Get());
    const int units = ::MulDiv(width, 96, dpiX) - 92;
    maxW = units < 400 ? units : 400;
  }
  ~Screen() { ::DeleteDC(dc); }

  SIZE Measure(const std::wstring& text) const {
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return size;
  }
  int UnitsX(int pixels) const { return ::MulDiv(pixels, 96, dpiX); }
  int UnitsY(int pixels) const { return ::MulDiv(pixels, 96, dpiY); }
  int X(int units) const { return ::MulDiv(units, dpiX, 96); }
  int Y(int units) const { return ::MulDiv(units, dpiY, 96); }
  // The rectangle that a control placed at x, y with width w, height h (units) gets.
  RECT Place(int x, int y, int w, int h) const { return {X(x), Y(y), X(x) + X(w), Y(y) + Y(h)}; }

  int dpiX = 96, dpiY = 96, width = 0, maxW = 0;
  UniqueFont font;
  HDC dc = nullptr;
};

const Screen& TheScreen() {
  static Screen screen;
  return screen;
}

std::wstring Rect(const RECT& r) {
  return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) + L"x" +
         std::to_wstring(r.bottom - r.top);
}

// One box shown by showbox.exe, read, acted on and ended.
struct Shown {
  DialogInfo info;
  bool ended = false;
  DWORD result = 0;
};

enum class Act { kNone, kClickLeft, kClickRight, kClose, kAltF4, kEscapeThenClose, kEnter };

Shown Show(const std::wstring& arguments, Act act) {
  Shown shown;
  DWORD processId = 0;
  const HANDLE process = StartProgram(OwnFolder() + L"..\\helpers\\showbox.exe", arguments, processId);
  EXPECT_NE(process, nullptr) << "showbox.exe did not start";
  if (!process) return shown;
  const HWND dialog = FindProcessDialog(processId, 20000);
  EXPECT_NE(dialog, nullptr) << "no box appeared";
  if (dialog) {
    shown.info = ReadDialog(dialog);
    switch (act) {
      case Act::kNone: break;
      case Act::kClickLeft: PressButton(dialog, IDC_MSG_LEFT_BUTTON); break;
      case Act::kClickRight: PressButton(dialog, IDC_MSG_RIGHT_BUTTON); break;
      case Act::kClose: CloseFromSystemMenu(dialog); break;
      case Act::kAltF4: PressAltF4(dialog); break;
      case Act::kEnter: PressKey(dialog, VK_RETURN); break;
      case Act::kEscapeThenClose: {
        PressKey(dialog, VK_ESCAPE);
        DWORD code = 0;
        EXPECT_FALSE(WaitExitCode(process, 1500, code)) << "Escape ended the box with " << code;
        CloseFromSystemMenu(dialog);
        break;
      }
    }
  }
  shown.ended = WaitExitCode(process, 10000, shown.result);
  if (!shown.ended) ::TerminateProcess(process, 0xDEAD);
  ::CloseHandle(process);
  return shown;
}

std::wstring BoxArguments(const std::wstring& message, const std::wstring& button1, const std::wstring& button2) {
  std::wstring escaped;
  for (wchar_t c : message) {
    if (c == L'\n') escaped += L"\\n";
    else escaped += c;
  }
  return L"box " + QuoteArgument(escaped) + L" Caption " + QuoteArgument(button1) + L" " + QuoteArgument(button2);
}

// Checks the layout of a box whose message control is `textW` × `textH` units.
void ExpectLayout(const DialogInfo& info, int textW, int textH) {
  const Screen& s = TheScreen();
  const ControlInfo* text = info.Control(IDC_MSG_TEXT);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(Rect(text->rect), Rect(s.Place(22, 22, textW, textH))) << "message control";
  EXPECT_EQ(info.client.cx, s.X(textW + 44)) << "client width";
  EXPECT_EQ(info.client.cy, s.Y(textH + 44 + 10 + 33)) << "client height";
  const ControlInfo* check = info.Control(IDC_MSG_CHECK);
  ASSERT_NE(check, nullptr);
  EXPECT_FALSE(check->visible);
}

// Appends words until the message measures at least `units` wide.
std::wstring MessageOfWidth(int units) {
  const Screen& s = TheScreen();
  static const wchar_t* const kWords[] = {L"setup ", L"will ", L"copy ", L"the ", L"files ", L"of ", L"this ",
                                          L"package ", L"into ", L"a ", L"folder ", L"now "};
  std::wstring text;
  for (size_t i = 0; s.UnitsX(s.Measure(text).cx) < units; ++i) text += kWords[i % 12];
  return text;
}

TEST(MessageBoxWindow, ScreenGivesTheExpectedMaximumWidth) {
  // Set by the scenario on a narrow screen; the other cases then wrap there.
  const char* expected = std::getenv("LORENT_EXPECT_MAXW");
  if (!expected) GTEST_SKIP() << "maximum width " << TheScreen().maxW;
  EXPECT_EQ(TheScreen().maxW, std::atoi(expected));
}

TEST(MessageBoxWindow, ShortMessageHasMinimumWidthAndOneButton) {
  const Screen& s = TheScreen();
  const std::wstring message = L"Setup failed.";
  const SIZE size = s.Measure(message);
  ASSERT_LT(size.cx, s.X(200));
  const int h = s.UnitsY(size.cy);

  const Shown shown = Show(BoxArguments(message, L"OK", L""), Act::kClickRight);
  ExpectLayout(shown.info, 200, h);
  // 244 × (h + 87) units, one 75-unit button at x 159, y h + 54.
  EXPECT_EQ(shown.info.client.cx, s.X(244));
  EXPECT_EQ(shown.info.client.cy, s.Y(h + 87));
  const ControlInfo* right = shown.info.Control(IDC_MSG_RIGHT_BUTTON);
  const ControlInfo* left = shown.info.Control(IDC_MSG_LEFT_BUTTON);
  ASSERT_TRUE(right && left);
  EXPECT_EQ(Rect(right->rect), Rect(s.Place(159, h + 54, 75, 23)));
  EXPECT_TRUE(right->visible);
  EXPECT_EQ(right->text, L"OK");
  EXPECT_FALSE(left->visible);
  EXPECT_EQ(shown.info.caption, L"Caption");
  EXPECT_EQ(shown.info.controls.size(), 4u);
  ASSERT_TRUE(shown.ended);
  EXPECT_EQ(shown.result, 1u);
}

TEST(MessageBoxWindow, OkAndCancelAreBoth75UnitsWide) {
  const Screen& s = TheScreen();
  ASSERT_LT(s.Measure(L"Cancel").cx, s.X(55));
  const int h = s.UnitsY(s.Measure(L"Proceed?").cy);
  const Shown shown = Show(BoxArguments(L"Proceed?", L"Cancel", L"OK"), Act::kClickLeft);
  ExpectLayout(shown.info, 200, h);
  const ControlInfo* right = shown.info.Control(IDC_MSG_RIGHT_BUTTON);
  const ControlInfo* left = shown.info.Control(IDC_MSG_LEFT_BUTTON);
  ASSERT_TRUE(right && left);
  EXPECT_EQ(Rect(right->rect), Rect(s.Place(159, h + 54, 75, 23)));
  EXPECT_EQ(Rect(left->rect), Rect(s.Place(75, h + 54, 75, 23)));
  EXPECT_EQ(right->text, L"Cancel");
  EXPECT_EQ(left->text, L"OK");
  EXPECT_TRUE(left->visible && right->visible);
  ASSERT_TRUE(shown.ended);
  EXPECT_EQ(shown.result, 6u);
}

TEST(MessageBoxWindow, ResultCodes) {
  struct Case {
    const wchar_t* name;
    const wchar_t* button1;
    const wchar_t* button2;
    Act act;
    DWORD result;
  };
  const Case cases[] = {
      {L"two buttons, right", L"No", L"Yes", Act::kClickRight, IDNO},
      {L"two buttons, left", L"No", L"Yes", Act::kClickLeft, IDYES},
      {L"two buttons, close box", L"No", L"Yes", Act::kClose, IDCANCEL},
      {L"two buttons, Alt+F4", L"No", L"Yes", Act::kAltF4, IDCANCEL},
      {L"two buttons, Escape does nothing", L"No", L"Yes", Act::kEscapeThenClose, IDCANCEL},
      {L"two buttons, Enter presses the focused left button", L"No", L"Yes", Act::kEnter, IDYES},
      {L"one button", L"OK", L"", Act::kClickRight, IDOK},
      {L"only the second text", L"", L"OK", Act::kClickRight, IDOK},
      {L"one button, close box", L"OK", L"", Act::kClose, IDCANCEL},
      {L"one button, Escape does nothing", L"OK", L"", Act::kEscapeThenClose, IDCANCEL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name);
    const Shown shown = Show(BoxArguments(L"Go on?", c.button1, c.button2), c.act);
    ASSERT_TRUE(shown.ended);
    EXPECT_EQ(shown.result, c.result);
  }
}

TEST(MessageBoxWindow, EmptyTextsGiveMinimumWidthAndOneEmptyButton) {
  const Screen& s = TheScreen();
  const int h = s.UnitsY(s.Measure(L"").cy);
  const Shown shown = Show(BoxArguments(L"", L"", L""), Act::kClickRight);
  ExpectLayout(shown.info, 200, h);
  const ControlInfo* right = shown.info.Control(IDC_MSG_RIGHT_BUTTON);
  ASSERT_NE(right, nullptr);
  EXPECT_EQ(Rect(right->rect), Rect(s.Place(159, h + 54, 75, 23)));
  EXPECT_EQ(right->text, L"");
  EXPECT_FALSE(shown.info.Control(IDC_MSG_LEFT_BUTTON)->visible);
  ASSERT_TRUE(shown.ended);
  EXPECT_EQ(shown.result, 1u);
}

TEST(MessageBoxWindow, MessageWiderThanMinimumKeepsItsWidth) {
  const Screen& s = TheScreen();
  const std::wstring message = MessageOfWidth(250);
  const SIZE size = s.Measure(message);
  const int w = s.UnitsX(size.cx);
  ASSERT_GT(w, 200);
  ASSERT_LE(size.cx, s.X(s.maxW));
  const Shown shown = Show(BoxArguments(message, L"OK", L""), Act::kClose);
  ExpectLayout(shown.info, w, s.UnitsY(size.cy));
  EXPECT_EQ(Rect(shown.info.Control(IDC_MSG_RIGHT_BUTTON)->rect),
            Rect(s.Place(w + 44 - 10 - 75, s.UnitsY(size.cy) + 54, 75, 23)));
}

TEST(MessageBoxWindow, MessageJustWiderThanTheMaximumKeepsItsWidthOnTwoLines) {
  const Screen& s = TheScreen();
  // Pad a message to just over the maximum: more than maxW, at most maxW + 5 units.
  std::wstring message = MessageOfWidth(s.maxW - 12);
  while (s.Measure(message).cx <= s.X(s.maxW)) message += L'.';
  const SIZE size = s.Measure(message);
  ASSERT_LE(size.cx, s.X(s.maxW + 5)) << "no message lands just over the maximum in this font";
  const Shown shown = Show(BoxArguments(message, L"OK", L""), Act::kClose);
  ExpectLayout(shown.info, s.UnitsX(size.cx), s.UnitsY(2 * size.cy));
}

TEST(MessageBoxWindow, LongMessageWrapsAtTheMaximumWidth) {
  const Screen& s = TheScreen();
  const std::wstring message = MessageOfWidth(s.maxW * 5 / 2);
  const SIZE size = s.Measure(message);
  const int limit = s.X(s.maxW);
  const int lines = (size.cx + limit - 1) / limit;
  ASSERT_EQ(lines, 3);
  const Shown shown = Show(BoxArguments(message, L"OK", L""), Act::kClose);
  ExpectLayout(shown.info, s.maxW, s.UnitsY(lines * size.cy));
}

TEST(MessageBoxWindow, ThreeParagraphsTakeThreeLines) {
  const Screen& s = TheScreen();
  const std::wstring paragraph = MessageOfWidth(s.maxW * 2 / 3);
  const std::wstring message = paragraph + L"\n" + paragraph + L"\n" + paragraph;
  ASSERT_LT(s.Measure(paragraph).cx, s.X(s.maxW));
  ASSERT_GT(s.Measure(message).cx, s.X(s.maxW + 5));
  const Shown shown = Show(BoxArguments(message, L"OK", L""), Act::kClose);
  ExpectLayout(shown.info, s.maxW, s.UnitsY(3 * s.Measure(paragraph).cy));
  EXPECT_EQ(shown.info.Control(IDC_MSG_TEXT)->text, message);
}

TEST(MessageBoxWindow, ShortParagraphsEachGetALine) {
  // Two short lines fit the minimum width; the control is still two lines high.
  const Screen& s = TheScreen();
  const std::wstring message = L"First line.\nSecond line.";
  ASSERT_LE(s.Measure(message).cx, s.X(200));
  const Shown shown = Show(BoxArguments(message, L"OK", L""), Act::kClose);
  ExpectLayout(shown.info, 200, s.UnitsY(2 * s.Measure(L"Second line.").cy));
}

TEST(MessageBoxWindow, ButtonWidthsFollowTheirTexts) {
  const Screen& s = TheScreen();
  // A text from 55 to below 72 units gives 92; a wider one its own width + 20.
  std::wstring medium = L"Continue";
  while (s.Measure(medium).cx < s.X(55)) medium += L'!';
  ASSERT_LT(s.Measure(medium).cx, s.X(72));
  const std::wstring wide = L"Install the package later";
  const int tw = s.Measure(wide).cx;
  ASSERT_GE(tw, s.X(72));
  const int wideWidth = s.UnitsX(tw) + 20;

  const int h = s.UnitsY(s.Measure(L"Choose").cy);
  const Shown shown = Show(BoxArguments(L"Choose", wide, medium), Act::kClose);
  ExpectLayout(shown.info, 200, h);
  EXPECT_EQ(Rect(shown.info.Control(IDC_MSG_RIGHT_BUTTON)->rect), Rect(s.Place(234 - wideWidth, h + 54, wideWidth, 23)));
  EXPECT_EQ(Rect(shown.info.Control(IDC_MSG_LEFT_BUTTON)->rect),
            Rect(s.Place(234 - wideWidth - 9 - 92, h + 54, 92, 23)));
  // The buttons never widen the box.
  EXPECT_EQ(shown.info.client.cx, s.X(244));
}

}  // namespace

namespace {

// Colour of the screen at a point of the box's client area.
COLORREF ClientPixel(HWND dialog, int x, int y) {
  POINT point{x, y};
  ::ClientToScreen(dialog, &point);
  const HDC screen = ::GetDC(nullptr);
  const COLORREF colour = ::GetPixel(screen, point.x, point.y);
  ::ReleaseDC(nullptr, screen);
  return colour;
}

struct Colours {
  COLORREF band;      // inside the band, beside the message
  COLORREF message;   // behind the message text, at its right end
  COLORREF below;     // below the band, left of the buttons
};

Colours ShowAndSample() {
  const Screen& s = TheScreen();
  Colours colours{};
  DWORD processId = 0;
  const HANDLE process = StartProgram(OwnFolder() + L"..\\helpers\\showbox.exe", BoxArguments(L"Hi", L"OK", L""), processId);
  EXPECT_NE(process, nullptr);
  if (!process) return colours;
  const HWND dialog = FindProcessDialog(processId, 20000);
  EXPECT_NE(dialog, nullptr);
  if (dialog) {
    ::Sleep(300);
    const DialogInfo info = ReadDialog(dialog);
    const int bandHeight = info.Control(IDC_MSG_TEXT)->rect.bottom + s.Y(22);
    colours.band = ClientPixel(dialog, s.X(5), s.Y(5));
    colours.message = ClientPixel(dialog, info.Control(IDC_MSG_TEXT)->rect.right - 2, info.Control(IDC_MSG_TEXT)->rect.top + 1);
    colours.below = ClientPixel(dialog, s.X(5), bandHeight + s.Y(5));
    CloseFromSystemMenu(dialog);
  }
  DWORD code = 0;
  if (!WaitExitCode(process, 10000, code)) ::TerminateProcess(process, 0xDEAD);
  ::CloseHandle(process);
  return colours;
}

TEST(MessageBoxWindow, WhiteBandAboveTheButtons) {
  const Colours colours = ShowAndSample();
  EXPECT_EQ(colours.band, RGB(255, 255, 255));
  EXPECT_EQ(colours.message, RGB(255, 255, 255));
  EXPECT_EQ(colours.below, ::GetSysColor(COLOR_BTNFACE));
}

TEST(MessageBoxWindow, HighContrastUsesTheWindowColoursInsteadOfTheBand) {
  HIGHCONTRASTW on{};
  on.cbSize = sizeof on;
  on.dwFlags = HCF_HIGHCONTRASTON;
  const bool set = ::SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof on, &on, 0) != FALSE;
  HIGHCONTRASTW check{};
  check.cbSize = sizeof check;
  ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof check, &check, 0);
  const COLORREF oldWindow = ::GetSysColor(COLOR_WINDOW);
  const COLORREF oldText = ::GetSysColor(COLOR_WINDOWTEXT);
  const INT elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT};
  const COLORREF scheme[] = {RGB(0, 0, 0), RGB(255, 255, 0)};
  ::SetSysColors(2, elements, scheme);

  const Colours colours = (check.dwFlags & HCF_HIGHCONTRASTON) ? ShowAndSample() : Colours{};

  const COLORREF old[] = {oldWindow, oldText};
  ::SetSysColors(2, elements, old);
  HIGHCONTRASTW off{};
  off.cbSize = sizeof off;
  if (set) ::SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof off, &off, 0);
  if (!(check.dwFlags & HCF_HIGHCONTRASTON)) GTEST_SKIP() << "high contrast cannot be switched on here";

  // No white band: the dialog and the message take the scheme's window colour.
  EXPECT_EQ(colours.band, RGB(0, 0, 0));
  EXPECT_EQ(colours.message, RGB(0, 0, 0));
  EXPECT_EQ(colours.below, RGB(0, 0, 0));
}

}  // namespace
