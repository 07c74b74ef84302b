#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zm {

// Turning the idle starter on and off from the setup dialog ("Start after").

// The desktop's autostart entry that runs the starter at login:
// $XDG_CONFIG_HOME/autostart/zelk-mirv.desktop, else ~/.config/autostart;
// "" without either.
std::string AutostartEntryPath(const char* xdgConfigHome, const char* home);
// Its text (Exec=zelk-mirv -idle).
std::string AutostartEntryText();

// The minutes as typed: a whole number from 1 to 720, blanks around it allowed.
std::optional<int32_t> ParseIdleMinutes(std::string_view text);

// The running starter, as the platform reaches it.
class IdleStarterControl {
 public:
  virtual ~IdleStarterControl() = default;
  virtual bool Runs() = 0;
  virtual bool Start() = 0;  // a starter of its own, for this session
  virtual void End() = 0;    // asks a running one to end
};

// On: section IDLE_START says so with the minutes, the autostart entry is
// written, and a starter runs now (one that ran with other minutes is started
// anew). Off: the section says so, the entry is removed and a running starter
// ends. The settings file is `settingsPath`; false and `error` when a file
// could not be written (what was done before stays).
bool SwitchIdleStart(bool on, int32_t minutes, const std::string& settingsPath,
                     const std::string& entryPath, IdleStarterControl& control, std::string& error);

}  // namespace zm
