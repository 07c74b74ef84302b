#include "platform/win32/password_services_win32.h"

#include "platform/win32/system_library.h"

namespace zm::win32 {

bool PasswordServicesWin32::OpenDesktopSettings() {
  return RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_ALL_ACCESS, &desktop_) ==
         ERROR_SUCCESS;
}

void PasswordServicesWin32::CloseDesktopSettings() {
  if (desktop_ != nullptr) RegCloseKey(desktop_);
  desktop_ = nullptr;
}

std::optional<uint32_t> PasswordServicesWin32::ReadUsePasswordFlag() {
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof(value);
  const LONG result = RegQueryValueExA(desktop_, "ScreenSaveUsePassword", nullptr, &type,
                                       reinterpret_cast<BYTE*>(&value), &size);
  if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) return std::nullopt;
  return value;
}

std::optional<bool> PasswordServicesWin32::VerifyPassword() {
  using Verify = BOOL(WINAPI*)(HWND);
  SystemLibrary library("PASSWORD.CPL");
  const auto verify = library.Entry<Verify>("VerifyScreenSavePwd");
  if (verify == nullptr) return std::nullopt;
  return verify(window_) != FALSE;
}

}  // namespace zm::win32
