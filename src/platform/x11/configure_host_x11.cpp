#include "platform/x11/configure_host_x11.h"

#include <gtk/gtk.h>

#include <string>

#include "platform/gtk/gtk_widgets.h"

namespace zm::x11 {

struct ConfigureHostX11::XEventSource {
  GSource base;
  ConfigureHostX11* host;
  gpointer tag;
};

ConfigureHostX11::ConfigureHostX11(XConnection& x, DisplayControlX11& display, FrameClock& clock,
                                   FpsOverlay& fps)
    : x_(x), display_(display), clock_(clock), fps_(fps), loop_(clock, [&display] {
        return display.HasPrimarySurface();
      }) {
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

// The loop's own sources, and the program's X connection beside them.
void ConfigureHostX11::RunDialog(SetupDialog& dialog, AboutBox& about, SaverScreen& screen) {
  dialogView_->Attach(&dialog);
  aboutView_->Attach(&about);
  saver_->Attach(&screen);
  static GSourceFuncs xFuncs = {&PrepareX, &CheckX, &DispatchX, nullptr, nullptr, nullptr};
  xSource_ = g_source_new(&xFuncs, sizeof(XEventSource));
  auto* source = reinterpret_cast<XEventSource*>(xSource_);
  source->host = this;
  source->tag = g_source_add_unix_fd(xSource_, ConnectionNumber(x_.Connection()), G_IO_IN);
  g_source_attach(xSource_, nullptr);

  loop_.Run(dialog, screen, *dialogView_, *aboutView_);

  StopSources();
  saver_->Attach(nullptr);
  aboutView_->Attach(nullptr);
  dialogView_->Attach(nullptr);
}

void ConfigureHostX11::StopSources() {
  loop_.Stop();
  if (xSource_ != nullptr) {
    g_source_destroy(xSource_);
    g_source_unref(xSource_);
    xSource_ = nullptr;
  }
  if (errorReport_ != 0) g_source_remove(errorReport_);
  errorReport_ = 0;
}

// The program's X connection: events Xlib has already read count as well as
// bytes on the socket, and the close timer's due time bounds the wait.
bool ConfigureHostX11::SaverEventsWaiting() const {
  return XEventsQueued(x_.Connection(), QueuedAlready) > 0 || loop_.TimerDue();
}

gboolean ConfigureHostX11::PrepareX(GSource* source, gint* timeout) {
  ConfigureHostX11* host = reinterpret_cast<XEventSource*>(source)->host;
  XFlush(host->x_.Connection());
  *timeout = host->loop_.TimeoutMs();
  return host->SaverEventsWaiting() || host->loop_.ActivationDue(host->saver_->IsVisible());
}

gboolean ConfigureHostX11::CheckX(GSource* source) {
  auto* x = reinterpret_cast<XEventSource*>(source);
  return (g_source_query_unix_fd(source, x->tag) & G_IO_IN) != 0 || x->host->SaverEventsWaiting() ||
         x->host->loop_.ActivationDue(x->host->saver_->IsVisible());
}

gboolean ConfigureHostX11::DispatchX(GSource* source, GSourceFunc, gpointer) {
  reinterpret_cast<XEventSource*>(source)->host->ServeSaverWindow();
  return G_SOURCE_CONTINUE;
}

void ConfigureHostX11::ServeSaverWindow() {
  const int left = saver_->ServeEvents();
  loop_.SaverWindowServed(left, saver_->IsVisible());
}

}  // namespace zm::x11
