#include "platform/gtk/setup_dialog_gtk.h"

#include <gtk/gtk.h>

#include <cmath>
#include <cstring>
#include <string>

#include "platform/gtk/gtk_widgets.h"
#include "platform/gtk/idle_start_box_gtk.h"
#include "settings/monitor_layout.h"
#include "shell/dialog_layout.h"
#include "shell/dialog_texts.h"

namespace zm {

namespace layout = dialog_layout;

namespace {

// One forwarded signal: which dialog handler it calls through which view.
struct Forwarding {
  SetupDialogGtk* view;
  void (SetupDialog::*handler)();
  SetupDialog* (*target)(SetupDialogGtk*);
};

void ForwardSignal(GtkWidget* widget, gpointer data) {
  // A radio entry that was left reports too: only the chosen one counts.
  if (GTK_IS_RADIO_BUTTON(widget) && !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget))) {
    return;
  }
  const auto* forwarding = static_cast<const Forwarding*>(data);
  if (SetupDialog* dialog = forwarding->target(forwarding->view)) (dialog->*forwarding->handler)();
}

void FreeForwarding(gpointer data, GClosure*) { delete static_cast<Forwarding*>(data); }

// The frame as a surface cairo can scale from: its own pixels when its rows
// run top-down, else a copy.
cairo_surface_t* FrameSurface(const BitmapView& frame) {
  if (frame.pitch >= cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, frame.width)) {
    return cairo_image_surface_create_for_data(frame.firstRow, CAIRO_FORMAT_RGB24, frame.width,
                                               frame.height, static_cast<int>(frame.pitch));
  }
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, frame.width, frame.height);
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int32_t y = 0; y < frame.height; ++y) {
    std::memcpy(data + static_cast<ptrdiff_t>(y) * stride, frame.Row(y),
                static_cast<size_t>(frame.width) * 4);
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

gboolean DrawPicture(GtkWidget*, cairo_t* cr, gpointer data) {
  auto* picture = static_cast<cairo_surface_t**>(data);
  if (*picture == nullptr) {
    cairo_set_source_rgb(cr, 0, 0, 0);
  } else {
    cairo_set_source_surface(cr, *picture, 0, 0);
  }
  cairo_paint(cr);
  return TRUE;
}

}  // namespace

SetupDialogGtk::SetupDialogGtk() {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_object_ref_sink(window_);
  gtk_window_set_title(GTK_WINDOW(window_), kSetupCaption);
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
  UseDialogStyle(window_);
  fixed_ = gtk_fixed_new();
  gtk_widget_set_size_request(fixed_, layout::kSetupWidth, layout::kSetupHeight);
  gtk_container_add(GTK_CONTAINER(window_), fixed_);
  CreateControls();
  SetFocusOrder();
  // The close box asks the dialog's rules first, like Ok and Cancel.
  g_signal_connect(window_, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) {
                     static_cast<SetupDialogGtk*>(self)->Close();
                     return TRUE;
                   }),
                   this);
}

SetupDialogGtk::~SetupDialogGtk() {
  dialog_ = nullptr;
  gtk_widget_destroy(window_);
  g_object_unref(window_);
  gtk_widget_destroy(noColor_);
  g_object_unref(noColor_);
  if (picture_ != nullptr) cairo_surface_destroy(picture_);
}

void SetupDialogGtk::Connect(GtkWidget* widget, const char* signal,
                             void (SetupDialog::*handler)()) {
  auto* forwarding = new Forwarding{
      this, handler, [](SetupDialogGtk* view) -> SetupDialog* { return view->Target(); }};
  g_signal_connect_data(widget, signal, G_CALLBACK(ForwardSignal), forwarding, FreeForwarding,
                        GConnectFlags{});
}

