#pragma once

#include <cstdint>

#include "shell/about_box_view.h"

namespace zm {

class SetupDialog;

// The key code of Esc.
constexpr int32_t kEscapeKey = 27;

// The rules of the About box: what its handlers do. It holds no state; the
// setup dialog shows it, and its preview resumes whenever the box hides.
class AboutBox {
 public:
  AboutBox(AboutBoxView& view, SetupDialog& dialog) : view_(view), dialog_(dialog) {}
  AboutBox(const AboutBox&) = delete;
  AboutBox& operator=(const AboutBox&) = delete;

  // Esc closes the box; any other key is left to the controls.
  void FormKeyDown(int32_t key);
  void OkClick() { view_.Close(); }
  void FormHide();
  // The mail address and the home page. A link the system cannot open only
  // beeps; the box stays open either way.
  void MailLinkClick();
  void HomePageLinkClick();

 private:
  void OpenLink(const char* uri);

  AboutBoxView& view_;
  SetupDialog& dialog_;
};

}  // namespace zm
