#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "platform/wayland/display_control_wayland.h"
#include "platform/wayland/saver_window_wayland.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/gtk/about_box_gtk.h"
#include "platform/gtk/configure_loop_gtk.h"
#include "platform/posix/frame_clock_posix.h"
#include "platform/gtk/setup_dialog_gtk.h"
#include "shell/configure_run.h"

namespace zm::wayland {

// The windows of a configure run on Wayland: the GTK setup dialog and About
// box on GTK's Wayland backend, and the Preview button's fullscreen
// toplevel on the program's own connection to the compositor. GTK's main
// loop serves both (ConfigureLoopGtk): a source on that connection
// reads the toplevel's events.
class ConfigureHostWayland : public ConfigureHost {
 public:
  // Throws ProgramError (status 2) when GTK cannot reach the compositor.
  ConfigureHostWayland(WaylandConnection& wayland, FrameClock& clock);
  ~ConfigureHostWayland() override;
  ConfigureHostWayland(const ConfigureHostWayland&) = delete;
  ConfigureHostWayland& operator=(const ConfigureHostWayland&) = delete;

  SetupDialogView& CreateSetupDialog() override;
  AboutBoxView& CreateAboutBox() override;
  SaverWindow& CreateSaverWindow() override;
  void RunDialog(SetupDialog& dialog, AboutBox& about, SaverScreen& screen) override;

 private:
  struct WaylandSource;
  static gboolean Prepare(GSource* source, gint* timeout);
  static gboolean Check(GSource* source);
  static gboolean Dispatch(GSource* source, GSourceFunc, gpointer);

  void StopSources();

  WaylandConnection& wayland_;
  ConfigureLoopGtk loop_;
  std::unique_ptr<SetupDialogGtk> dialogView_;
  std::unique_ptr<AboutBoxGtk> aboutView_;
  std::unique_ptr<SaverWindowWayland> saver_;
  GSource* source_ = nullptr;
};

}  // namespace zm::wayland
