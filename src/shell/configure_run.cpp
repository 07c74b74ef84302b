#include "shell/configure_run.h"

namespace zm {

void ConfigureRun(ConfigureHost& host, DisplayControl& display, PasswordServices& passwords,
                  const ProgramFiles& files) {
  SetupDialogView& dialogView = host.CreateSetupDialog();
  AboutBoxView& aboutView = host.CreateAboutBox();
  SaverWindow& window = host.CreateSaverWindow();
  SaverScreen screen(window, display, passwords, files);
  SetupDialog dialog(dialogView, aboutView, screen, window, display);
  AboutBox about(aboutView, dialog);
  screen.FormCreate();
  dialog.FormShow();
  host.RunDialog(dialog, about, screen);
  screen.FormDestroy();
}

}  // namespace zm
