#include "platform/gtk/idle_start_box_gtk.h"

#include <gtk/gtk.h>

#include <cstdlib>

#include "platform/gtk/gtk_widgets.h"
#include "platform/gtk/idle_starter_control_gtk.h"
#include "platform/posix/program_files_posix.h"
#include "settings/idle_start_section.h"
#include "shell/idle_start_switch.h"

namespace zm {

namespace {

// In the gap between the panel and Ok, flush with Ok's left edge; no other
// control moves.
constexpr ClientRect kStartAfter{40, 279, 78, 17};
constexpr ClientRect kMinutes{120, 277, 24, 19};
constexpr ClientRect kMinutesUnit{147, 281, 18, 13};

}  // namespace

IdleStartBoxGtk::IdleStartBoxGtk(GtkWidget* fixed, GtkWidget* window) : window_(window) {
  check_ = Place(fixed, gtk_check_button_new_with_label("Start after"), kStartAfter);
  minutes_ = Place(fixed, gtk_entry_new(), kMinutes);
  gtk_entry_set_width_chars(GTK_ENTRY(minutes_), 2);
  gtk_entry_set_max_length(GTK_ENTRY(minutes_), 3);
  gtk_entry_set_input_purpose(GTK_ENTRY(minutes_), GTK_INPUT_PURPOSE_DIGITS);
  Place(fixed, Label("min"), kMinutesUnit);
  gtk_widget_set_tooltip_text(check_, "Start the saver after this many minutes without input");
  gtk_widget_set_tooltip_text(minutes_, "Minutes without input, 1 to 720");

  const ProgramFiles files = UserProgramFiles(false);
  settingsPath_ = files.settings;
  IdleStartSection section;
  if (!settingsPath_.empty()) section.Load(settingsPath_);
  shownMinutes_ = section.Minutes;
  gtk_entry_set_text(GTK_ENTRY(minutes_), std::to_string(section.Minutes).c_str());
  // Ticked when the starter is on: the stored choice, or one that runs.
  quiet_ = true;
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(check_), section.Enabled || IdleStarterRuns());
  quiet_ = false;
  g_signal_connect(check_, "toggled", G_CALLBACK(&IdleStartBoxGtk::OnToggled), this);
}

IdleStartBoxGtk::~IdleStartBoxGtk() = default;

void IdleStartBoxGtk::OnToggled(GtkWidget* widget, void* data) {
  auto* self = static_cast<IdleStartBoxGtk*>(data);
  if (self->quiet_) return;
  self->Switch(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget)));
}

void IdleStartBoxGtk::Apply() {
  if (!gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(check_))) return;
  const auto minutes = ParseIdleMinutes(gtk_entry_get_text(GTK_ENTRY(minutes_)));
  if (minutes && *minutes == shownMinutes_) return;
  Switch(true);
}

void IdleStartBoxGtk::Switch(bool on) {
  const auto minutes = ParseIdleMinutes(gtk_entry_get_text(GTK_ENTRY(minutes_)));
  if (!minutes) {
    Fail("The minutes must be a whole number from 1 to 720.");
    quiet_ = true;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(check_), !on);
    quiet_ = false;
    return;
  }
  if (settingsPath_.empty()) return Fail("There is no home folder to keep the settings in.");
  const std::string entry = AutostartEntryPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
  IdleStarterControlGtk control;
  std::string error;
  if (!SwitchIdleStart(on, *minutes, settingsPath_, entry, control, error)) Fail(error);
  shownMinutes_ = *minutes;
}

void IdleStartBoxGtk::Fail(const std::string& message) { ShowErrorBox(window_, message); }

}  // namespace zm