void SetupDialogGtk::CreateControls() {
  GtkWidget* fixed = fixed_;
  GtkWidget* panel = Place(fixed, gtk_frame_new(nullptr), layout::kPanel);
  gtk_frame_set_shadow_type(GTK_FRAME(panel), GTK_SHADOW_IN);
  previewButton_ = Place(fixed, gtk_button_new_with_label(kPreviewCaption), layout::kPreviewButton);
  Connect(previewButton_, "clicked", &SetupDialog::ShowPreviewClick);
  Place(fixed, Label(kSpeedLabel), layout::kSpeedLabel);
  speed_ = Place(fixed, gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, kSpeedMaximum, 1),
                 layout::kSpeed);
  gtk_scale_set_draw_value(GTK_SCALE(speed_), FALSE);
  gtk_range_set_round_digits(GTK_RANGE(speed_), 0);
  gtk_range_set_value(GTK_RANGE(speed_), 10);
  Connect(speed_, "value-changed", &SetupDialog::ShapeSpeedChange);
  CreateColorGroup();
  ok_ = Place(fixed, gtk_button_new_with_label(kOkCaption), layout::kOk);
  Connect(ok_, "clicked", &SetupDialog::OkClick);
  cancel_ = Place(fixed, gtk_button_new_with_label(kCancelCaption), layout::kCancel);
  Connect(cancel_, "clicked", &SetupDialog::CancelClick);
  about_ = Place(fixed, gtk_button_new_with_label(kAboutButtonCaption), layout::kAbout);
  Connect(about_, "clicked", &SetupDialog::AboutClick);
  Place(fixed, Label(kVideoModeLabel), layout::kVideoModeLabel);
  modes_ = Place(fixed, gtk_combo_box_text_new_with_entry(), layout::kVideoModes);
  GtkWidget* modeText = gtk_bin_get_child(GTK_BIN(modes_));
  gtk_entry_set_width_chars(GTK_ENTRY(modeText), 1);
  Connect(modeText, "changed", &SetupDialog::GraphModesListChange);
  useDirectX_ =
      Place(fixed, gtk_check_button_new_with_label(kUseDirectXCaption), layout::kUseDirectX);
  Connect(useDirectX_, "toggled", &SetupDialog::UseDirectXClick);
  Place(fixed, Label(kMonitorsLabel), layout::kMonitorsLabel);
  monitors_ = Place(fixed, gtk_combo_box_text_new(), layout::kMonitors);
  for (MonitorLayout layout :
       {MonitorLayout::kPrimary, MonitorLayout::kEach, MonitorLayout::kSpan}) {
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(monitors_),
                                   std::string(MonitorLayoutName(layout)).c_str());
  }
  Connect(monitors_, "changed", &SetupDialog::MonitorsChange);
  Place(fixed, Label(kFramesLabel), layout::kFramesLabel);
  frames_ = Place(fixed, gtk_combo_box_text_new(), layout::kFrames);
  for (int32_t entry = 0; entry < kFrameLimitEntryCount; ++entry) {
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(frames_),
                                   std::string(FrameLimitEntryCaption(entry)).c_str());
  }
  Connect(frames_, "changed", &SetupDialog::FramesChange);
  preview_ = Place(fixed, gtk_drawing_area_new(), PreviewRect(layout::kSetupWidth));
  g_signal_connect(preview_, "draw", G_CALLBACK(DrawPicture), &picture_);
  idleStart_ = std::make_unique<IdleStartBoxGtk>(fixed, window_);
  g_signal_connect_swapped(ok_, "clicked", G_CALLBACK(+[](IdleStartBoxGtk* box) { box->Apply(); }),
                           idleStart_.get());
}

// The group "Colors:" with "All colors" and the nine colour entries, which
// sit in a frame of their own and share its height evenly.
void SetupDialogGtk::CreateColorGroup() {
  GtkWidget* group = Place(fixed_, gtk_frame_new(kColorsGroupCaption), layout::kColorsGroup);
  gtk_frame_set_label_align(GTK_FRAME(group), 0.04f, 0.5f);
  allColors_ =
      Place(fixed_, gtk_check_button_new_with_label(kAllColorsCaption), layout::kAllColors);
  Connect(allColors_, "toggled", &SetupDialog::All_MaterialsClick);
  colorFrame_ = Place(fixed_, gtk_frame_new(nullptr), layout::kColorFrame);
  noColor_ = gtk_radio_button_new(nullptr);
  g_object_ref_sink(noColor_);
  GtkWidget* previous = noColor_;
  for (size_t i = 0; i < colors_.size(); ++i) {
    const std::string caption(MaterialEntryCaption(static_cast<int32_t>(i)));
    colors_[i] =
        gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(previous), caption.c_str());
    Place(fixed_, colors_[i], layout::ColorEntry(static_cast<int32_t>(i)));
    Connect(colors_[i], "toggled", &SetupDialog::MaterialsClick);
    previous = colors_[i];
  }
}

// Tab order: Preview, the speed, the colours, Ok, Cancel, About, the video
// mode, "Use DirectX", the monitors, the frames.
void SetupDialogGtk::SetFocusOrder() {
  GList* chain = nullptr;
  for (GtkWidget* widget : {previewButton_, speed_, allColors_}) {
    chain = g_list_append(chain, widget);
  }
  for (GtkWidget* entry : colors_) chain = g_list_append(chain, entry);
  for (GtkWidget* widget : {ok_, cancel_, about_, modes_, useDirectX_, monitors_, frames_,
                            idleStart_->CheckBox(), idleStart_->MinutesBox()}) {
    chain = g_list_append(chain, widget);
  }
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  gtk_container_set_focus_chain(GTK_CONTAINER(fixed_), chain);
  G_GNUC_END_IGNORE_DEPRECATIONS
  g_list_free(chain);
}

void SetupDialogGtk::Show() {
  open_ = true;
  gtk_widget_show_all(window_);
  gtk_window_present(GTK_WINDOW(window_));
}

int32_t SetupDialogGtk::ClientWidth() const { return layout::kSetupWidth; }

