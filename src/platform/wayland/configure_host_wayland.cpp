#include "platform/wayland/configure_host_wayland.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <algorithm>

#include "platform/x11/gtk_widgets.h"
#include "platform/x11/run_signals.h"
#include "platform/x11/x_connection.h"

namespace zm::wayland {

struct ConfigureHostWayland::WaylandSource {
  GSource base;
  ConfigureHostWayland* host;
  gpointer tag;
};

ConfigureHostWayland::ConfigureHostWayland(WaylandConnection& wayland, x11::FrameClock& clock)
    : wayland_(wayland), clock_(clock) {
  if (!x11::StartGtk(x11::GtkDisplay::kWayland)) {
    throw ProgramError("GTK cannot open the Wayland display for the setup dialog", 2);
  }
}

ConfigureHostWayland::~ConfigureHostWayland() {
  StopSources();
  saver_.reset();
  aboutView_.reset();
  dialogView_.reset();
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

SetupDialogView& ConfigureHostWayland::CreateSetupDialog() {
  dialogView_ = std::make_unique<x11::SetupDialogGtk>();
  return *dialogView_;
}

AboutBoxView& ConfigureHostWayland::CreateAboutBox() {
  aboutView_ = std::make_unique<x11::AboutBoxGtk>(dialogView_->Window());
  return *aboutView_;
}

SaverWindow& ConfigureHostWayland::CreateSaverWindow() {
  saver_ = std::make_unique<SaverWindowWayland>(wayland_, SaverWindowWayland::Kind::kPreview, "");
  return *saver_;
}

void ConfigureHostWayland::RunDialog(SetupDialog& dialog, AboutBox& about, SaverScreen& screen) {
  dialog_ = &dialog;
  screen_ = &screen;
  dialogView_->Attach(&dialog);
  aboutView_->Attach(&about);
  saver_->Attach(&screen);
  loop_ = g_main_loop_new(nullptr, FALSE);
  dialogView_->OnClosed([this] { g_main_loop_quit(loop_); });

  StartSources();
  dialogView_->Show();
  ArmIdle();
  g_main_loop_run(loop_);

  StopSources();
  g_main_loop_unref(loop_);
  loop_ = nullptr;
  saver_->Attach(nullptr);
  aboutView_->Attach(nullptr);
  dialogView_->Attach(nullptr);
  dialog_ = nullptr;
}

// The loop's sources: the program's connection to the compositor, every GTK
// event, the signal pipe and the focus of the dialog's windows.
void ConfigureHostWayland::StartSources() {
  static GSourceFuncs funcs = {&Prepare, &Check, &Dispatch, nullptr, nullptr, nullptr};
  source_ = g_source_new(&funcs, sizeof(WaylandSource));
  auto* source = reinterpret_cast<WaylandSource*>(source_);
  source->host = this;
  source->tag = g_source_add_unix_fd(source_, wl_display_get_fd(wayland_.display()), G_IO_IN);
  g_source_attach(source_, nullptr);
  gdk_event_handler_set(&OnGdkEvent, this, nullptr);
  if (x11::EndingSignalFd() >= 0)
    signalWatch_ = g_unix_fd_add(x11::EndingSignalFd(), G_IO_IN, &OnEndingSignal, this);
  auto focus = G_CALLBACK(+[](GObject*, GParamSpec*, gpointer self) {
    static_cast<ConfigureHostWayland*>(self)->FocusMayHaveMoved();
  });
  g_signal_connect(dialogView_->Window(), "notify::is-active", focus, this);
  g_signal_connect(aboutView_->Window(), "notify::is-active", focus, this);
}

void ConfigureHostWayland::StopSources() {
  if (source_ != nullptr) {
    g_signal_handlers_disconnect_by_data(dialogView_->Window(), this);
    g_signal_handlers_disconnect_by_data(aboutView_->Window(), this);
    g_source_destroy(source_);
    g_source_unref(source_);
    source_ = nullptr;
    gdk_event_handler_set(
        +[](GdkEvent* event, gpointer) { gtk_main_do_event(event); }, nullptr, nullptr);
  }
  for (guint* id : {&idle_, &focusCheck_, &signalWatch_}) {
    if (*id != 0) g_source_remove(*id);
    *id = 0;
  }
}

// SIGTERM, SIGINT or SIGHUP: the dialog ends as by Cancel, after the
// preview has stopped; the saver screen's destruction then stores what it
// must.
gboolean ConfigureHostWayland::OnEndingSignal(gint, GIOCondition, gpointer self) {
  auto* host = static_cast<ConfigureHostWayland*>(self);
  if (x11::EndingSignal() == 0) return G_SOURCE_CONTINUE;
  host->signalWatch_ = 0;
  host->screen_->EndFromOutside();
  host->aboutView_->Close();
  host->dialog_->FormCloseQuery();
  g_main_loop_quit(host->loop_);
  return G_SOURCE_REMOVE;
}

bool ConfigureHostWayland::TimerDue() const {
  return timerAtMs_ != 0 && x11::NowMs() >= timerAtMs_;
}

// Events already read are handled before the loop sleeps, and what the
// program asked for is sent.
gboolean ConfigureHostWayland::Prepare(GSource* source, gint* timeout) {
  ConfigureHostWayland* host = reinterpret_cast<WaylandSource*>(source)->host;
  const bool pending = wl_display_prepare_read(host->wayland_.display()) != 0;
  if (!pending) wl_display_cancel_read(host->wayland_.display());
  wl_display_flush(host->wayland_.display());
  *timeout =
      host->timerAtMs_ == 0 ? -1 : static_cast<gint>(std::max(0LL, host->timerAtMs_ - x11::NowMs()));
  return pending || host->TimerDue();
}

gboolean ConfigureHostWayland::Check(GSource* source) {
  auto* own = reinterpret_cast<WaylandSource*>(source);
  return (g_source_query_unix_fd(source, own->tag) & G_IO_IN) != 0 || own->host->TimerDue();
}

gboolean ConfigureHostWayland::Dispatch(GSource* source, GSourceFunc, gpointer) {
  ConfigureHostWayland* host = reinterpret_cast<WaylandSource*>(source)->host;
  if (!host->wayland_.Dispatch(0)) {
    g_main_loop_quit(host->loop_);
    return G_SOURCE_REMOVE;
  }
  host->ServeSaverWindow();
  return G_SOURCE_CONTINUE;
}

// The toplevel has no window manager's activation to wait for: it counts as
// activated once the Preview button has shown it.
void ConfigureHostWayland::ServeSaverWindow() {
  const int left = saver_->ServeEvents();
  timerAtMs_ = left < 0 ? 0 : x11::NowMs() + left;
  if (saver_->IsVisible() && screen_->ActivationPending) screen_->FormActivate();
  ArmIdle();
}

// Every event of the dialog's windows may resume a preview that stopped.
void ConfigureHostWayland::OnGdkEvent(GdkEvent* event, gpointer self) {
  gtk_main_do_event(event);
  static_cast<ConfigureHostWayland*>(self)->ArmIdle();
}

void ConfigureHostWayland::ArmIdle() {
  if (idle_ == 0 && dialog_ != nullptr) idle_ = g_idle_add(&Idle, this);
}

gboolean ConfigureHostWayland::ResumeIdle(gpointer self) {
  auto* host = static_cast<ConfigureHostWayland*>(self);
  host->idle_ = g_idle_add(&Idle, host);
  return G_SOURCE_REMOVE;
}

// One preview frame per pass; none in a loop nested in an event (a modal
// box), whose end resumes the preview.
gboolean ConfigureHostWayland::Idle(gpointer self) {
  auto* host = static_cast<ConfigureHostWayland*>(self);
  if (g_main_depth() > 1 || host->dialog_ == nullptr) {
    host->idle_ = 0;
    return G_SOURCE_REMOVE;
  }
  if (const int wait = host->clock_.MillisecondsLeft(); wait > 0) {
    host->idle_ = g_timeout_add(static_cast<guint>(wait), &ResumeIdle, host);
    return G_SOURCE_REMOVE;
  }
  bool done = true;
  host->dialog_->PreviewIdle(done);
  if (done) {
    host->idle_ = 0;
    return G_SOURCE_REMOVE;
  }
  host->clock_.Tick();
  return G_SOURCE_CONTINUE;
}

// Moving the focus between the dialog and the About box shows as one losing
// it and then the other getting it: look once both have happened.
void ConfigureHostWayland::FocusMayHaveMoved() {
  if (focusCheck_ == 0)
    focusCheck_ = g_idle_add_full(G_PRIORITY_HIGH_IDLE, &CheckFocus, this, nullptr);
}

gboolean ConfigureHostWayland::CheckFocus(gpointer self) {
  auto* host = static_cast<ConfigureHostWayland*>(self);
  host->focusCheck_ = 0;
  const bool active = gtk_window_is_active(GTK_WINDOW(host->dialogView_->Window())) ||
                      gtk_window_is_active(GTK_WINDOW(host->aboutView_->Window()));
  if (active == host->active_ || host->dialog_ == nullptr) return G_SOURCE_REMOVE;
  host->active_ = active;
  if (active) {
    host->dialog_->AppActivated();
  } else {
    host->dialog_->AppDeactivated();
  }
  host->ArmIdle();
  return G_SOURCE_REMOVE;
}

}  // namespace zm::wayland
