#include "shell/command_line.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "materials/material_names.h"
#include "settings/ascii_names.h"
#include "settings/idle_start_section.h"
#include "shell/idle_start_switch.h"
#include "shell/run_mode.h"

namespace zm {

namespace {

constexpr double kMaxSpeed = 2.0;
// Window ids have 32 bits; a larger one would be cut to another window's.
constexpr uint64_t kMaxWindowId = 0xFFFFFFFF;

// "-name" or "--name" without its dashes; "" for anything else.
std::string_view OptionName(std::string_view argument) {
  if (argument.size() < 2 || argument[0] != '-') return {};
  argument.remove_prefix(argument[1] == '-' ? 2 : 1);
  return argument;
}

// A run-mode switch: '/' and anything, or '-' and one of the mode letters
// (perhaps with ":" and a handle, as the system's display settings pass it).
bool IsRunModeSwitch(std::string_view argument) {
  if (argument.size() >= 2 && argument[0] == '/') return true;
  if (argument.size() < 2 || argument[0] != '-') return false;
  const std::string_view letters = "sSpPcCaA";
  return letters.find(argument[1]) != std::string_view::npos &&
         (argument.size() == 2 || argument[2] == ':');
}

std::optional<uint64_t> ParseWindowId(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  if (value == 0 || value > kMaxWindowId) return std::nullopt;
  return value;
}

std::optional<double> ParseSpeed(std::string_view text) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
    return std::nullopt;
  }
  if (value < 0.0 || value > kMaxSpeed) return std::nullopt;
  return value;
}

// A material by its index (0..8) or its caption, ignoring case.
std::optional<int> ParseMaterial(std::string_view text) {
  int index = -1;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, index);
  if (!text.empty() && error == std::errc() && stop == end) {
    if (index >= 0 && index < kMaterialCount) return index;
    return std::nullopt;
  }
  const std::string wanted = UpperCased(text);
  for (int i = 0; i < kMaterialCount; ++i) {
    if (UpperCased(kMaterialNames[i]) == wanted) return i;
  }
  return std::nullopt;
}

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

  CommandLine Run() {
    while (next_ < arguments_.size() && line_.error.empty()) Take(arguments_[next_++]);
    return line_;
  }

 private:
  void Fail(const std::string& message) {
    if (line_.error.empty()) line_.error = message;
  }

  // The value after an option, or nothing (and an error) at the end.
  std::optional<std::string> Value(std::string_view option) {
    if (next_ >= arguments_.size()) {
      Fail("option -" + std::string(option) + " needs a value");
      return std::nullopt;
    }
    return arguments_[next_++];
  }

  void SetMode(std::string_view first, DrawTarget target, std::string_view what) {
    if (modeGiven_) {
      // Built by appending: GCC 12 warns falsely (-Wrestrict) on "'" + string.
      std::string message(1, '\'');
      message.append(what).append("' cannot be combined with '").append(modeText_).append("'");
      Fail(message);
      return;
    }
    modeGiven_ = true;
    modeText_ = std::string(what);
    line_.firstArgument = std::string(first);
    line_.target = target;
  }

  void Take(const std::string& argument) {
    if (argument == "/?" || UpperCased(argument) == "/HELP") {
      line_.help = true;
      return;
    }
    if (IsRunModeSwitch(argument)) return TakeRunModeSwitch(argument);
    const std::string_view name = OptionName(argument);
    if (name.empty()) return TakeHandle(argument);
    if (name == "root") return SetMode("/s", DrawTarget::kRoot, argument);
    if (name == "window") return SetMode("/s", DrawTarget::kWindow, argument);
    if (name == "window-id") return TakeWindowId(argument);
    if (name == "fps") {
      line_.showFps = true;
    } else if (name == "wayland") {
      line_.wayland = true;
    } else if (name == "output") {
      TakeOutput(name);
    } else if (name == "help" || name == "h") {
      line_.help = true;
    } else if (name == "all-colors") {
      line_.overrides.allColors = true;
    } else if (name == "video-mode" || name == "no-video-mode") {
      line_.overrides.videoMode = name == "video-mode";
    } else if (name == "speed") {
      TakeSpeed(name);
    } else if (name == "material") {
      TakeMaterial(name);
    } else if (name == "seed") {
      TakeSeed(name);
    } else if (name == "monitors") {
      TakeMonitors(name);
    } else if (name == "max-fps") {
      TakeMaxFps(name);
    } else if (name == "idle") {
      TakeIdle(argument);
    } else if (name == "idle-minutes") {
      TakeIdleMinutes(name);
    } else if (name == "locker") {
      TakeLocker(name);
    } else {
      Fail("unknown option '" + argument + "'");
    }
  }

  void TakeRunModeSwitch(const std::string& argument) {
    SetMode(argument, DrawTarget::kFullScreen, argument);
    handleExpected_ = true;
  }

  // The window handle that follows /p or /a.
  void TakeHandle(const std::string& argument) {
    if (!handleExpected_) return Fail("unexpected argument '" + argument + "'");
    handleExpected_ = false;
    line_.secondArgument = argument;
  }

  void TakeWindowId(std::string_view option) {
    const std::optional<std::string> text = Value(OptionName(option));
    if (!text) return;
    const std::optional<uint64_t> id = ParseWindowId(*text);
    if (!id) return Fail("'" + *text + "' is not a window id (decimal, or hexadecimal with 0x)");
    SetMode("/p", DrawTarget::kWindowId, option);
    line_.windowId = *id;
    line_.secondArgument = std::to_string(*id);
  }

  void TakeSpeed(std::string_view name) {
    const std::optional<std::string> text = Value(name);
    if (!text) return;
    line_.overrides.speed = ParseSpeed(*text);
    if (!line_.overrides.speed) Fail("speed '" + *text + "' is not a number from 0 to 2");
  }

  void TakeMaterial(std::string_view name) {
    const std::optional<std::string> text = Value(name);
    if (!text) return;
    line_.overrides.material = ParseMaterial(*text);
    if (!line_.overrides.material) {
      Fail("material '" + *text + "' is neither 0..8 nor the name of a material");
    }
  }

  void TakeMonitors(std::string_view name) {
    const std::optional<std::string> text = Value(name);
    if (!text) return;
    line_.overrides.layout = ParseMonitorLayout(*text);
    if (!line_.overrides.layout) Fail("monitors '" + *text + "' is none of primary, each, span");
  }

  void TakeMaxFps(std::string_view name) {
    const std::optional<std::string> text = Value(name);
    if (!text) return;
    int32_t fps = -1;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, fps);
    if (error != std::errc() || stop != end || fps < 0 || fps > 1000) {
      return Fail("max-fps '" + *text + "' is not a number of frames a second from 0 to 1000");
    }
    line_.overrides.maxFps = fps;
  }

  void TakeIdle(const std::string& argument) {
    SetMode("/s", DrawTarget::kFullScreen, argument);
    line_.idle = true;
  }

  void TakeIdleMinutes(std::string_view name) {
    const std::optional<std::string> text = Value(name);
    if (!text) return;
    line_.idleMinutes = ParseIdleMinutes(*text);
    if (!line_.idleMinutes) {
      Fail("idle minutes '" + *text + "' is not a number from " +
           std::to_string(IdleStartSection::kMinMinutes) + " to " +
           std::to_string(IdleStartSection::kMaxMinutes));
    }
  }

  void TakeLocker(std::string_view name) {
    const std::optional<std::string> text = Value(name);
    if (!text) return;
    if (text->find_first_not_of(" \t") == std::string::npos) {
      return Fail("option -locker needs the command line of a locker, such as \"swaylock -f\"");
    }
    line_.locker = *text;
  }

  void TakeOutput(std::string_view name) {
    const std::optional<std::string> text = Value(name);
    if (!text) return;
    if (text->empty()) return Fail("option -output needs the name of an output");
    line_.output = *text;
  }

  void TakeSeed(std::string_view name) {
    const std::optional<std::string> text = Value(name);
    if (!text) return;
    uint32_t seed = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, seed);
    if (text->empty() || error != std::errc() || stop != end) {
      return Fail("seed '" + *text + "' is not a number from 0 to 4294967295");
    }
    line_.seed = seed;
  }

  const std::vector<std::string>& arguments_;
  size_t next_ = 0;
  CommandLine line_;
  bool modeGiven_ = false;
  bool handleExpected_ = false;
  std::string modeText_;
};

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  return Parser(arguments).Run();
}

