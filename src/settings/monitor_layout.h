#pragma once

#include <optional>
#include <string_view>

#include "settings/saver_settings.h"

namespace zm {

// How a full-screen run shares the ornament among the monitors.
enum class MonitorLayout {
  kPrimary,  // the ornament on the primary monitor, the others black
  kEach,     // every monitor its own ornament at its own size
  kSpan,     // one ornament over the bounding box of all monitors
};

// "primary", "each" or "span" (ASCII case ignored); nullopt for anything else.
std::optional<MonitorLayout> ParseMonitorLayout(std::string_view text);

// The lower-case name ParseMonitorLayout reads.
std::string_view MonitorLayoutName(MonitorLayout layout);

// The layout a run uses: the stored one, or "primary" when the stored text
// names none or the video mode is switched (which changes the primary
// monitor only).
MonitorLayout EffectiveMonitorLayout(const SaverSettingsRecord& settings);

}  // namespace zm
