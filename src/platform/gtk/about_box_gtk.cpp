#include "platform/gtk/about_box_gtk.h"

#include <gtk/gtk.h>

#include "platform/gtk/gtk_widgets.h"
#include "platform/gtk/logo_bmp.h"
#include "shell/dialog_layout.h"
#include "shell/dialog_texts.h"

namespace zm {

namespace layout = dialog_layout;

namespace {

struct LinkClick {
  AboutBox** about;
  void (AboutBox::*click)();
};

// The logo picture, from the bitmap built into the program.
GtkWidget* Logo() {
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("bmp", nullptr);
  GtkWidget* image = nullptr;
  if (loader != nullptr && gdk_pixbuf_loader_write(loader, kLogoBmp, kLogoBmpSize, nullptr) &&
      gdk_pixbuf_loader_close(loader, nullptr)) {
    image = gtk_image_new_from_pixbuf(gdk_pixbuf_loader_get_pixbuf(loader));
  }
  if (loader != nullptr) g_object_unref(loader);
  return image != nullptr ? image : gtk_image_new();
}

GtkWidget* BoldLabel(const char* text) {
  GtkWidget* label = Label(nullptr);
  char* markup = g_markup_printf_escaped("<b>%s</b>", text);
  gtk_label_set_markup(GTK_LABEL(label), markup);
  g_free(markup);
  return label;
}

}  // namespace

AboutBoxGtk::AboutBoxGtk(GtkWidget* owner) {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_object_ref_sink(window_);
  gtk_window_set_title(GTK_WINDOW(window_), kAboutCaption);
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_transient_for(GTK_WINDOW(window_), GTK_WINDOW(owner));
  gtk_window_set_modal(GTK_WINDOW(window_), TRUE);
  gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
  UseDialogStyle(window_);
  fixed_ = gtk_fixed_new();
  gtk_widget_set_size_request(fixed_, layout::kAboutWidth, layout::kAboutHeight);
  gtk_container_add(GTK_CONTAINER(window_), fixed_);
  CreateControls();
  g_signal_connect(window_, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) {
                     static_cast<AboutBoxGtk*>(self)->Close();
                     return TRUE;
                   }),
                   this);
  // Every key reaches the box's rules before the controls see it.
  g_signal_connect(window_, "key-press-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEventKey* key, gpointer self) -> gboolean {
                     AboutBox* about = static_cast<AboutBoxGtk*>(self)->about_;
                     if (about == nullptr) return FALSE;
                     const bool escape = key->keyval == GDK_KEY_Escape;
                     about->FormKeyDown(escape ? kEscapeKey : static_cast<int32_t>(key->keyval));
                     return escape;
                   }),
                   this);
  g_signal_connect(window_, "hide", G_CALLBACK(+[](GtkWidget*, gpointer self) {
                     AboutBox* about = static_cast<AboutBoxGtk*>(self)->about_;
                     if (about != nullptr) about->FormHide();
                   }),
                   this);
}

AboutBoxGtk::~AboutBoxGtk() {
  about_ = nullptr;
  gtk_widget_destroy(window_);
  g_object_unref(window_);
}

void AboutBoxGtk::CreateControls() {
  GtkWidget* bevel = Place(fixed_, gtk_frame_new(nullptr), layout::kLogoBevel);
  gtk_frame_set_shadow_type(GTK_FRAME(bevel), GTK_SHADOW_IN);
  Place(fixed_, Logo(), layout::kLogo);
  Place(fixed_, Label(kNoticeLine1), layout::kNoticeLine1);
  Place(fixed_, Label(kNoticeLine2), layout::kNoticeLine2);
  // The rule is the bottom line of its place, two pixels high.
  const ClientRect& rule = layout::kRule;
  Place(fixed_, gtk_separator_new(GTK_ORIENTATION_HORIZONTAL),
        {rule.left, rule.top + rule.height - 2, rule.width, 2});
  Place(fixed_, BoldLabel(kMailLabel), layout::kMailLabel);
  Link(kProjectMailAddress, &AboutBox::MailLinkClick, layout::kMailLink);
  Place(fixed_, BoldLabel(kHomePageLabel), layout::kHomePageLabel);
  Link(kProjectHomePage, &AboutBox::HomePageLinkClick, layout::kHomePageLink);
  ok_ = Place(fixed_, gtk_button_new_with_label(kOkCaption), layout::kAboutOk);
  gtk_widget_set_can_default(ok_, TRUE);
  gtk_window_set_default(GTK_WINDOW(window_), ok_);
  g_signal_connect(ok_, "clicked", G_CALLBACK(+[](GtkWidget*, gpointer self) {
                     AboutBox* about = static_cast<AboutBoxGtk*>(self)->about_;
                     if (about != nullptr) about->OkClick();
                   }),
                   this);
}