std::string CommandLineUsage(const std::string& programName) {
  std::string text = "Usage: " + programName + " [MODE] [OPTIONS]\n";
  text +=
      "Modes:\n"
      "  /s              the saver over the whole screen\n"
      "  /p ID           the preview in window ID (decimal)\n"
      "  /c              the setup dialog (also with no mode at all)\n"
      "  /a              change the saver password (nothing to do here)\n"
      "  -root           draw into $XSCREENSAVER_WINDOW, else the root window\n"
      "  -window         the saver in an ordinary window\n"
      "  -window-id ID   draw into window ID (decimal or 0x hexadecimal); no file is written\n"
      "  -idle           stay in the session and start the saver after the idle time\n"
      "Options (one or two dashes):\n"
      "  -fps            show the frame rate in a corner\n"
      "  -speed X        animation speed 0..2 for this run\n"
      "  -material M     one material for this run: 0..8 or its name\n"
      "  -all-colors     a random material for every palette, for this run\n"
      "  -video-mode     switch the screen into the configured video mode\n"
      "  -no-video-mode  keep the screen's mode\n"
      "  -monitors L     primary, each or span: the ornament on the primary monitor,\n"
      "                  one on every monitor, or one across all, for this run\n"
      "  -max-fps N      at most N frames a second for this run (0: the display's rate)\n"
      "  -idle-minutes N with -idle: the idle time in minutes (1..720) for this run\n"
      "  -locker CMD     with -idle or /s: when input ends the saver, run the locker CMD\n"
      "                  (through /bin/sh) and keep the saver until it has locked\n"
      "  -seed N         start the random source with N (the same pictures every time)\n"
      "  -wayland        draw on the Wayland compositor (the default without an X display)\n"
      "  -output NAME    on Wayland, only the output NAME\n"
      "  -help           this text\n"
      "Materials:";
  for (int i = 0; i < kMaterialCount; ++i) {
    text += (i == 0 ? " " : ", ") + std::to_string(i) + " " + std::string(kMaterialNames[i]);
  }
  return text + "\n";
}

}  // namespace zm
