#include "shell/about_box.h"

#include "shell/dialog_texts.h"
#include "shell/setup_dialog.h"

namespace zm {

void AboutBox::FormKeyDown(int32_t key) {
  if (key == kEscapeKey) view_.Close();
}

void AboutBox::FormHide() { dialog_.ResumePreview(); }

void AboutBox::MailLinkClick() { OpenLink(kProjectMailUri); }

void AboutBox::HomePageLinkClick() { OpenLink(kProjectHomePage); }

void AboutBox::OpenLink(const char* uri) {
  if (!view_.OpenLink(uri)) view_.Beep();
}

}  // namespace zm
