#pragma once

#include <gtk/gtk.h>

#include <functional>

#include "platform/gtk/about_box_gtk.h"
#include "platform/gtk/setup_dialog_gtk.h"
#include "platform/posix/frame_clock_posix.h"
#include "shell/configure_run.h"

namespace zm {

// GTK's main loop as a configure run uses it, on X11 and on Wayland alike:
// every GTK event, the signal pipe, the focus of the dialog's windows, and
// the preview drawn from an idle source that stays while the dialog asks to
// be called again, at most once per display refresh, and comes back with
// the next event once it has stopped (a paused preview costs no time). The
// host adds the source of its own connection, which hands the saver
// window's events over (SaverWindowServed) and bounds its wait by the saver
// window's close timer (TimeoutMs, TimerDue).
class ConfigureLoopGtk {
 public:
  // flipWaits says whether the page-flipped path waits for its slot at each
  // flip (the idle source then leaves the clock alone); empty: it never does.
  ConfigureLoopGtk(FrameClock& clock, std::function<bool()> flipWaits = {});
  ~ConfigureLoopGtk();
  ConfigureLoopGtk(const ConfigureLoopGtk&) = delete;
  ConfigureLoopGtk& operator=(const ConfigureLoopGtk&) = delete;

  // Runs until the dialog closes, an ending signal arrives or Quit.
  void Run(SetupDialog& dialog, SaverScreen& screen, SetupDialogGtk& dialogView,
           AboutBoxGtk& aboutView);
  void Quit();
  // Removes every source; Run does it when it returns.
  void Stop();

  // The saver window has served its events and its close timer is due in
  // msLeft (negative: not running). It has no window manager to activate it:
  // it counts as activated once the Preview button has shown it.
  void SaverWindowServed(int msLeft, bool saverVisible);
  bool ActivationDue(bool saverVisible) const;
  bool TimerDue() const;
  // The wait the connection's source may sleep (-1: no bound).
  gint TimeoutMs() const;
  void ArmIdle();

 private:
  static void OnGdkEvent(GdkEvent* event, gpointer self);
  static gboolean Idle(gpointer self);
  static gboolean ResumeIdle(gpointer self);
  static gboolean CheckFocus(gpointer self);
  static gboolean OnEndingSignal(gint fd, GIOCondition condition, gpointer self);

  void FocusMayHaveMoved();

  FrameClock& clock_;
  std::function<bool()> flipWaits_;
  SetupDialog* dialog_ = nullptr;
  SaverScreen* screen_ = nullptr;
  SetupDialogGtk* dialogView_ = nullptr;
  AboutBoxGtk* aboutView_ = nullptr;
  GMainLoop* loop_ = nullptr;
  bool handlingEvents_ = false;  // the GDK event handler and the focus signals are ours
  guint idle_ = 0;               // the preview's idle source, or the timeout until its slot
  guint focusCheck_ = 0;         // a pending look at which window has the focus
  guint signalWatch_ = 0;
  long long timerAtMs_ = 0;  // when the saver window's close timer is due (0: not running)
  bool active_ = true;       // one of the program's windows has the focus
};

}  // namespace zm
