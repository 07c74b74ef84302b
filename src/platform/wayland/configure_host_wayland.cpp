#include "platform/wayland/configure_host_wayland.h"

#include <gtk/gtk.h>

#include "platform/gtk/gtk_widgets.h"
#include "shell/program_error.h"

namespace zm::wayland {

struct ConfigureHostWayland::WaylandSource {
  GSource base;
  ConfigureHostWayland* host;
  gpointer tag;
};

ConfigureHostWayland::ConfigureHostWayland(WaylandConnection& wayland, FrameClock& clock)
    : wayland_(wayland), loop_(clock) {
  if (!StartGtk(GtkDisplay::kWayland)) {
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
  dialogView_ = std::make_unique<SetupDialogGtk>();
  return *dialogView_;
}

AboutBoxView& ConfigureHostWayland::CreateAboutBox() {
  aboutView_ = std::make_unique<AboutBoxGtk>(dialogView_->Window());
  return *aboutView_;
}

SaverWindow& ConfigureHostWayland::CreateSaverWindow() {
  saver_ = std::make_unique<SaverWindowWayland>(wayland_, SaverWindowWayland::Kind::kPreview, "");
  return *saver_;
}

// The loop's own sources, and the program's connection to the compositor
// beside them.
void ConfigureHostWayland::RunDialog(SetupDialog& dialog, AboutBox& about, SaverScreen& screen) {
  dialogView_->Attach(&dialog);
  aboutView_->Attach(&about);
  saver_->Attach(&screen);
  static GSourceFuncs funcs = {&Prepare, &Check, &Dispatch, nullptr, nullptr, nullptr};
  source_ = g_source_new(&funcs, sizeof(WaylandSource));
  auto* source = reinterpret_cast<WaylandSource*>(source_);
  source->host = this;
  source->tag = g_source_add_unix_fd(source_, wl_display_get_fd(wayland_.Connection()), G_IO_IN);
  g_source_attach(source_, nullptr);

  loop_.Run(dialog, screen, *dialogView_, *aboutView_);

  StopSources();
  saver_->Attach(nullptr);
  aboutView_->Attach(nullptr);
  dialogView_->Attach(nullptr);
}

void ConfigureHostWayland::StopSources() {
  loop_.Stop();
  if (source_ != nullptr) {
    g_source_destroy(source_);
    g_source_unref(source_);
    source_ = nullptr;
  }
}

// Events already read are handled before the loop sleeps, and what the
// program asked for is sent.
gboolean ConfigureHostWayland::Prepare(GSource* source, gint* timeout) {
  ConfigureHostWayland* host = reinterpret_cast<WaylandSource*>(source)->host;
  const bool pending = wl_display_prepare_read(host->wayland_.Connection()) != 0;
  if (!pending) wl_display_cancel_read(host->wayland_.Connection());
  wl_display_flush(host->wayland_.Connection());
  *timeout = host->loop_.TimeoutMs();
  return pending || host->loop_.TimerDue();
}

gboolean ConfigureHostWayland::Check(GSource* source) {
  auto* own = reinterpret_cast<WaylandSource*>(source);
  return (g_source_query_unix_fd(source, own->tag) & G_IO_IN) != 0 || own->host->loop_.TimerDue();
}

gboolean ConfigureHostWayland::Dispatch(GSource* source, GSourceFunc, gpointer) {
  ConfigureHostWayland* host = reinterpret_cast<WaylandSource*>(source)->host;
  if (!host->wayland_.Dispatch(0)) {
    host->loop_.Quit();
    return G_SOURCE_REMOVE;
  }
  const int left = host->saver_->ServeEvents();
  host->loop_.SaverWindowServed(left, host->saver_->IsVisible());
  return G_SOURCE_CONTINUE;
}

}  // namespace zm::wayland
