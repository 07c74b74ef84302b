#include "shell/program_entry.h"

#include <ctime>
#include <exception>
#include <new>
#include <string>

#include "settings/saver_settings.h"
#include "settings/ascii_names.h"
#include "shell/run_mode.h"
#include "shell/startup.h"
#include "shell/window_handle.h"

namespace zm {

namespace {

void ChangePassword(ProgramHost& host, std::string_view secondArgument) {
  if (!host.LoadPasswordChanger()) return;
  struct Release {
    ProgramHost& host;
    ~Release() { host.ReleasePasswordChanger(); }
  } release{host};
  host.ChangePassword(ParseWindowHandle(secondArgument));
}

// Every mode but the password change, under the single-instance lock.
void RunLocked(ProgramHost& host, std::string_view secondArgument, bool& locked) {
  const ProgramHost::InstanceLock lock = host.CreateInstanceLock();
  if (lock == ProgramHost::InstanceLock::kAlreadyRunning) return;
  locked = lock == ProgramHost::InstanceLock::kCreated;
  if (RunMode == rmPreview) {
    host.RunPreview(ParseWindowHandle(secondArgument));
  } else if (RunMode == rmConfigure) {
    host.RunConfigure();
  } else {
    host.RunSaver();
  }
}

void ReportError(ProgramHost& host, const std::string& message) {
  if (SaverSettings.use_DirectX) host.RestoreVideoMode();
  host.ShowErrorReport(message);
}

}  // namespace

int RunProgram(ProgramHost& host, std::string_view firstArgument, std::string_view secondArgument,
               uint32_t seed) {
  bool locked = false;
  try {
    PrepareProgram(seed);
    RunMode = ParseRunMode(firstArgument);
    // Both arguments are upper-cased before use: a window handle that is
    // not a number is reported in capitals.
    const std::string second = UpperCased(secondArgument);
    if (RunMode == rmChangePassword) {
      ChangePassword(host, second);
    } else {
      RunLocked(host, second, locked);
    }
  } catch (const std::bad_alloc&) {
    ReportError(host, "Out of memory");
  } catch (const std::exception& error) {
    ReportError(host, error.what());
  }
  if (locked) host.CloseInstanceLock();
  return 0;
}

uint32_t StartupSeed() { return SecondsSinceMidnightUtc(std::time(nullptr)); }

}  // namespace zm
