#include "platform/wayland/program_host_wayland.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/posix/ending_signals_posix.h"
#include "platform/posix/file_watch_posix.h"
#include "platform/posix/locker_posix.h"
#include "platform/posix/program_files_posix.h"
#include "platform/posix/standard_error_posix.h"
#include "platform/wayland/configure_host_wayland.h"
#include "platform/wayland/display_control_wayland.h"
#include "platform/wayland/saver_window_wayland.h"
#include "shell/password_check.h"
#include "shell/program_error.h"
#include "shell/run_mode.h"
#include "shell/saver_screen.h"

namespace zm::wayland {

namespace {

bool Named(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && value[0] != '\0';
}

}  // namespace

bool ChoosesWayland(const CommandLine& line) {
  const uint8_t mode = ParseRunMode(line.firstArgument);
  if (mode != rmSaver && mode != rmConfigure) return false;
  return line.wayland || (Named("WAYLAND_DISPLAY") && !Named("DISPLAY"));
}

ProgramHost::InstanceLock ProgramHostWayland::CreateInstanceLock() {
  const char* compositor = std::getenv("WAYLAND_DISPLAY");
  std::string key = std::string("wayland-") + (compositor != nullptr ? compositor : "") + "-";
  key += line_.target == DrawTarget::kWindow ? "window"
         : line_.output.empty()              ? "background"
                                             : "output-" + line_.output;
  switch (lock_.Acquire(key)) {
    case LockFile::Result::kCreated:
      return InstanceLock::kCreated;
    case LockFile::Result::kAlreadyRunning:
      return InstanceLock::kAlreadyRunning;
    default:
      return InstanceLock::kUnavailable;
  }
}

void ProgramHostWayland::Fail(const char* message, int status) {
  SayOnStandardError(message);
  if (status_ == 0) status_ = status;
}

void ProgramHostWayland::RunPreview(int64_t) {
  Fail("a preview draws into an X11 window; there is none on Wayland", 1);
}

void ProgramHostWayland::RunConfigure() {
  try {
    WaylandConnection wayland;
    FrameClock clock;
    DisplayControlWayland display;
    NoPasswordServices passwords;
    ConfigureHostWayland host(wayland, clock);
    OwnWork ownWork;  // the dialog's loop talks to the compositor under the time limit
    ConfigureRun(host, display, passwords, UserProgramFiles(true));
  } catch (const ProgramError& failure) {
    Fail(failure.what(), failure.ExitStatus());
  }
}

namespace {

// /s covers every output and ends on input; -root is the background under
// the windows (a wallpaper, a lock screen's); -window a window of its own.
SaverWindowWayland::Kind KindFor(DrawTarget target) {
  switch (target) {
    case DrawTarget::kWindow:
      return SaverWindowWayland::Kind::kToplevel;
    case DrawTarget::kFullScreen:
      return SaverWindowWayland::Kind::kFullScreen;
    default:
      return SaverWindowWayland::Kind::kBackground;
  }
}

}  // namespace

void ProgramHostWayland::RunSaver() {
  try {
    WaylandConnection wayland;
    const auto kind = KindFor(line_.target);
    SaverWindowWayland window(wayland, kind, line_.output);
    DisplayControlWayland display;
    NoPasswordServices passwords;
    SaverScreen screen(window, display, passwords, UserProgramFiles(true));
    screen.SetOverrides(line_.overrides);
    window.Attach(&screen);
    // The locker to hand over to when input ends the run, if it has one.
    LockerPosix locker;
    std::optional<LockerHandoff> handoff = HandoffFor(line_, locker);
    if (handoff) window.HandOverTo(&*handoff);
    {
      OwnWork firstPatterns;
      screen.FormCreate();
    }
    FileWatchPosix settings(screen.WatchesSettingsFile() ? screen.Files().settings : "");
    window.WatchSettingsFile(&settings);
    screen.FormActivate();
    window.RunLoop();
    window.WatchSettingsFile(nullptr);
    {
      OwnWork storing;
      screen.FormDestroy();
    }
    window.Attach(nullptr);
    if (window.ConnectionLost()) Fail("the connection to the Wayland compositor was lost", 1);
  } catch (const ProgramError& failure) {
    Fail(failure.what(), failure.ExitStatus());
  }
}

void ProgramHostWayland::ShowErrorReport(const std::string& message) { Fail(message.c_str(), 1); }

int RunProgramWayland(const CommandLine& line) {
  CatchEndingSignals("the Wayland compositor");
  ProgramHostWayland host(line);
  RunProgram(host, line.firstArgument, line.secondArgument, line.seed.value_or(StartupSeed()));
  if (EndingSignal() != 0) DieOfSignal(EndingSignal());
  return host.ExitStatus();
}

}  // namespace zm::wayland
