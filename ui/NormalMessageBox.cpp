#include "ui/NormalMessageBox.h"

#include "checks/SystemChecks.h"
#include "res/resource.h"
#include "ui/MessageBoxLayout.h"
#include "ui/Texts.h"

namespace lorent {
namespace {

// Measures with whatever font is selected into the device context.
class CDcMeasure final : public CTextMeasure {
 public:
  explicit CDcMeasure(HDC dc) : m_dc(dc) {}
  using CTextMeasure::Measure;
  SIZE Measure(const wchar_t* text, int length) const override {
    SIZE size{};
    ::GetTextExtentPoint32W(m_dc, text, length, &size);
    return size;
  }

 private:
  HDC m_dc;
};

// A device context of a window, with one font selected while it lives.
class CWindowDc {
 public:
  CWindowDc(HWND window, HFONT font) : m_window(window), m_dc(::GetDC(window)) {
    if (m_dc && font) m_oldFont = ::SelectObject(m_dc, font);
  }
  ~CWindowDc() {
    if (!m_dc) return;
    if (m_oldFont) ::SelectObject(m_dc, m_oldFont);
    ::ReleaseDC(m_window, m_dc);
  }
  CWindowDc(const CWindowDc&) = delete;
  CWindowDc& operator=(const CWindowDc&) = delete;
  HDC Get() const { return m_dc; }

