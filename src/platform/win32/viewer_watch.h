#pragma once

#include <windows.h>

#include <optional>

#include "platform/win32/system_library.h"

namespace zm::win32 {

// Asks the system to tell a window when the console's display is turned off
// or on, when the power source or the battery saver changes
// (WM_POWERBROADCAST) and when the session is locked or unlocked
// (WM_WTSSESSION_CHANGE). Both services are looked up at run time, so the
// program still runs where they are missing (then nothing is told).
class ViewerWatch {
 public:
  explicit ViewerWatch(HWND window);
  ~ViewerWatch();
  ViewerWatch(const ViewerWatch&) = delete;
  ViewerWatch& operator=(const ViewerWatch&) = delete;

  // What a WM_POWERBROADCAST says of the display: on (also dimmed) or off;
  // nothing when it is about something else.
  static std::optional<bool> DisplayOn(WPARAM wParam, LPARAM lParam);
  // What a WM_WTSSESSION_CHANGE says: locked or unlocked; nothing for the
  // other session events.
  static std::optional<bool> SessionLocked(WPARAM wParam);
  // Whether a WM_POWERBROADCAST is about the power source or the battery
  // saver; OnBattery then tells the state.
  static bool PowerSourceMessage(WPARAM wParam, LPARAM lParam);
  // The machine runs on battery, or its battery saver is on
  // (GetSystemPowerStatus); false where the system does not say.
  static bool OnBattery();

 private:
  HWND window_;
  SystemLibrary user_{"user32.dll"};
  SystemLibrary sessions_{"wtsapi32.dll"};
  HANDLE powerNotification_ = nullptr;
  HANDLE sourceNotification_ = nullptr;
  HANDLE saverNotification_ = nullptr;
  bool sessionRegistered_ = false;
};

}  // namespace zm::win32
