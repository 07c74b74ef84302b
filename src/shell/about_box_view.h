#pragma once

#include <string>

namespace zm {

// What the About box's rules need of its real window. The platform builds
// the window with the texts of dialog_texts.h (the notice lines, the mail
// address and the home page as links, an "Ok" button that is the default
// button) and forwards its events to AboutBox: key presses to FormKeyDown
// (the window sees every key before its controls), the Ok button (and so
// Enter) to OkClick, the two links to MailLinkClick and HomePageLinkClick, and
// every hiding of the window, however it was closed (its close box too), to
// FormHide.
class AboutBoxView {
 public:
  virtual ~AboutBoxView() = default;

  // Shows the box modally; returns once it has been closed. The box is
  // hidden, not destroyed, and can be shown again.
  virtual void ShowModal() = 0;
  // Ends the modal showing and hides the box.
  virtual void Close() = 0;
  virtual bool IsVisible() const = 0;

  // Opens `uri` (a mailto: address or a web page) with the user's mail
  // program or browser; false when the system could not.
  virtual bool OpenLink(const std::string& uri) = 0;
  // The system's default sound.
  virtual void Beep() = 0;
};

}  // namespace zm
