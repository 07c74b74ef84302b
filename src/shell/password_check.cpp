#include "shell/password_check.h"

namespace zm {

namespace {

// The check once the desktop settings are open.
bool CheckWithOpenSettings(PasswordServices& services) {
  services.ShowCursor(true);
  bool allowed = true;
  try {
    const std::optional<uint32_t> flag = services.ReadUsePasswordFlag();
    if (flag && *flag != 0) allowed = services.VerifyPassword().value_or(true);
  } catch (...) {
    // A failing password service must never trap the user in the saver.
    allowed = true;
  }
  services.ShowCursor(false);
  return allowed;
}

}  // namespace

bool PasswordAllowsExit(PasswordServices& services) {
  if (!services.OpenDesktopSettings()) return true;
  const bool allowed = CheckWithOpenSettings(services);
  services.CloseDesktopSettings();
  return allowed;
}

}  // namespace zm
