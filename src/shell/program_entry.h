#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/version.h"

namespace zm {

// What the main entry needs of the platform: the system's password-change
// service, the single-instance lock, the three window run modes and the
// last-resort error report.
class ProgramHost {
 public:
  enum class InstanceLock { kCreated, kAlreadyRunning, kUnavailable };

  virtual ~ProgramHost() = default;

  // The password-change service: loaded (false when the library or its
  // entry point is missing), called with the parent window, released.
  virtual bool LoadPasswordChanger() = 0;
  virtual void ChangePassword(int64_t parentWindow) = 0;
  virtual void ReleasePasswordChanger() = 0;

  // The lock that marks a running instance: created, already held by
  // another instance, or not to be had (the run then goes on unprotected).
  virtual InstanceLock CreateInstanceLock() = 0;
  virtual void CloseInstanceLock() = 0;

  virtual void RunPreview(int64_t parentWindow) = 0;
  // The setup dialog (the main window) with the About box and a hidden saver
  // window; returns when the dialog closes.
  virtual void RunConfigure() = 0;
  // The saver window alone; returns when it closes.
  virtual void RunSaver() = 0;

  virtual void RestoreVideoMode() = 0;
  // The standard report of an error that reached the main entry.
  virtual void ShowErrorReport(const std::string& message) = 0;
};

// The application title of a configure run.
constexpr const char* kApplicationTitle = "Zelk Mirv " ZM_VERSION_TEXT;

// The main entry: prepares the program (clock, random source seeded with
// `seed`, tables), sets RunMode from the first argument and runs that mode.
// The password change needs no lock; every other mode runs only when no
// other instance holds it. An error that reaches this level restores the
// video mode when use_DirectX is on and is reported. Always 0.
int RunProgram(ProgramHost& host, std::string_view firstArgument, std::string_view secondArgument,
               uint32_t seed);

// The seed of a run: the seconds since midnight, UTC, of the present time.
uint32_t StartupSeed();

}  // namespace zm
