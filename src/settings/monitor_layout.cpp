#include "settings/monitor_layout.h"

#include <array>
#include <cstddef>

#include "settings/ascii_names.h"

namespace zm {
namespace {

constexpr std::array<std::string_view, 3> kNames = {"primary", "each", "span"};

}  // namespace

std::optional<MonitorLayout> ParseMonitorLayout(std::string_view text) {
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (EqualsIgnoringAsciiCase(text, kNames[i])) return static_cast<MonitorLayout>(i);
  }
  return std::nullopt;
}

std::string_view MonitorLayoutName(MonitorLayout layout) {
  return kNames[static_cast<std::size_t>(layout)];
}

MonitorLayout EffectiveMonitorLayout(const SaverSettingsRecord& settings) {
  if (settings.use_DirectX) return MonitorLayout::kPrimary;
  return ParseMonitorLayout(settings.Layout).value_or(MonitorLayout::kPrimary);
}

}  // namespace zm
