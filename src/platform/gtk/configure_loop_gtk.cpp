#include "platform/gtk/configure_loop_gtk.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <utility>

#include "platform/posix/ending_signals_posix.h"

namespace zm {

ConfigureLoopGtk::ConfigureLoopGtk(FrameClock& clock, std::function<bool()> flipWaits)
    : clock_(clock), flipWaits_(std::move(flipWaits)) {}

ConfigureLoopGtk::~ConfigureLoopGtk() { Stop(); }

void ConfigureLoopGtk::Run(SetupDialog& dialog, SaverScreen& screen, SetupDialogGtk& dialogView,
                           AboutBoxGtk& aboutView) {
  const DisplayTalk talk;
  dialog_ = &dialog;
  screen_ = &screen;
  dialogView_ = &dialogView;
  aboutView_ = &aboutView;
  loop_ = g_main_loop_new(nullptr, FALSE);
  dialogView.OnClosed([this] { Quit(); });

  gdk_event_handler_set(&OnGdkEvent, this, nullptr);
  if (EndingSignalFd() >= 0)
    signalWatch_ = g_unix_fd_add(EndingSignalFd(), G_IO_IN, &OnEndingSignal, this);
  auto focus = G_CALLBACK(+[](GObject*, GParamSpec*, gpointer self) {
    static_cast<ConfigureLoopGtk*>(self)->FocusMayHaveMoved();
  });
  g_signal_connect(dialogView.Window(), "notify::is-active", focus, this);
  g_signal_connect(aboutView.Window(), "notify::is-active", focus, this);
  handlingEvents_ = true;

  dialogView.Show();
  ArmIdle();
  g_main_loop_run(loop_);

  Stop();
  g_main_loop_unref(loop_);
  loop_ = nullptr;
  dialog_ = nullptr;
}

void ConfigureLoopGtk::Quit() {
  if (loop_ != nullptr) g_main_loop_quit(loop_);
}

void ConfigureLoopGtk::Stop() {
  if (handlingEvents_) {
    g_signal_handlers_disconnect_by_data(dialogView_->Window(), this);
    g_signal_handlers_disconnect_by_data(aboutView_->Window(), this);
    gdk_event_handler_set(
        +[](GdkEvent* event, gpointer) { gtk_main_do_event(event); }, nullptr, nullptr);
    handlingEvents_ = false;
  }
  for (guint* id : {&idle_, &focusCheck_, &signalWatch_}) {
    if (*id != 0) g_source_remove(*id);
    *id = 0;
  }
}

// SIGTERM, SIGINT or SIGHUP: the dialog ends as by Cancel, after the
// preview has stopped and the desktop has its video mode back; the saver
// screen's destruction then stores what it must.
gboolean ConfigureLoopGtk::OnEndingSignal(gint, GIOCondition, gpointer self) {
  auto* loop = static_cast<ConfigureLoopGtk*>(self);
  if (EndingSignal() == 0) return G_SOURCE_CONTINUE;
  loop->signalWatch_ = 0;
  loop->screen_->EndFromOutside();
  loop->aboutView_->Close();
  loop->dialog_->FormCloseQuery();
  loop->Quit();
  return G_SOURCE_REMOVE;
}

void ConfigureLoopGtk::SaverWindowServed(int msLeft, bool saverVisible) {
  timerAtMs_ = msLeft < 0 ? 0 : NowMs() + msLeft;
  if (ActivationDue(saverVisible)) screen_->FormActivate();
  ArmIdle();
}

bool ConfigureLoopGtk::ActivationDue(bool saverVisible) const {
  return screen_ != nullptr && saverVisible && screen_->ActivationPending;
}

bool ConfigureLoopGtk::TimerDue() const { return timerAtMs_ != 0 && NowMs() >= timerAtMs_; }

gint ConfigureLoopGtk::TimeoutMs() const {
  return timerAtMs_ == 0 ? -1 : static_cast<gint>(std::max(0LL, timerAtMs_ - NowMs()));
}

// Every event of the dialog's windows may resume a preview that stopped.
void ConfigureLoopGtk::OnGdkEvent(GdkEvent* event, gpointer self) {
  gtk_main_do_event(event);
  static_cast<ConfigureLoopGtk*>(self)->ArmIdle();
}

void ConfigureLoopGtk::ArmIdle() {
  if (idle_ == 0 && dialog_ != nullptr) idle_ = g_idle_add(&Idle, this);
}

gboolean ConfigureLoopGtk::ResumeIdle(gpointer self) {
  auto* loop = static_cast<ConfigureLoopGtk*>(self);
  loop->idle_ = g_idle_add(&Idle, loop);
  return G_SOURCE_REMOVE;
}

// One preview frame per pass. A loop nested in an event (a modal box, the
// pending events the Preview button lets through) draws none: the dialog's
// own loop resumes the preview afterwards.
gboolean ConfigureLoopGtk::Idle(gpointer self) {
  auto* loop = static_cast<ConfigureLoopGtk*>(self);
  if (g_main_depth() > 1 || loop->dialog_ == nullptr) {
    loop->idle_ = 0;
    return G_SOURCE_REMOVE;
  }
  if (const int wait = loop->clock_.MillisecondsLeft(); wait > 0) {
    loop->idle_ = g_timeout_add(static_cast<guint>(wait), &ResumeIdle, loop);
    return G_SOURCE_REMOVE;
  }
  bool done = true;
  loop->dialog_->PreviewIdle(done);
  if (done) {
    loop->idle_ = 0;
    return G_SOURCE_REMOVE;
  }
  if (!loop->flipWaits_ || !loop->flipWaits_()) loop->clock_.Tick();
  return G_SOURCE_CONTINUE;
}

// Moving the focus between the program's own windows shows as one losing it
// and then the other getting it: look once both have happened.
void ConfigureLoopGtk::FocusMayHaveMoved() {
  if (focusCheck_ == 0)
    focusCheck_ = g_idle_add_full(G_PRIORITY_HIGH_IDLE, &CheckFocus, this, nullptr);
}

gboolean ConfigureLoopGtk::CheckFocus(gpointer self) {
  auto* loop = static_cast<ConfigureLoopGtk*>(self);
  loop->focusCheck_ = 0;
  const bool active = gtk_window_is_active(GTK_WINDOW(loop->dialogView_->Window())) ||
                      gtk_window_is_active(GTK_WINDOW(loop->aboutView_->Window()));
  if (active == loop->active_ || loop->dialog_ == nullptr) return G_SOURCE_REMOVE;
  loop->active_ = active;
  if (active) {
    loop->dialog_->AppActivated();
  } else {
    loop->dialog_->AppDeactivated();
  }
  loop->ArmIdle();
  return G_SOURCE_REMOVE;
}

}  // namespace zm
