#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "platform/wayland/display_control_wayland.h"
#include "platform/wayland/saver_window_wayland.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/x11/about_box_gtk.h"
#include "platform/x11/frame_clock.h"
#include "platform/x11/setup_dialog_gtk.h"
#include "shell/configure_run.h"

namespace zm::wayland {

// The windows of a configure run on Wayland: the GTK setup dialog and About
// box on GTK's Wayland backend, and the Preview button's fullscreen
// toplevel on the program's own connection to the compositor. GTK's main
// loop serves both: a source on that connection reads the toplevel's
// events, and an idle source draws the preview at most once per refresh.
class ConfigureHostWayland : public ConfigureHost {
 public:
  // Throws ProgramError (status 2) when GTK cannot reach the compositor.
  ConfigureHostWayland(WaylandConnection& wayland, x11::FrameClock& clock);
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
  static void OnGdkEvent(GdkEvent* event, gpointer self);
  static gboolean Idle(gpointer self);
  static gboolean ResumeIdle(gpointer self);
  static gboolean OnEndingSignal(gint fd, GIOCondition condition, gpointer self);
  static gboolean CheckFocus(gpointer self);

  bool TimerDue() const;
  void ServeSaverWindow();
  void ArmIdle();
  void FocusMayHaveMoved();
  void StartSources();
  void StopSources();

  WaylandConnection& wayland_;
  x11::FrameClock& clock_;
  std::unique_ptr<x11::SetupDialogGtk> dialogView_;
  std::unique_ptr<x11::AboutBoxGtk> aboutView_;
  std::unique_ptr<SaverWindowWayland> saver_;
  SetupDialog* dialog_ = nullptr;
  SaverScreen* screen_ = nullptr;
  GMainLoop* loop_ = nullptr;
  GSource* source_ = nullptr;
  guint idle_ = 0;  // the preview's idle source, or the timeout until its slot
  guint signalWatch_ = 0;
  guint focusCheck_ = 0;  // a pending look at which window has the focus
  long long timerAtMs_ = 0;  // when the saver window's close timer is due (0: not running)
  bool active_ = true;       // the dialog or the About box has the focus
};

}  // namespace zm::wayland
