#include "platform/gtk/wait_dialog_gtk.h"

#include <gtk/gtk.h>

#include "platform/gtk/gtk_widgets.h"
#include "platform/posix/ending_signals_posix.h"
#include "shell/dialog_layout.h"
#include "shell/dialog_texts.h"

namespace zm {

namespace {

constexpr int kWidth = dialog_layout::kWaitWidth;
constexpr int kHeight = dialog_layout::kWaitHeight;

}  // namespace

WaitDialogGtk::~WaitDialogGtk() {
  if (window_ != nullptr) {
    gtk_widget_destroy(window_);
    PumpPending();
  }
}

void WaitDialogGtk::PumpPending() {
  if (!StartGtk()) return;
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

bool WaitDialogGtk::Create() {
  if (window_ != nullptr) return true;
  if (!StartGtk()) return false;
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), "ZELK MIRV");
  gtk_window_set_decorated(GTK_WINDOW(window_), FALSE);
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_window_set_default_size(GTK_WINDOW(window_), kWidth, kHeight);
  gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
  gtk_window_set_keep_above(GTK_WINDOW(window_), TRUE);
  gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_SPLASHSCREEN);
  GtkWidget* panel = gtk_frame_new(nullptr);
  gtk_frame_set_shadow_type(GTK_FRAME(panel), GTK_SHADOW_OUT);
  gtk_container_add(GTK_CONTAINER(window_), panel);
  GtkWidget* fixed = gtk_fixed_new();
  gtk_container_add(GTK_CONTAINER(panel), fixed);
  Place(fixed, Label(kWaitCaption), dialog_layout::kWaitLabel);
  bar_ = Place(fixed, gtk_progress_bar_new(), dialog_layout::kWaitBar);
  gtk_widget_set_size_request(window_, kWidth, kHeight);
  return true;
}

// Shown and painted before the warm-up starts: waits (briefly) until the
// window manager has mapped it, pumping only GTK's own events.
void WaitDialogGtk::Show() {
  const DisplayTalk talk;
  if (!Create()) return;
  gtk_widget_show_all(window_);
  const long long until = NowMs() + 500;
  while (!gtk_widget_get_mapped(window_) && NowMs() < until) {
    if (gtk_events_pending()) {
      gtk_main_iteration_do(FALSE);
    } else {
      PollWithSignals(-1, 5);
    }
  }
  PumpPending();
}

void WaitDialogGtk::SetProgress(int32_t position) {
  if (bar_ == nullptr) return;
  const DisplayTalk talk;
  gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(bar_), position / 100.0);
  PumpPending();
}

void WaitDialogGtk::Hide() {
  if (window_ == nullptr) return;
  const DisplayTalk talk;
  gtk_widget_hide(window_);
  PumpPending();
}

}  // namespace zm
