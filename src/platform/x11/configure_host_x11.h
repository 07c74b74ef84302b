#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "platform/x11/about_box_gtk.h"
#include "platform/x11/display_control_x11.h"
#include "platform/x11/fps_overlay.h"
#include "platform/x11/frame_clock.h"
#include "platform/x11/saver_window_x11.h"
#include "platform/x11/setup_dialog_gtk.h"
#include "platform/x11/x_connection.h"
#include "shell/configure_run.h"

namespace zm::x11 {

// The windows of a configure run on X11: the GTK setup dialog, the GTK
// About box, and the saver window (full screen, hidden until the dialog's
// Preview button shows it). One loop serves both toolkits: GTK's main loop,
// watching the program's own X connection so that the saver window's
// events reach its handlers. The preview is drawn from an idle source that
// stays while the dialog asks to be called again, at most once per display
// refresh as in a saver run, and comes back with the next event once it has
// stopped (a paused preview costs no time).
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
  static void OnGdkEvent(GdkEvent* event, gpointer self);
  static gboolean Idle(gpointer self);
  static gboolean ResumeIdle(gpointer self);
  static gboolean CheckFocus(gpointer self);
  static gboolean OnEndingSignal(gint fd, GIOCondition condition, gpointer self);

  bool SaverEventsWaiting() const;
  bool ActivationDue() const;
  void ServeSaverWindow();
  void ArmIdle();
  void FocusMayHaveMoved();
  void StartSources();
  void StopSources();

  XConnection& x_;
  DisplayControlX11& display_;
  FrameClock& clock_;
  FpsOverlay& fps_;
  std::unique_ptr<SetupDialogGtk> dialogView_;
  std::unique_ptr<AboutBoxGtk> aboutView_;
  std::unique_ptr<SaverWindowX11> saver_;
  SetupDialog* dialog_ = nullptr;
  SaverScreen* screen_ = nullptr;
  GMainLoop* loop_ = nullptr;
  GSource* xSource_ = nullptr;
  guint idle_ = 0;        // the preview's idle source, or the timeout until its slot
  guint focusCheck_ = 0;  // a pending look at which window has the focus
  guint signalWatch_ = 0;
  guint errorReport_ = 0;    // a message of the saver window waiting to be shown
  long long timerAtMs_ = 0;  // when the saver window's close timer is due (0: not running)
  bool active_ = true;       // one of the program's windows has the focus
};

}  // namespace zm::x11