// A navy label that takes clicks and shows the hand cursor.
GtkWidget* AboutBoxGtk::Link(const char* text, void (AboutBox::*click)(), const ClientRect& place) {
  GtkWidget* label = Label(nullptr);
  char* markup = g_markup_printf_escaped("<span foreground=\"#000080\">%s</span>", text);
  gtk_label_set_markup(GTK_LABEL(label), markup);
  g_free(markup);
  GtkWidget* box = gtk_event_box_new();
  gtk_event_box_set_visible_window(GTK_EVENT_BOX(box), FALSE);
  gtk_container_add(GTK_CONTAINER(box), label);
  Place(fixed_, box, place);
  // The hand over the link, the arrow elsewhere.
  gtk_widget_add_events(box, GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK);
  auto pointTo = +[](GtkWidget* widget, GdkEventCrossing* crossing, gpointer) -> gboolean {
    GdkWindow* window = gtk_widget_get_window(widget);
    GdkCursor* hand = crossing->type == GDK_ENTER_NOTIFY
                          ? gdk_cursor_new_from_name(gdk_window_get_display(window), "pointer")
                          : nullptr;
    gdk_window_set_cursor(window, hand);
    if (hand != nullptr) g_object_unref(hand);
    return FALSE;
  };
  g_signal_connect(box, "enter-notify-event", G_CALLBACK(pointTo), nullptr);
  g_signal_connect(box, "leave-notify-event", G_CALLBACK(pointTo), nullptr);
  auto* linkClick = new LinkClick{&about_, click};
  g_signal_connect_data(
      box, "button-press-event",
      G_CALLBACK(+[](GtkWidget*, GdkEventButton* button, gpointer data) -> gboolean {
        const auto* link = static_cast<const LinkClick*>(data);
        if (button->button == 1 && button->type == GDK_BUTTON_PRESS && *link->about != nullptr) {
          ((*link->about)->*link->click)();
        }
        return TRUE;
      }),
      linkClick, +[](gpointer data, GClosure*) { delete static_cast<LinkClick*>(data); },
      GConnectFlags{});
  return box;
}

// Runs a loop of its own until Close ends it; the dialog's preview waits
// meanwhile.
void AboutBoxGtk::ShowModal() {
  gtk_widget_show_all(window_);
  gtk_widget_grab_focus(ok_);
  gtk_window_present(GTK_WINDOW(window_));
  modal_ = g_main_loop_new(nullptr, FALSE);
  g_main_loop_run(modal_);
  g_main_loop_unref(modal_);
  modal_ = nullptr;
}

// The focus goes back to the dialog, not to whatever lies below.
void AboutBoxGtk::Close() {
  if (!IsVisible()) return;
  gtk_widget_hide(window_);
  gtk_window_present(gtk_window_get_transient_for(GTK_WINDOW(window_)));
  if (modal_ != nullptr) g_main_loop_quit(modal_);
}

bool AboutBoxGtk::IsVisible() const { return gtk_widget_get_visible(window_) != FALSE; }

bool AboutBoxGtk::OpenLink(const std::string& uri) {
  GError* error = nullptr;
  const bool opened =
      gtk_show_uri_on_window(GTK_WINDOW(window_), uri.c_str(), GDK_CURRENT_TIME, &error) != FALSE;
  if (error != nullptr) g_error_free(error);
  return opened;
}

void AboutBoxGtk::Beep() { gdk_display_beep(gdk_display_get_default()); }

}  // namespace zm
