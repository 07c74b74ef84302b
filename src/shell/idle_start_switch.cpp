#include "shell/idle_start_switch.h"

#include <charconv>

#include "base/file_system.h"
#include "settings/atomic_file.h"
#include "settings/idle_start_section.h"
#include "settings/settings_write_error.h"

namespace zm {

std::string AutostartEntryPath(const char* xdgConfigHome, const char* home) {
  std::string folder;
  if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
    folder = xdgConfigHome;
  } else if (home != nullptr && home[0] == '/') {
    folder = std::string(home) + (std::string_view(home).back() == '/' ? "" : "/") + ".config";
  } else {
    return "";
  }
  if (folder.back() != '/') folder += '/';
  return folder + "autostart/zelk-mirv.desktop";
}

std::string AutostartEntryText() {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Zelk Mirv idle start\n"
         "Comment=Starts the Zelk Mirv saver after the idle time set in its settings\n"
         "Exec=zelk-mirv -idle\n"
         "NoDisplay=true\n"
         "X-GNOME-Autostart-enabled=true\n"
         "# A locker to run when input ends the saver, kept over the saver until it has\n"
         "# locked: Locker=COMMAND in section [IDLE_START] of the settings file\n"
         "# ($XDG_CONFIG_HOME/zelk-mirv/zelk_mirv.ini), e.g. Locker=swaylock -f or\n"
         "# Locker=i3lock; for one run, zelk-mirv -idle -locker COMMAND.\n";
}

std::optional<int32_t> ParseIdleMinutes(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  int32_t minutes = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, minutes);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  if (minutes < IdleStartSection::kMinMinutes || minutes > IdleStartSection::kMaxMinutes) {
    return std::nullopt;
  }
  return minutes;
}

bool SwitchIdleStart(bool on, int32_t minutes, const std::string& settingsPath,
                     const std::string& entryPath, IdleStarterControl& control,
                     std::string& error) {
  IdleStartSection section;
  section.Load(settingsPath);
  const bool minutesChanged = section.Minutes != minutes;
  section.Enabled = on;
  section.Minutes = minutes;
  try {
    section.Save(settingsPath);
  } catch (const SettingsWriteError& failure) {
    error = failure.what();
    return false;
  }
  if (!on) {
    if (!entryPath.empty() && Files().KindOf(entryPath) != FileKind::kMissing &&
        !Files().Remove(entryPath)) {
      error = "Unable to remove " + entryPath + ": " + Files().LastError();
    }
    control.End();
    return error.empty();
  }
  std::string reason;
  if (entryPath.empty()) {
    error = "no home folder: no autostart entry";
  } else {
    const std::string folder = entryPath.substr(0, entryPath.rfind('/'));
    if (!Files().CreateDirectories(folder) ||
        !WriteFileAtomically(entryPath, AutostartEntryText(), &reason)) {
      error = "Unable to write to " + entryPath + (reason.empty() ? "" : ": " + reason);
    }
  }
  if (control.Runs() && minutesChanged) control.End();
  if (!control.Runs() && !control.Start()) {
    if (error.empty()) error = "the idle starter could not be started";
  }
  return error.empty();
}

}  // namespace zm
