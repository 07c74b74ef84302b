#pragma once

#include <windows.h>

#include "shell/password_check.h"

namespace zm::win32 {

// The system's saver password: the flag "ScreenSaveUsePassword" under
// "Control Panel\Desktop" of the current user, and "VerifyScreenSavePwd" of
// "PASSWORD.CPL", which asks the user on behalf of the saver window.
class PasswordServicesWin32 : public PasswordServices {
 public:
  explicit PasswordServicesWin32(HWND window) : window_(window) {}

  bool OpenDesktopSettings() override;
  void CloseDesktopSettings() override;
  std::optional<uint32_t> ReadUsePasswordFlag() override;
  std::optional<bool> VerifyPassword() override;
  void ShowCursor(bool show) override { ::ShowCursor(show ? TRUE : FALSE); }

 private:
  HWND window_;
  HKEY desktop_ = nullptr;
};

}  // namespace zm::win32