 private:
  HWND m_window;
  HDC m_dc;
  HGDIOBJ m_oldFont = nullptr;
};

bool IsVersion51() { return GetOSVersionCode() == kVersionCodeXP; }

bool HighContrastOn() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  if (!::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0)) return false;
  return (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace

CNormalMessageBox::CNormalMessageBox() : CDialog(IDD_MESSAGE_BOX) {
  if (const HDC screen = ::GetDC(nullptr)) {
    m_nDpiX = ::GetDeviceCaps(screen, LOGPIXELSX);
    m_nDpiY = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
  }
  if (m_nDpiX <= 0) m_nDpiX = 96;
  if (m_nDpiY <= 0) m_nDpiY = 96;
  m_brushBand.Reset(::CreateSolidBrush(RGB(255, 255, 255)));
}

void CNormalMessageBox::SetTexts(const wchar_t* message, const wchar_t* caption, const wchar_t* button1,
                                 const wchar_t* button2) {
  m_strMessage = message ? message : L"";
  m_strCaption = caption ? caption : L"";
  m_strButton1 = button1 ? button1 : L"";
  m_strButton2 = button2 ? button2 : L"";
}

void CNormalMessageBox::ReadHighContrast() { m_bHighContrast = HighContrastOn() ? 1 : 0; }

BOOL CNormalMessageBox::OnInitDialog() {
  ReadHighContrast();
  CreateFonts();
  LayoutText();
  Item(IDC_MSG_CHECK).Show(false);
  LayoutButtons();
  SizeWindow();
  Window().SetText(m_strCaption);
  return TRUE;
}

void CNormalMessageBox::CreateFonts() {
  CWindowDc dc(m_hWnd, nullptr);
  std::wstring face;
  LoadStringOrEnglish(IsVersion51() ? IDS_FONT_FACE_XP : IDS_FONT_FACE, face);
  const int logPixelsY = dc.Get() ? ::GetDeviceCaps(dc.Get(), LOGPIXELSY) : m_nDpiY;
  const int height = -::MulDiv(9, logPixelsY, 72);
  for (UniqueFont* font : {&m_fontText, &m_fontButton}) {
    font->Reset(::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, face.c_str()));
  }
}

void CNormalMessageBox::LayoutText() {
  {
    CWindowDc dc(m_hWnd, m_fontText.Get());
    const MessageTextSize size = LayoutMessageText(m_strMessage, ::GetSystemMetrics(SM_CXSCREEN), m_nDpiX, m_nDpiY,
                                                   CDcMeasure(dc.Get()));
    m_nTextWidth = size.width;
    m_nTextHeight = size.height;
  }
  const CWindow text = Item(IDC_MSG_TEXT);
  text.Move(ScaleX(msgbox::kTextMargin), ScaleY(msgbox::kTextMargin), ScaleX(m_nTextWidth), ScaleY(m_nTextHeight));
  text.SetFont(m_fontText.Get());
  text.SetText(m_strMessage);
  m_nBandHeight = m_nTextHeight + 2 * msgbox::kTextMargin;
  m_nClientWidth = m_nTextWidth + 2 * msgbox::kTextMargin;
}

int CNormalMessageBox::ButtonWidth(const std::wstring& text) const {
  CWindowDc dc(m_hWnd, m_fontText.Get());
  return ButtonWidthForText(CDcMeasure(dc.Get()).Measure(text).cx, m_nDpiX);
}

void CNormalMessageBox::PlaceButton(int id, int x, int width, const std::wstring& text) const {
  const CWindow button = Item(id);
  button.Move(ScaleX(x), ScaleY(m_nButtonTop), ScaleX(width), ScaleY(msgbox::kButtonHeight));
  button.SetFont(m_fontButton.Get());
  button.SetText(text);
}

void CNormalMessageBox::LayoutButtons() {
  using namespace msgbox;
  m_nButtonTop = m_nBandHeight + kButtonGap;
  if (TwoButtons()) {
    const int w1 = ButtonWidth(m_strButton1);
    const int w2 = ButtonWidth(m_strButton2);
    PlaceButton(IDC_MSG_RIGHT_BUTTON, m_nClientWidth - kButtonGap - w1, w1, m_strButton1);
    PlaceButton(IDC_MSG_LEFT_BUTTON, m_nClientWidth - kButtonGap - w1 - kButtonSpacing - w2, w2, m_strButton2);
    return;
  }
  const std::wstring& caption = m_strButton1.empty() ? m_strButton2 : m_strButton1;
  const int w = ButtonWidth(caption);
  PlaceButton(IDC_MSG_RIGHT_BUTTON, m_nClientWidth - kButtonGap - w, w, caption);
  Item(IDC_MSG_LEFT_BUTTON).Show(false);
}

void CNormalMessageBox::SizeWindow() {
  WINDOWINFO info{};
  info.cbSize = sizeof info;
  ::GetWindowInfo(m_hWnd, &info);
  TITLEBARINFO title{};
  title.cbSize = sizeof title;
  ::GetTitleBarInfo(m_hWnd, &title);
  const int clientWidth = ScaleX(m_nClientWidth);
  const int clientHeight = ScaleY(m_nButtonTop + msgbox::kButtonHeight + msgbox::kButtonGap);
  const int titleHeight = title.rcTitleBar.bottom - title.rcTitleBar.top;
  const RECT place = Window().WindowRect();
  Window().Move(place.left, place.top, clientWidth + 2 * static_cast<int>(info.cxWindowBorders),
       clientHeight + 2 * static_cast<int>(info.cyWindowBorders) + titleHeight);
}

void CNormalMessageBox::OnPaint() {
  PAINTSTRUCT paint;
  const HDC dc = ::BeginPaint(m_hWnd, &paint);
  if (!dc) return;
  ReadHighContrast();
  if (!m_bHighContrast) {
    const RECT band{0, 0, ScaleX(m_nClientWidth), ScaleY(m_nBandHeight)};
    ::FillRect(dc, &band, m_brushBand.Get());
  }
  ::EndPaint(m_hWnd, &paint);
}

INT_PTR CNormalMessageBox::OnCtlColor(HDC dc, HWND control) {
  ReadHighContrast();
  if (m_bHighContrast) {
    ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_WINDOW));
  }
  if (::GetDlgCtrlID(control) == IDC_MSG_TEXT) {
    ::SetBkColor(dc, RGB(255, 255, 255));
    return reinterpret_cast<INT_PTR>(m_brushBand.Get());
  }
  return FALSE;
}

INT_PTR CNormalMessageBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) break;
      if (LOWORD(wParam) == IDC_MSG_LEFT_BUTTON) {
        EndDialog(IDYES);
        return TRUE;
      }
      if (LOWORD(wParam) == IDC_MSG_RIGHT_BUTTON) {
        EndDialog(TwoButtons() ? IDNO : IDOK);
        return TRUE;
      }
      break;
    case WM_PAINT:
      OnPaint();
      return TRUE;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CLOSE:
      EndDialog(IDCANCEL);
      return TRUE;
    case WM_HELP:
      // F1 does nothing.
      ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        EndDialog(IDCANCEL);
        return TRUE;
      }
      break;
    case WM_WININICHANGE:
      // A changed high-contrast setting shows at the next paint.
      Window().Invalidate(true);
      break;
  }
  return CDialog::OnMessage(message, wParam, lParam);
}

}  // namespace lorent
