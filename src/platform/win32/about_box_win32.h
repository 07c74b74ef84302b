#pragma once

#include <windows.h>

#include "shell/about_box.h"
#include "shell/about_box_view.h"

namespace zm::win32 {

// The About box "About Zelk Mirv Screen Saver": the logo, the notice, the
// project's mail address and home page as links, and "Ok". Shown modally
// over its owner, hidden (not destroyed) when closed.
class AboutBoxWin32 : public AboutBoxView {
 public:
  explicit AboutBoxWin32(HWND owner);
  ~AboutBoxWin32() override;

  void Attach(AboutBox* about) { about_ = about; }

  void ShowModal() override;
  void Close() override;
  bool IsVisible() const override { return IsWindowVisible(window_) != FALSE; }
  bool OpenLink(const std::string& uri) override;
  void Beep() override { MessageBeep(0); }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void Paint();
  bool OverLink(HWND control) const { return control == mail_ || control == homePage_; }

  HWND owner_;
  HWND window_ = nullptr;
  AboutBox* about_ = nullptr;
  HFONT font_ = nullptr;
  HFONT bold_ = nullptr;
  HBITMAP logo_ = nullptr;
  HWND mail_ = nullptr;
  HWND homePage_ = nullptr;
  bool modal_ = false;
};

}  // namespace zm::win32
