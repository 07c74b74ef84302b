#include "platform/win32/viewer_watch.h"

#include <cstring>

namespace zm::win32 {

namespace {

// GUID_CONSOLE_DISPLAY_STATE: {6FE69556-704A-47A0-8F24-C28D936FDA47}.
constexpr GUID kConsoleDisplayState = {
    0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}};
// GUID_ACDC_POWER_SOURCE: {5D3E9A59-E9D5-4B00-A6BD-FF34FF516548}.
constexpr GUID kPowerSource = {
    0x5D3E9A59, 0xE9D5, 0x4B00, {0xA6, 0xBD, 0xFF, 0x34, 0xFF, 0x51, 0x65, 0x48}};
// GUID_POWER_SAVING_STATUS (the battery saver): {E00958C0-C213-4ACE-AC77-FECCED2EEEA5}.
constexpr GUID kPowerSaving = {
    0xE00958C0, 0xC213, 0x4ACE, {0xAC, 0x77, 0xFE, 0xCC, 0xED, 0x2E, 0xEE, 0xA5}};
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
    sourceNotification_ = reg(window_, &kPowerSource, DEVICE_NOTIFY_WINDOW_HANDLE);
    saverNotification_ = reg(window_, &kPowerSaving, DEVICE_NOTIFY_WINDOW_HANDLE);
  }
  if (const auto reg =
          sessions_.Entry<RegisterSessionNotification>("WTSRegisterSessionNotification")) {
    sessionRegistered_ = reg(window_, kNotifyForThisSession) != FALSE;
  }
}

ViewerWatch::~ViewerWatch() {
  if (const auto unreg =
          user_.Entry<UnregisterPowerNotification>("UnregisterPowerSettingNotification")) {
    for (HANDLE notification : {powerNotification_, sourceNotification_, saverNotification_}) {
      if (notification != nullptr) unreg(notification);
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

bool ViewerWatch::PowerSourceMessage(WPARAM wParam, LPARAM lParam) {
  if (wParam == PBT_APMPOWERSTATUSCHANGE) return true;
  if (wParam != PBT_POWERSETTINGCHANGE || lParam == 0) return false;
  const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
  return setting->PowerSetting == kPowerSource || setting->PowerSetting == kPowerSaving;
}

bool ViewerWatch::OnBattery() {
  SYSTEM_POWER_STATUS status{};
  if (!GetSystemPowerStatus(&status)) return false;
  // The byte after BatteryLifePercent (SystemStatusFlag in newer headers) is
  // 1 while the battery saver is on.
  BYTE saver = 0;
  std::memcpy(&saver, reinterpret_cast<const BYTE*>(&status) + 3, 1);
  return status.ACLineStatus == 0 || saver == 1;
}

std::optional<bool> ViewerWatch::SessionLocked(WPARAM wParam) {
  if (wParam == WTS_SESSION_LOCK) return true;
  if (wParam == WTS_SESSION_UNLOCK) return false;
  return std::nullopt;
}

}  // namespace zm::win32
