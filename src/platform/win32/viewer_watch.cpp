#include "platform/win32/viewer_watch.h"

#include <cstring>

namespace zm::win32 {

namespace {

// GUID_CONSOLE_DISPLAY_STATE: {6FE69556-704A-47A0-8F24-C28D936FDA47}.
constexpr GUID kConsoleDisplayState = {
    0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}};
constexpr DWORD kDisplayOff = 0;  // 1 is on, 2 dimmed
constexpr DWORD kNotifyForThisSession = 0;

using RegisterPowerNotification = HANDLE(WINAPI*)(HANDLE, LPCGUID, DWORD);
using UnregisterPowerNotification = BOOL(WINAPI*)(HANDLE);
using RegisterSessionNotification = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSessionNotification = BOOL(WINAPI*)(HWND);

}  // namespace

ViewerWatch::ViewerWatch(HWND window) : window_(window) {
  if (window_ == nullptr) return;
  if (const auto reg = user_.Entry<RegisterPowerNotification>("RegisterPowerSettingNotification")) {
    powerNotification_ = reg(window_, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
  }
  if (const auto reg =
          sessions_.Entry<RegisterSessionNotification>("WTSRegisterSessionNotification")) {
    sessionRegistered_ = reg(window_, kNotifyForThisSession) != FALSE;
  }
}

ViewerWatch::~ViewerWatch() {
  if (powerNotification_ != nullptr) {
    if (const auto unreg =
            user_.Entry<UnregisterPowerNotification>("UnregisterPowerSettingNotification")) {
      unreg(powerNotification_);
    }
  }
  if (sessionRegistered_) {
    if (const auto unreg =
            sessions_.Entry<UnregisterSessionNotification>("WTSUnRegisterSessionNotification")) {
      unreg(window_);
    }
  }
}

std::optional<bool> ViewerWatch::DisplayOn(WPARAM wParam, LPARAM lParam) {
  if (wParam != PBT_POWERSETTINGCHANGE || lParam == 0) return std::nullopt;
  const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
  if (setting->PowerSetting != kConsoleDisplayState || setting->DataLength < sizeof(DWORD)) {
    return std::nullopt;
  }
  DWORD state = 0;
  std::memcpy(&state, setting->Data, sizeof state);
  return state != kDisplayOff;
}

std::optional<bool> ViewerWatch::SessionLocked(WPARAM wParam) {
  if (wParam == WTS_SESSION_LOCK) return true;
  if (wParam == WTS_SESSION_UNLOCK) return false;
  return std::nullopt;
}

}  // namespace zm::win32
