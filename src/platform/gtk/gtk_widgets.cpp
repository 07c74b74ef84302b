#include "platform/gtk/gtk_widgets.h"

#include <gtk/gtk.h>

#include <cstdlib>

#include "shell/dialog_texts.h"

namespace zm {

namespace {

// The layout's places are made for an 8-point font; the theme's padding
// would push buttons, entries and check boxes out of them.
constexpr const char* kDialogCss =
    ".zelk-dialog { font: 8pt Sans; }"
    ".zelk-dialog button, .zelk-dialog entry, .zelk-dialog combobox button {"
    " min-height: 0; padding-top: 0; padding-bottom: 0; }"
    ".zelk-dialog button { padding-left: 4px; padding-right: 4px; }"
    ".zelk-dialog entry { padding-left: 3px; padding-right: 3px; }"
    ".zelk-dialog checkbutton, .zelk-dialog radiobutton { padding: 0; }"
    ".zelk-dialog check, .zelk-dialog radio { min-width: 12px; min-height: 12px; margin: 0 4px 0 "
    "0; }"
    ".zelk-dialog scale { padding: 0; }";

void (*startedOnX11)() = nullptr;

}  // namespace

void OnGtkStartedOnX11(void (*hook)()) { startedOnX11 = hook; }

bool StartGtk(GtkDisplay display) {
  static const bool ready = [display] {
    // No accessibility bus is wanted for two dialogs, nor its warning.
    setenv("NO_AT_BRIDGE", "1", 0);
    // The dialogs draw without OpenGL. Left on, GDK loads the GL driver as
    // it opens the display, which on a software driver is most of GTK's
    // start-up (about 90 of 110 ms), and a first start's wait dialog then
    // holds up the warm-up beside it.
    setenv("GDK_GL", "disable", 0);
    if (display == GtkDisplay::kWayland) {
      gdk_set_allowed_backends("wayland");
      return gtk_init_check(nullptr, nullptr) != FALSE;
    }
    const bool started = gtk_init_check(nullptr, nullptr) != FALSE;
    if (startedOnX11 != nullptr) startedOnX11();
    return started;
  }();
  return ready;
}

GtkWidget* Place(GtkWidget* fixed, GtkWidget* widget, const ClientRect& place) {
  gtk_widget_set_size_request(widget, place.width, place.height);
  gtk_fixed_put(GTK_FIXED(fixed), widget, place.left, place.top);
  return widget;
}

GtkWidget* Label(const char* text) {
  GtkWidget* label = gtk_label_new(text);
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  return label;
}

void UseDialogStyle(GtkWidget* window) {
  static GtkCssProvider* provider = [] {
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, kDialogCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    return css;
  }();
  (void)provider;
  gtk_style_context_add_class(gtk_widget_get_style_context(window), "zelk-dialog");
}

void ShowErrorBox(GtkWidget* parent, const std::string& message) {
  GtkWidget* box = gtk_message_dialog_new(GTK_WINDOW(parent), GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR,
                                          GTK_BUTTONS_OK, "%s", message.c_str());
  gtk_window_set_title(GTK_WINDOW(box), kSetupCaption);
  gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
}

}  // namespace zm
