// The saver screen's engines under the "each" layout: every monitor other
// than the primary gets an engine of its own, drawn into the monitor's part
// of the frame bitmap and kept in a state file of its own.

#include <algorithm>
#include <utility>

#include "settings/saver_settings.h"
#include "settings/settings_paths.h"
#include "shell/run_mode.h"
#include "shell/saver_screen.h"

namespace zm {

// Previews and the setup dialog show one ornament whatever the layout.
MonitorLayout SaverScreen::Layout() const {
  const MonitorLayout layout = EffectiveMonitorLayout(SaverSettings);
  if (layout == MonitorLayout::kEach && RunMode != rmSaver) return MonitorLayout::kPrimary;
  return layout;
}

std::vector<MonitorPart> SaverScreen::WantedMonitorParts() const {
  if (Layout() != MonitorLayout::kEach || !window_.CoversScreen()) return {};
  return MonitorPartsOf(window_.Monitors(), {frameLeft_, frameTop_, frameWidth_, frameHeight_});
}

std::unique_ptr<Shape> SaverScreen::NewMonitorEngine() const {
  auto engine = std::make_unique<Shape>();
  engine->SetPacedByDisplay(Engine.PacedByDisplay());
  engine->Configure(Engine.Configuration());
  return engine;
}

// Places Engine and, under "each", the other monitors' engines in the frame
// bitmap as it is now sized. Engines of monitors that are gone store their
// patterns and go; the new ones are answered, neither loaded nor sized yet.
std::vector<SaverScreen::EnginePlace> SaverScreen::ArrangeEngines() {
  const std::vector<MonitorPart> parts = WantedMonitorParts();
  places_.assign(1, {&Engine, {0, 0, frameWidth_, frameHeight_}, files_.state, ""});
  if (!parts.empty()) places_.front().area = parts.front().area;
  std::vector<EnginePlace> added;
  std::map<std::string, std::unique_ptr<Shape>> kept;
  for (size_t i = 1; i < parts.size(); ++i) {
    const MonitorPart& part = parts[i];
    if (kept.contains(part.name)) continue;  // a name reported twice
    std::unique_ptr<Shape> engine;
    const auto found = monitorEngines_.find(part.name);
    const bool isNew = found == monitorEngines_.end();
    if (isNew) {
      engine = NewMonitorEngine();
    } else {
      engine = std::move(found->second);
      monitorEngines_.erase(found);
    }
    const std::string state = files_.Kept() ? MonitorStateFilePath(files_.state, part.name) : "";
    const EnginePlace place{engine.get(), part.area, state, part.name};
    if (isNew) added.push_back(place);
    places_.push_back(place);
    kept.emplace(part.name, std::move(engine));
  }
  for (const auto& [name, engine] : monitorEngines_) StoreMonitorEngine(name, *engine);
  monitorEngines_ = std::move(kept);
  return added;
}

void SaverScreen::StoreMonitorEngine(const std::string& monitor, const Shape& engine) const {
  if (files_.Kept()) StoreState(engine, MonitorStateFilePath(files_.state, monitor));
}

void SaverScreen::StoreState(const Shape& engine, const std::string& path) const {
  if (!engine.HasMaps()) return;  // nothing worth replacing a stored pattern with
  std::string reason;
  if (!engine.SaveState(path, &reason))
    failedSaves_.push_back("Unable to write to " + path + ": " + reason);
}

// Whether the monitors' parts of the frame differ from the engines' places.
bool SaverScreen::MonitorsMoved() const {
  const std::vector<MonitorPart> parts = WantedMonitorParts();
  if (parts.size() < 2 && places_.size() < 2) return false;
  if (parts.size() != places_.size()) return true;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].area != places_[i].area) return true;
    if (i > 0 && parts[i].name != places_[i].monitor) return true;
  }
  return false;
}

// Sizes every engine to its place; answers whether one changed its size.
bool SaverScreen::FitEngines() {
  bool resized = false;
  for (const EnginePlace& place : places_) {
    Shape& engine = *place.engine;
    if (engine.Width() == place.area.width && engine.Height() == place.area.height) continue;
    engine.Resize(place.area.width, place.area.height);
    engine.NextStep(true);
    resized = true;
  }
  return resized;
}

bool SaverScreen::AllStill() const {
  return std::all_of(places_.begin(), places_.end(),
                     [](const EnginePlace& place) { return place.engine->IsStill(); });
}

}  // namespace zm
