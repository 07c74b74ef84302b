#include "arguments.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace zm::tool {

namespace {

constexpr long kMaxFrames = 10'000'000;
constexpr int kMaxSide = 16384;
constexpr int kMaxAnimationSide = 16383;  // the largest WebP picture

template <typename T>
bool ParseNumber(const std::string& text, T& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && !text.empty();
}

bool ParseMaterial(const std::string& text, int& material) {
  return ParseNumber(text, material) && material >= 0 && material <= 8;
}

bool ParseSize(const std::string& text, int& width, int& height) {
  const auto x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  return ParseNumber(text.substr(0, x), width) && ParseNumber(text.substr(x + 1), height) &&
         width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
}

Command ParsePalette(const std::vector<std::string>& args) {
  if (args.size() != 3) return UsageError{"palette takes MATERIAL and OUT.png"};
  PaletteOptions options;
  if (args[1] == "grey") {
    options.material = kGreyRamp;
  } else if (!ParseMaterial(args[1], options.material)) {
    return UsageError{"bad material '" + args[1] + "': use 0..8 or grey"};
  }
  options.out = args[2];
  return options;
}

// One value-taking option of `frames`: checks and stores its value; answers
// an error message, empty when the value is good.
using ValueOption = std::function<std::string(FramesOptions&, const std::string&)>;

const std::map<std::string, ValueOption>& FramesValueOptions() {
  static const std::map<std::string, ValueOption> options = {
      {"--size",
       [](FramesOptions& o, const std::string& v) -> std::string {
         o.sizeGiven = true;
         return ParseSize(v, o.width, o.height) ? "" : "bad size '" + v + "': use WxH, 1..16384";
       }},
      {"--seed",
       [](FramesOptions& o, const std::string& v) -> std::string {
         unsigned long seed = 0;
         if (!ParseNumber(v, seed) || seed > 0xFFFFFFFFul)
           return "bad seed '" + v + "': use 0..4294967295";
         o.seed = seed;
         return "";
       }},
      {"--frames",
       [](FramesOptions& o, const std::string& v) -> std::string {
         return ParseNumber(v, o.frames) && o.frames >= 1 && o.frames <= kMaxFrames
                    ? ""
                    : "bad frame count '" + v + "': use 1..10000000";
       }},
      {"--speed",
       [](FramesOptions& o, const std::string& v) -> std::string {
         double speed = 0;
         if (!ParseNumber(v, speed) || !(speed >= 0.0 && speed <= 2.0))
           return "bad speed '" + v + "': use 0.0..2.0";
         o.speed = speed;
         return "";
       }},
      {"--material",
       [](FramesOptions& o, const std::string& v) -> std::string {
         int material = 0;
         if (v == "all") {
           o.allMaterials = true;
           o.material.reset();
           return "";
         }
         if (!ParseMaterial(v, material)) return "bad material '" + v + "': use 0..8 or all";
         o.material = material;
         o.allMaterials = false;
         return "";
       }},
      {"--out",
       [](FramesOptions& o, const std::string& v) {
         o.out = v;
         return std::string();
       }},
      {"--state",
       [](FramesOptions& o, const std::string& v) {
         o.stateOut = v;
         return std::string();
       }},
      {"--load-state",
       [](FramesOptions& o, const std::string& v) {
         o.stateIn = v;
         return std::string();
       }},
      {"--animate",
       [](FramesOptions& o, const std::string& v) -> std::string {
         o.animate = v;
         return v.size() > 5 && v.substr(v.size() - 5) == ".webp"
                    ? ""
                    : "animation file '" + v + "' must end in .webp";
       }},
      {"--settings",
       [](FramesOptions& o, const std::string& v) {
         o.settings = v;
         return std::string();
       }},
  };
  return options;
}

// The file that two of the outputs name (however spelt), or "".
std::string SharedOutput(const FramesOptions& options) {
  std::vector<std::pair<std::string, std::filesystem::path>> outputs;
  for (const std::string* path : {&options.out, &options.stateOut, &options.animate}) {
    if (path->empty()) continue;
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(*path, error);
    outputs.emplace_back(*path, error ? std::filesystem::path(*path) : resolved);
  }
  for (size_t i = 0; i < outputs.size(); ++i) {
    for (size_t j = i + 1; j < outputs.size(); ++j) {
      if (outputs[i].second == outputs[j].second) return outputs[j].first;
    }
  }
  return "";
}

Command ParseFrames(const std::vector<std::string>& args) {
  FramesOptions options;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name == "--bench") {
      options.bench = true;
      continue;
    }
    const auto option = FramesValueOptions().find(name);
    if (option == FramesValueOptions().end()) return UsageError{"unknown option '" + name + "'"};
    if (i + 1 >= args.size()) return UsageError{name + " needs a value"};
    const std::string error = option->second(options, args[++i]);
    if (!error.empty()) return UsageError{error};
  }
  if (!options.animate.empty() &&
      (options.width > kMaxAnimationSide || options.height > kMaxAnimationSide))
    return UsageError{"an animation takes at most 16383 x 16383"};
  if (options.out.empty() && options.animate.empty() && options.stateOut.empty() && !options.bench)
    return UsageError{"frames writes nothing: give --out, --animate, --state or --bench"};
  if (const std::string shared = SharedOutput(options); !shared.empty())
    return UsageError{"two outputs would write the same file '" + shared + "'"};
  return options;
}

}  // namespace

Command ParseCommandLine(const std::vector<std::string>& args) {
  if (args.empty()) return UsageError{"no command given"};
  const std::string& command = args[0];
  for (const auto& a : args)
    if (a == "--help" || a == "-h") return HelpRequest{};
  if (command == "palette") return ParsePalette(args);
  if (command == "frames") return ParseFrames(args);
  if (command == "settings") {
    if (args.size() != 2) return UsageError{"settings takes one FILE.ini"};
    return SettingsOptions{args[1]};
  }
  return UsageError{"unknown command '" + command + "'"};
}

const char* UsageText() {
  return R"(usage: zelk-mirv-render COMMAND [ARGUMENTS]

Renders the ornament without a window.

commands:
  palette MATERIAL OUT.png   writes the 2016-colour palette of MATERIAL (0..8, or
                             grey for the ramp before the colour curves) as a
                             PNG strip 2016 x 16, entry e in column e
  frames [OPTIONS]           runs the animation and writes what is asked for
  settings FILE.ini          prints what the saver takes from a settings file

frames options:
  --size WxH          frame size (default 640x480)
  --seed S            random seed 0..4294967295 (default: the time of day);
                      one seed gives the same pictures on every build
  --frames N          frames drawn before the output is written (default 1)
  --speed X           animation speed 0.0..2.0 (default 1.0)
  --material M|all    material 0..8, or a random one per palette (default all)
  --settings FILE     take speed and material choice from a settings file;
                      --speed and --material given as well take precedence
  --out FILE.png      the last frame
  --animate FILE.webp an animated WebP of every frame
  --state FILE        write the pattern state file after the last frame
  --load-state FILE   start from a pattern state file
  --bench             report frames per second and nanoseconds per pixel

exit status: 0 done; 2 bad arguments, unusable input, or an output that
cannot be written (with a message on standard error)
)";
}

}  // namespace zm::tool
