#include "platform/x11/program_host_x11.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/posix/file_watch_posix.h"
#include "platform/posix/locker_posix.h"
#include "platform/posix/program_files_posix.h"
#include "platform/posix/standard_error_posix.h"
#include "platform/x11/configure_host_x11.h"
#include "platform/x11/display_control_x11.h"
#include "platform/x11/preview_host_x11.h"
#include "platform/x11/run_signals.h"
#include "platform/x11/saver_window_x11.h"
#include "shell/configure_run.h"
#include "shell/saver_screen.h"

namespace zm::x11 {

namespace {

const char* DisplayName() {
  const char* name = std::getenv("DISPLAY");
  return name != nullptr ? name : "";
}

}  // namespace

XConnection& ProgramHostX11::Connection() {
  if (!connection_) connection_ = std::make_unique<XConnection>();
  return *connection_;
}

// -root draws into the daemon's window when it names one, else the root.
unsigned long ProgramHostX11::ForeignWindow() {
  if (line_.target == DrawTarget::kWindowId) return line_.windowId;
  if (line_.target != DrawTarget::kRoot) return 0;
  const char* named = std::getenv("XSCREENSAVER_WINDOW");
  if (named != nullptr && named[0] != '\0') {
    char* end = nullptr;
    const unsigned long id = std::strtoul(named, &end, 0);
    // Window ids have 32 bits: a larger one would be cut to another window's.
    if (end != named && *end == '\0' && id != 0 && id <= 0xFFFFFFFF) return id;
    throw ProgramError(std::string("XSCREENSAVER_WINDOW='") + named + "' is not a window id", 2);
  }
  return Connection().root();
}

ProgramHost::InstanceLock ProgramHostX11::CreateInstanceLock() {
  std::string key = std::string(DisplayName()) + "-";
  if (line_.target == DrawTarget::kRoot || line_.target == DrawTarget::kWindowId) {
    const char* named = std::getenv("XSCREENSAVER_WINDOW");
    key += line_.target == DrawTarget::kWindowId ? "window-" + std::to_string(line_.windowId)
           : named != nullptr                    ? std::string("root-") + named
                                                 : "root";
  } else {
    key += "screen";
  }
  switch (lock_.Acquire(key)) {
    case LockFile::Result::kCreated:
      return InstanceLock::kCreated;
    case LockFile::Result::kAlreadyRunning:
      SayOnStandardError("already running (" + lock_.Path() + " is held)");
      return InstanceLock::kAlreadyRunning;
    default:
      SayOnStandardError("running without the lock " + lock_.Path() + ": " + lock_.Problem());
      return InstanceLock::kUnavailable;
  }
}

void ProgramHostX11::Fail(const ProgramError& failure) {
  SayOnStandardError(failure.what());
  if (status_ == 0) status_ = failure.ExitStatus();
}

void ProgramHostX11::RunPreview(int64_t parentWindow) {
  try {
    XConnection& x = Connection();
    FpsOverlay fps(line_.showFps);
    PreviewHostX11 host(x, static_cast<Window>(parentWindow), fps);
    // A host of -window-id may hide its window for a while (a panel, a
    // tab); the system's preview (/p) ends when its window is hidden.
    const PreviewLasts lasts = line_.target == DrawTarget::kWindowId ? PreviewLasts::kUntilDestroyed
                                                                     : PreviewLasts::kWhileVisible;
    const PreviewEnd end = RunPreviewLoop(host, line_.overrides, lasts);
    if (end == PreviewEnd::kNeverVisible) {
      throw ProgramError("the window to draw into never became visible", 1);
    }
    if (end == PreviewEnd::kGoneUnseen && EndingSignal() == 0) {
      throw ProgramError("the window to draw into was destroyed before it became visible", 1);
    }
  } catch (const ProgramError& failure) {
    Fail(failure);
  }
}

void ProgramHostX11::RunSaver() {
  try {
    XConnection& x = Connection();
    const bool fullScreen = line_.target == DrawTarget::kFullScreen;
    FrameClock clock;
    FpsOverlay fps(line_.showFps);
    DisplayControlX11 display(x, fullScreen, clock, fps);
    SaverWindowX11 window(x, line_.target, ForeignWindow(), display, clock, fps);
    NoPasswordServices passwords;
    SaverScreen screen(window, display, passwords, UserProgramFiles(true));
    // Video modes are never switched in someone else's window nor for an
    // ordinary one; the file keeps the user's choice for the full screen.
    SettingsOverrides overrides = line_.overrides;
    if (!fullScreen) overrides.videoMode = false;
    screen.SetOverrides(overrides);
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
    window.MakeVisible();
    screen.FormActivate();
    window.RunLoop();
    window.WatchSettingsFile(nullptr);
    {
      OwnWork storing;
      screen.FormDestroy();
    }
    window.Attach(nullptr);
  } catch (const ProgramError& failure) {
    Fail(failure);
  }
}

// The setup dialog, with the saver window that its Preview button shows
// over the whole screen.
void ProgramHostX11::RunConfigure() {
  try {
    XConnection& x = Connection();
    FrameClock clock;
    FpsOverlay fps(line_.showFps);
    DisplayControlX11 display(x, true, clock, fps);
    NoPasswordServices passwords;
    ConfigureHostX11 host(x, display, clock, fps);
    OwnWork ownWork;  // the dialog's loop talks to the server under the time limit
    ConfigureRun(host, display, passwords, UserProgramFiles(true));
  } catch (const ProgramError& failure) {
    Fail(failure);
  }
}

void ProgramHostX11::ShowErrorReport(const std::string& message) {
  SayOnStandardError(message);
  if (status_ == 0) status_ = 1;
}

}  // namespace zm::x11
