#pragma once

#include <memory>

#include "platform/win32/about_box_win32.h"
#include "platform/win32/saver_window_win32.h"
#include "platform/win32/setup_dialog_win32.h"
#include "shell/configure_run.h"

namespace zm::win32 {

// The windows of a configure run: the setup dialog (the main window), the
// About box and the hidden saver window that its Preview button shows.
class ConfigureHostWin32 : public ConfigureHost {
 public:
  ~ConfigureHostWin32() override;
  SetupDialogView& CreateSetupDialog() override;
  AboutBoxView& CreateAboutBox() override;
  SaverWindow& CreateSaverWindow() override;
  void RunDialog(SetupDialog& dialog, AboutBox& about, SaverScreen& screen) override;

 private:
  std::unique_ptr<SetupDialogWin32> dialog_;
  std::unique_ptr<AboutBoxWin32> about_;
  std::unique_ptr<SaverWindowWin32> saver_;
};

}  // namespace zm::win32
