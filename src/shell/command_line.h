#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shell/settings_overrides.h"

namespace zm {

// Where a run draws.
enum class DrawTarget {
  kFullScreen,  // a window of its own over the whole screen (the usual /s)
  kWindow,      // an ordinary window of its own
  kRoot,        // the screen-saver daemon's window, or else the root window
  kWindowId,    // a window someone else made, given by its id
};

// A command line read by the rules of the run modes (/s, /p ID, /c, /a, also
// with '-') and the conventions of desktop screen-saver daemons (-root,
// -window, -window-id ID, -fps, -speed X, ...; one or two dashes).
struct CommandLine {
  // The two arguments the main entry chooses the run mode from.
  std::string firstArgument;
  std::string secondArgument;
  DrawTarget target = DrawTarget::kFullScreen;
  uint64_t windowId = 0;
  bool showFps = false;
  bool help = false;
  // -wayland: draw on the Wayland compositor even where an X display is set.
  bool wayland = false;
  // -output NAME: only that output (Wayland); empty for every output.
  std::string output;
  std::optional<uint32_t> seed;
  // -idle: stay in the session and start the saver after the idle time;
  // -idle-minutes N: that idle time for this run.
  bool idle = false;
  std::optional<int32_t> idleMinutes;
  // -locker COMMAND: with -idle, the locker for this run (in place of the
  // settings file's); with /s, the locker this saver hands over to when
  // input ends it.
  std::optional<std::string> locker;
  SettingsOverrides overrides;
  // Empty when the command line is usable; otherwise what is wrong with it.
  std::string error;
};

// Reads the arguments after the program name. A window id may be decimal or
// hexadecimal with 0x; -window-id runs the preview with that window, -root
// and -window run the saver. Without any run-mode switch the first argument
// stays empty (which means configure).
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The text of --help.
std::string CommandLineUsage(const std::string& programName);

}  // namespace zm
