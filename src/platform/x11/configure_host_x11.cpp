#include "platform/x11/configure_host_x11.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <string>

#include "platform/x11/gtk_widgets.h"
#include "platform/x11/run_signals.h"

namespace zm::x11 {

struct ConfigureHostX11::XEventSource {
  GSource base;
  ConfigureHostX11* host;
  gpointer tag;
};

ConfigureHostX11::ConfigureHostX11(XConnection& x, DisplayControlX11& display, FrameClock& clock,
                                   FpsOverlay& fps)
    : x_(x), display_(display), clock_(clock), fps_(fps) {
  if (!StartGtk()) throw ProgramError("GTK cannot open the display for the setup dialog", 2);
}

ConfigureHostX11::~ConfigureHostX11() {
  StopSources();
  saver_.reset();
  aboutView_.reset();
  dialogView_.reset();
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

SetupDialogView& ConfigureHostX11::CreateSetupDialog() {
  dialogView_ = std::make_unique<SetupDialogGtk>();
  return *dialogView_;
}

AboutBoxView& ConfigureHostX11::CreateAboutBox() {
  aboutView_ = std::make_unique<AboutBoxGtk>(dialogView_->Window());
  return *aboutView_;
}

SaverWindow& ConfigureHostX11::CreateSaverWindow() {
  saver_ = std::make_unique<SaverWindowX11>(x_, DrawTarget::kFullScreen, 0, display_, clock_, fps_);
  // A failed mode switch is reported over the dialog, where the user is,
  // once the saver window (which would cover the box) has gone.
  saver_->ShowErrorsWith([this](const char* message) {
    struct Report {
      ConfigureHostX11* host;
      std::string message;
    };
    if (errorReport_ != 0) return;
    errorReport_ = g_idle_add_full(
        G_PRIORITY_HIGH_IDLE,
        +[](gpointer data) -> gboolean {
          auto* report = static_cast<Report*>(data);
          report->host->errorReport_ = 0;
          report->host->dialogView_->ShowError(report->message);
          return G_SOURCE_REMOVE;
        },
        new Report{this, message}, +[](gpointer data) { delete static_cast<Report*>(data); });
  });
  return *saver_;
}

void ConfigureHostX11::RunDialog(SetupDialog& dialog, AboutBox& about, SaverScreen& screen) {
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

// The loop's sources: the X connection, every GTK event, the signal pipe and
// the focus of the dialog's windows.
void ConfigureHostX11::StartSources() {
  static GSourceFuncs xFuncs = {&PrepareX, &CheckX, &DispatchX, nullptr, nullptr, nullptr};
  xSource_ = g_source_new(&xFuncs, sizeof(XEventSource));
  auto* source = reinterpret_cast<XEventSource*>(xSource_);
  source->host = this;
  source->tag = g_source_add_unix_fd(xSource_, ConnectionNumber(x_.display()), G_IO_IN);
  g_source_attach(xSource_, nullptr);
  gdk_event_handler_set(&OnGdkEvent, this, nullptr);
  if (EndingSignalFd() >= 0)
    signalWatch_ = g_unix_fd_add(EndingSignalFd(), G_IO_IN, &OnEndingSignal, this);
  auto focus = G_CALLBACK(+[](GObject*, GParamSpec*, gpointer self) {
    static_cast<ConfigureHostX11*>(self)->FocusMayHaveMoved();
  });
  g_signal_connect(dialogView_->Window(), "notify::is-active", focus, this);
  g_signal_connect(aboutView_->Window(), "notify::is-active", focus, this);
}

void ConfigureHostX11::StopSources() {
  if (xSource_ != nullptr) {
    g_signal_handlers_disconnect_by_data(dialogView_->Window(), this);
    g_signal_handlers_disconnect_by_data(aboutView_->Window(), this);
    g_source_destroy(xSource_);
    g_source_unref(xSource_);
    xSource_ = nullptr;
    gdk_event_handler_set(
        +[](GdkEvent* event, gpointer) { gtk_main_do_event(event); }, nullptr, nullptr);
  }
  for (guint* id : {&idle_, &focusCheck_, &signalWatch_, &errorReport_}) {
    if (*id != 0) g_source_remove(*id);
    *id = 0;
  }
}

// SIGTERM, SIGINT or SIGHUP: the dialog ends as by Cancel, after the
// preview has stopped and the desktop has its video mode back; the saver
// screen's destruction then stores what it must.
gboolean ConfigureHostX11::OnEndingSignal(gint, GIOCondition, gpointer self) {
  auto* host = static_cast<ConfigureHostX11*>(self);
  if (EndingSignal() == 0) return G_SOURCE_CONTINUE;
  host->signalWatch_ = 0;
  host->screen_->EndFromOutside();
  host->aboutView_->Close();
  host->dialog_->FormCloseQuery();
  g_main_loop_quit(host->loop_);
  return G_SOURCE_REMOVE;
}

// The program's X connection: events Xlib has already read count as well as
// bytes on the socket, and the close timer's due time bounds the wait.
bool ConfigureHostX11::SaverEventsWaiting() const {
  return XEventsQueued(x_.display(), QueuedAlready) > 0 ||
         (timerAtMs_ != 0 && NowMs() >= timerAtMs_);
}

// The saver window has no window manager to activate it: it counts as
// activated once the Preview button has shown it.
bool ConfigureHostX11::ActivationDue() const {
  return screen_ != nullptr && saver_->IsVisible() && screen_->ActivationPending;
}

gboolean ConfigureHostX11::PrepareX(GSource* source, gint* timeout) {
  ConfigureHostX11* host = reinterpret_cast<XEventSource*>(source)->host;
  XFlush(host->x_.display());
  *timeout =
      host->timerAtMs_ == 0 ? -1 : static_cast<gint>(std::max(0LL, host->timerAtMs_ - NowMs()));
  return host->SaverEventsWaiting() || host->ActivationDue();
}

gboolean ConfigureHostX11::CheckX(GSource* source) {
  auto* x = reinterpret_cast<XEventSource*>(source);
  return (g_source_query_unix_fd(source, x->tag) & G_IO_IN) != 0 || x->host->SaverEventsWaiting() ||
         x->host->ActivationDue();
}

gboolean ConfigureHostX11::DispatchX(GSource* source, GSourceFunc, gpointer) {
  reinterpret_cast<XEventSource*>(source)->host->ServeSaverWindow();
  return G_SOURCE_CONTINUE;
}

void ConfigureHostX11::ServeSaverWindow() {
  const int left = saver_->ServeEvents();
  timerAtMs_ = left < 0 ? 0 : NowMs() + left;
  if (ActivationDue()) screen_->FormActivate();
  ArmIdle();
}

// Every event of the dialog's windows may resume a preview that stopped.
void ConfigureHostX11::OnGdkEvent(GdkEvent* event, gpointer self) {
  gtk_main_do_event(event);
  static_cast<ConfigureHostX11*>(self)->ArmIdle();
}

void ConfigureHostX11::ArmIdle() {
  if (idle_ == 0 && dialog_ != nullptr) idle_ = g_idle_add(&Idle, this);
}

gboolean ConfigureHostX11::ResumeIdle(gpointer self) {
  auto* host = static_cast<ConfigureHostX11*>(self);
  host->idle_ = g_idle_add(&Idle, host);
  return G_SOURCE_REMOVE;
}

// One preview frame per pass. A loop nested in an event (a modal box, the
// pending events the Preview button lets through) draws none: the dialog's
// own loop resumes the preview afterwards.
gboolean ConfigureHostX11::Idle(gpointer self) {
  auto* host = static_cast<ConfigureHostX11*>(self);
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
  // The page-flipped path waits for its slot at each flip.
  if (!host->display_.HasPrimarySurface()) host->clock_.Tick();
  return G_SOURCE_CONTINUE;
}

// Moving the focus between the program's own windows shows as one losing it
// and then the other getting it: look once both have happened.
void ConfigureHostX11::FocusMayHaveMoved() {
  if (focusCheck_ == 0)
    focusCheck_ = g_idle_add_full(G_PRIORITY_HIGH_IDLE, &CheckFocus, this, nullptr);
}

gboolean ConfigureHostX11::CheckFocus(gpointer self) {
  auto* host = static_cast<ConfigureHostX11*>(self);
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

}  // namespace zm::x11
