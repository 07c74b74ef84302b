#pragma once

#include <string>

#include "shell/setup_dialog_view.h"

typedef struct _GtkWidget GtkWidget;

namespace zm {

enum class GtkDisplay { kX11, kWayland };

// Starts GTK once; false when it cannot. On X11 it opens $DISPLAY and the
// program's X error handler is put back afterwards; on Wayland it opens the
// compositor only, and no X11 call is made.
bool StartGtk(GtkDisplay display = GtkDisplay::kX11);
// What the X11 layer does once GTK has started on X11 (it puts its own Xlib
// error handler back); nothing until it says.
void OnGtkStartedOnX11(void (*hook)());

// Puts `widget` into the GtkFixed `fixed` at a place, with at least its size.
GtkWidget* Place(GtkWidget* fixed, GtkWidget* widget, const ClientRect& place);

// A label whose text starts at its left edge.
GtkWidget* Label(const char* text);

// A modal error box over `parent` with the setup dialog's caption and one OK.
void ShowErrorBox(GtkWidget* parent, const std::string& message);

// The dialogs' look: the small font their layout is made for, and controls
// no taller than their places.
void UseDialogStyle(GtkWidget* window);

}  // namespace zm
