#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "settings/monitor_layout.h"

namespace zm {

// Settings given on the command line for one run. They take the place of the
// settings file's values while the run lasts; the file keeps its own.
struct SettingsOverrides {
  std::optional<double> speed;    // SHAPE_SPEED
  std::optional<int> material;    // one fixed material, 0..8
  bool allColors = false;         // a random material for every palette
  std::optional<bool> videoMode;  // use_DirectX
  std::optional<MonitorLayout> layout;  // Layout
  std::optional<int32_t> maxFps;        // Max_FPS (0: the display's rate)
};

// Lays overrides over the settings read from the file and puts the file's
// values back before the settings are stored, so that a run with options
// leaves the file as the user wrote it.
class OverriddenSettings {
 public:
  // Call after the settings file has been read.
  void Apply(const SettingsOverrides& overrides);
  // Call before the settings are stored; the overridden fields get the
  // values they had when Apply was called.
  void PutBack() const;

 private:
  SettingsOverrides applied_;
  double fileSpeed_ = 0.0;
  bool fileVideoMode_ = false;
  std::string fileLayout_;
  int32_t fileMaxFps_ = 0;
  signed char filePattern_ = 0;
  bool fileShowAll_ = false;
};

// The overrides that apply to the preview, which reads no file: its speed
// and material choice.
void ApplyPreviewOverrides(const SettingsOverrides& overrides);

}  // namespace zm
