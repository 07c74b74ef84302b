#pragma once

#include "display/display_control.h"
#include "shell/about_box.h"
#include "shell/about_box_view.h"
#include "shell/password_check.h"
#include "shell/program_files.h"
#include "shell/saver_screen.h"
#include "shell/saver_window.h"
#include "shell/setup_dialog.h"
#include "shell/setup_dialog_view.h"

namespace zm {

// The platform's side of a configure run: its three windows and its message
// loop.
class ConfigureHost {
 public:
  virtual ~ConfigureHost() = default;

  // The windows, created hidden in this order, so that the dialog is the
  // application's main window.
  virtual SetupDialogView& CreateSetupDialog() = 0;
  virtual AboutBoxView& CreateAboutBox() = 0;
  virtual SaverWindow& CreateSaverWindow() = 0;

  // Shows the dialog and runs the message loop until the dialog has closed,
  // forwarding the windows' events to `dialog`, `about` and `screen` and the
  // application's idle, deactivation and activation events to `dialog`.
  // FormShow has already run.
  virtual void RunDialog(SetupDialog& dialog, AboutBox& about, SaverScreen& screen) = 0;
};

// A configure run: creates the windows, then the saver screen (whose
// creation reads the settings and loads or computes the pattern), fills the
// dialog (FormShow), runs it, and at the end destroys the saver screen
// (FormDestroy), which stores what the dialog left unstored.
void ConfigureRun(ConfigureHost& host, DisplayControl& display, PasswordServices& passwords,
                  const ProgramFiles& files);

}  // namespace zm
