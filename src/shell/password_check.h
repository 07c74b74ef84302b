#pragma once

#include <cstdint>
#include <optional>

namespace zm {

// The system's saver-password services, as the exit check needs them. The
// platform maps them onto its registry and password library; a platform
// without such services answers that the desktop settings cannot be opened.
class PasswordServices {
 public:
  virtual ~PasswordServices() = default;

  // Opens the user's desktop settings (without creating them); false when
  // they cannot be opened.
  virtual bool OpenDesktopSettings() = 0;
  virtual void CloseDesktopSettings() = 0;
  // The flag that asks for a password, when it is stored as a 32-bit
  // integer; nothing when it is missing or of another type.
  virtual std::optional<uint32_t> ReadUsePasswordFlag() = 0;
  // Asks the user for the password: true if it was accepted, false if
  // refused, nothing if the password library or its entry point is missing.
  virtual std::optional<bool> VerifyPassword() = 0;
  virtual void ShowCursor(bool show) = 0;
};

// The services of a system whose screen locker owns the passwords: the
// desktop settings "cannot be opened", so every exit is allowed.
class NoPasswordServices : public PasswordServices {
 public:
  bool OpenDesktopSettings() override { return false; }
  void CloseDesktopSettings() override {}
  std::optional<uint32_t> ReadUsePasswordFlag() override { return std::nullopt; }
  std::optional<bool> VerifyPassword() override { return std::nullopt; }
  void ShowCursor(bool) override {}
};

// Whether a saver run may end: yes unless the system asks for a password and
// the user does not give it. Any service that is missing, and any exception
// during the check, allows the exit. The cursor is shown while the password
// is asked for and hidden again afterwards.
bool PasswordAllowsExit(PasswordServices& services);

}  // namespace zm
