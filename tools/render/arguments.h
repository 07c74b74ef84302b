#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zm::tool {

// A command line that cannot be used: the message says why; exit status 2.
struct UsageError {
  std::string message;
};

struct HelpRequest {};

struct PaletteOptions {
  int material = 0;  // 0..8, or kGreyRamp
  std::string out;
};
constexpr int kGreyRamp = -1;

struct FramesOptions {
  int width = 640;
  int height = 480;
  bool sizeGiven = false;
  std::optional<unsigned long> seed;
  long frames = 1;
  std::optional<double> speed;
  std::optional<int> material;  // 0..8; absent = the settings' choice, or all
  bool allMaterials = false;    // --material all
  std::string out;
  std::string stateOut;
  std::string stateIn;
  std::string animate;
  std::string settings;
  bool bench = false;
};

struct SettingsOptions {
  std::string file;
};

using Command =
    std::variant<UsageError, HelpRequest, PaletteOptions, FramesOptions, SettingsOptions>;

// Reads the whole command line (without the program name).
Command ParseCommandLine(const std::vector<std::string>& args);

const char* UsageText();

}  // namespace zm::tool
