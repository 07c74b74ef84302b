#pragma once

#include "shell/about_box.h"
#include "shell/about_box_view.h"
#include "shell/setup_dialog_view.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _GMainLoop GMainLoop;

namespace zm {

// The About box "About Zelk Mirv Screen Saver" in GTK 3 (its size in
// dialog_layout.h): the logo in a lowered frame, the notice, the project's
// mail address and home page as navy links with a hand cursor, and "Ok" as the default button. Its
// events go to the About box's rules: every key first (Esc as 27), Ok and
// Enter, the links, and every hiding, the close box's too.
class AboutBoxGtk : public AboutBoxView {
 public:
  explicit AboutBoxGtk(GtkWidget* owner);
  ~AboutBoxGtk() override;
  AboutBoxGtk(const AboutBoxGtk&) = delete;
  AboutBoxGtk& operator=(const AboutBoxGtk&) = delete;

  GtkWidget* Window() const { return window_; }
  void Attach(AboutBox* about) { about_ = about; }

  void ShowModal() override;
  void Close() override;
  bool IsVisible() const override;
  bool OpenLink(const std::string& uri) override;
  void Beep() override;

 private:
  void CreateControls();
  GtkWidget* Link(const char* text, void (AboutBox::*click)(), const ClientRect& place);

  GtkWidget* window_ = nullptr;
  GtkWidget* fixed_ = nullptr;
  GtkWidget* ok_ = nullptr;
  AboutBox* about_ = nullptr;
  GMainLoop* modal_ = nullptr;
};

}  // namespace zm
