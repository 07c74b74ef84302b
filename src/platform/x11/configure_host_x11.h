#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "platform/gtk/about_box_gtk.h"
#include "platform/gtk/configure_loop_gtk.h"
#include "platform/x11/display_control_x11.h"
#include "platform/x11/fps_overlay.h"
#include "platform/posix/frame_clock_posix.h"
#include "platform/x11/saver_window_x11.h"
#include "platform/gtk/setup_dialog_gtk.h"
#include "platform/x11/x_connection.h"
#include "shell/configure_run.h"

namespace zm::x11 {

// The windows of a configure run on X11: the GTK setup dialog, the GTK
// About box, and the saver window (full screen, hidden until the dialog's
// Preview button shows it). One loop serves both toolkits: GTK's main loop,
// watching the program's own X connection so that the saver window's
// events reach its handlers (ConfigureLoopGtk).
class ConfigureHostX11 : public ConfigureHost {
 public:
  // Throws ProgramError (status 2) when GTK cannot open the display.
  ConfigureHostX11(XConnection& x, DisplayControlX11& display, FrameClock& clock, FpsOverlay& fps);
  ~ConfigureHostX11() override;
  ConfigureHostX11(const ConfigureHostX11&) = delete;
  ConfigureHostX11& operator=(const ConfigureHostX11&) = delete;

  SetupDialogView& CreateSetupDialog() override;
  AboutBoxView& CreateAboutBox() override;
  SaverWindow& CreateSaverWindow() override;
  void RunDialog(SetupDialog& dialog, AboutBox& about, SaverScreen& screen) override;

 private:
  struct XEventSource;
  static gboolean PrepareX(GSource* source, gint* timeout);
  static gboolean CheckX(GSource* source);
  static gboolean DispatchX(GSource* source, GSourceFunc, gpointer);

  bool SaverEventsWaiting() const;
  void ServeSaverWindow();
  void StopSources();

  XConnection& x_;
  DisplayControlX11& display_;
  FrameClock& clock_;
  FpsOverlay& fps_;
  ConfigureLoopGtk loop_;
  std::unique_ptr<SetupDialogGtk> dialogView_;
  std::unique_ptr<AboutBoxGtk> aboutView_;
  std::unique_ptr<SaverWindowX11> saver_;
  GSource* xSource_ = nullptr;
  guint errorReport_ = 0;  // a message of the saver window waiting to be shown
};

}  // namespace zm::x11
