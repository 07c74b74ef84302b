#include "platform/win32/configure_host_win32.h"

#include "platform/win32/application.h"
#include "platform/win32/display_control_win32.h"

namespace zm::win32 {

ConfigureHostWin32::~ConfigureHostWin32() { SetDisplayPacer(nullptr); }

SetupDialogView& ConfigureHostWin32::CreateSetupDialog() {
  dialog_ = std::make_unique<SetupDialogWin32>();
  return *dialog_;
}

AboutBoxView& ConfigureHostWin32::CreateAboutBox() {
  about_ = std::make_unique<AboutBoxWin32>(dialog_->Handle());
  return *about_;
}

SaverWindow& ConfigureHostWin32::CreateSaverWindow() {
  saver_ = std::make_unique<SaverWindowWin32>();
  SetDisplayWindow(saver_->Handle());
  SetDisplayPacer(&saver_->Pacer());
  return *saver_;
}

void ConfigureHostWin32::RunDialog(SetupDialog& dialog, AboutBox& about, SaverScreen& screen) {
  dialog_->Attach(&dialog);
  about_->Attach(&about);
  saver_->Attach(&screen);
  // The preview's frames, and the saver window's close timer once a preview
  // shown from the dialog ends.
  App().SetIdleHandler([this, &dialog] {
    const int32_t closeInMs = saver_->ServeCloseTimer();
    bool done = true;
    dialog.PreviewIdle(done);
    return done ? closeInMs : 0;
  });
  App().SetPacer(&saver_->Pacer());
  dialog_->Show();
  App().Run();
  App().SetIdleHandler(nullptr);
  App().SetPacer(nullptr);
  saver_->Attach(nullptr);
  about_->Attach(nullptr);
  dialog_->Attach(nullptr);
}

}  // namespace zm::win32
