// The program's own message box: the message in a white band at the top, one
// or two buttons in a row below it at the right. It sizes itself to its text
// (in 96-DPI units, scaled to the screen's DPI) and follows high contrast.
//
// Result of DoModal:          two buttons   one button
//   left-hand button 1000     6 (IDYES)     (hidden)
//   right-hand button 1001    7 (IDNO)      1 (IDOK)
//   close box, Alt+F4         2 (IDCANCEL)  2 (IDCANCEL)
//   Escape                    nothing happens
#pragma once

#include <windows.h>

#include <string>

#include "framework/Dialog.h"
#include "framework/Handle.h"

namespace lorent {

class CNormalMessageBox : public CDialog {
 public:
  CNormalMessageBox();
  ~CNormalMessageBox() override = default;

  // Copies the texts; a null text is empty. The box has two buttons when both
  // button texts are not empty; with one, it shows whichever is not empty.
  void SetTexts(const wchar_t* message, const wchar_t* caption, const wchar_t* button1, const wchar_t* button2);

  int m_nTextHeight = 0;    // message height, units
  int m_nTextWidth = 0;     // message width, units
  int m_nClientWidth = 0;   // units
  int m_nBandHeight = 0;    // white band, units
  int m_nButtonTop = 0;     // top of the button row, units
  std::wstring m_strMessage;
  std::wstring m_strCaption;
  std::wstring m_strButton1;  // the right-hand button 1001
  std::wstring m_strButton2;  // the left-hand button 1000; empty: one button
  UniqueFont m_fontText;
  UniqueFont m_fontButton;
  UniqueBrush m_brushBand;
  int m_nDpiX = 96;
  int m_nDpiY = 96;
  int m_bHighContrast = 0;

 protected:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL OnInitDialog() override;
  void OnOK() override {}      // no IDOK control: Enter presses the focused button
  void OnCancel() override {}  // Escape does nothing; closing goes through WM_CLOSE

 private:
  bool TwoButtons() const { return !m_strButton1.empty() && !m_strButton2.empty(); }
  int ScaleX(int units) const { return ::MulDiv(units, m_nDpiX, 96); }
  int ScaleY(int units) const { return ::MulDiv(units, m_nDpiY, 96); }
  void ReadHighContrast();
  void CreateFonts();
  void LayoutText();
  void LayoutButtons();
  void PlaceButton(int id, int x, int width, const std::wstring& text) const;
  void SizeWindow();
  int ButtonWidth(const std::wstring& text) const;
  void OnPaint();
  INT_PTR OnCtlColor(HDC dc, HWND control);
};

}  // namespace lorent