void SetupDialogGtk::SetSpeedPosition(int32_t position) {
  Quiet quiet(*this);
  gtk_range_set_value(GTK_RANGE(speed_), position);
}

int32_t SetupDialogGtk::SpeedPosition() const {
  return static_cast<int32_t>(std::lround(gtk_range_get_value(GTK_RANGE(speed_))));
}

void SetupDialogGtk::SelectMaterialEntry(int32_t entry) {
  Quiet quiet(*this);
  const bool listed = entry >= 0 && entry < static_cast<int32_t>(colors_.size());
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(listed ? colors_[entry] : noColor_), TRUE);
}

int32_t SetupDialogGtk::SelectedMaterialEntry() const {
  for (size_t i = 0; i < colors_.size(); ++i) {
    if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(colors_[i]))) return static_cast<int32_t>(i);
  }
  return -1;
}

void SetupDialogGtk::EnableMaterialEntries(bool enabled) {
  gtk_widget_set_sensitive(colorFrame_, enabled);
  for (GtkWidget* entry : colors_) gtk_widget_set_sensitive(entry, enabled);
}

void SetupDialogGtk::CheckAllColors(bool checked) {
  Quiet quiet(*this);
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(allColors_), checked);
}

bool SetupDialogGtk::AllColorsChecked() const {
  return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(allColors_));
}

void SetupDialogGtk::SetModeEntries(const std::vector<std::string>& texts) {
  Quiet quiet(*this);
  const std::string text = ModeText();
  gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(modes_));
  for (const std::string& entry : texts) {
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(modes_), entry.c_str());
  }
  gtk_entry_set_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(modes_))), text.c_str());
}

void SetupDialogGtk::SetModeText(const std::string& text) {
  Quiet quiet(*this);
  gtk_entry_set_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(modes_))), text.c_str());
}

std::string SetupDialogGtk::ModeText() const {
  return gtk_entry_get_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(modes_))));
}

void SetupDialogGtk::EnableModeBox(bool enabled) { gtk_widget_set_sensitive(modes_, enabled); }

void SetupDialogGtk::SelectMonitorsEntry(int32_t entry) {
  Quiet quiet(*this);
  gtk_combo_box_set_active(GTK_COMBO_BOX(monitors_), entry);
}

int32_t SetupDialogGtk::MonitorsEntry() const {
  return gtk_combo_box_get_active(GTK_COMBO_BOX(monitors_));
}

void SetupDialogGtk::EnableMonitors(bool enabled) { gtk_widget_set_sensitive(monitors_, enabled); }

void SetupDialogGtk::SelectFramesEntry(int32_t entry) {
  Quiet quiet(*this);
  gtk_combo_box_set_active(GTK_COMBO_BOX(frames_), entry);
}

int32_t SetupDialogGtk::FramesEntry() const {
  return gtk_combo_box_get_active(GTK_COMBO_BOX(frames_));
}

void SetupDialogGtk::CheckUseDirectX(bool checked) {
  Quiet quiet(*this);
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(useDirectX_), checked);
}

bool SetupDialogGtk::UseDirectXChecked() const {
  return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(useDirectX_));
}

void SetupDialogGtk::EnableUseDirectX(bool enabled) {
  gtk_widget_set_sensitive(useDirectX_, enabled);
}

// Shown at once: the work that follows keeps the loop from running.
void SetupDialogGtk::SetBusyCursor(bool busy) {
  GdkWindow* window = gtk_widget_get_window(window_);
  if (window == nullptr) return;
  GdkDisplay* display = gdk_window_get_display(window);
  GdkCursor* cursor = busy ? gdk_cursor_new_from_name(display, "wait") : nullptr;
  gdk_window_set_cursor(window, cursor);
  if (cursor != nullptr) g_object_unref(cursor);
  gdk_display_flush(display);
}

// The frame is scaled into a picture of the rectangle's size at once; the
// drawing area shows it at its next redraw.
void SetupDialogGtk::DrawPreview(const BitmapView& frame, const ClientRect& target) {
  if (frame.firstRow == nullptr || frame.width <= 0 || frame.height <= 0) return;
  if (picture_ == nullptr) {
    picture_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, target.width, target.height);
  }
  cairo_surface_t* source = FrameSurface(frame);
  cairo_t* cr = cairo_create(picture_);
  cairo_scale(cr, static_cast<double>(target.width) / frame.width,
              static_cast<double>(target.height) / frame.height);
  cairo_set_source_surface(cr, source, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(source);
  gtk_widget_queue_draw(preview_);
}

void SetupDialogGtk::Close() {
  if (!open_ || (dialog_ != nullptr && !dialog_->FormCloseQuery())) return;
  open_ = false;
  gtk_widget_hide(window_);
  if (closed_) closed_();
}

void SetupDialogGtk::ShowError(const std::string& message) { ShowErrorBox(window_, message); }

}  // namespace zm
