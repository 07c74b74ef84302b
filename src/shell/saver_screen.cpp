#include "shell/saver_screen.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "settings/atomic_file.h"
#include "settings/monitor_layout.h"
#include "settings/saver_settings.h"
#include "settings/settings_file.h"
#include "shell/mode_fallback.h"
#include "shell/monitor_frame.h"
#include "shell/run_mode.h"

namespace zm {

namespace {

constexpr int32_t kWarmupSteps = 100;

// The warm-up's steps done, handed from the thread that computes them to the
// one that shows them.
class WarmupProgress {
 public:
  void StepDone() {
    std::lock_guard lock(mutex_);
    ++steps_;
    changed_.notify_one();
  }
  void Fail(std::exception_ptr failure) {
    std::lock_guard lock(mutex_);
    failure_ = std::move(failure);
  }
  void Finish() {
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_one();
  }
  // Waits until more than `shown` steps are done or the steps have ended;
  // returns the steps done.
  int32_t WaitForSteps(int32_t shown, bool& finished) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return steps_ > shown || finished_; });
    finished = finished_;
    return steps_;
  }
  void RethrowFailure() const {
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int32_t steps_ = 0;
  bool finished_ = false;
  std::exception_ptr failure_;
};

}  // namespace

Shape::Settings EngineSettingsOf(const SaverSettingsRecord& settings) {
  return {settings.SHAPE_SPEED, settings.Mode.BitPerPix, settings.Mode.Height};
}

SaverScreen::SaverScreen(SaverWindow& window, DisplayControl& display, PasswordServices& passwords,
                         ProgramFiles files)
    : window_(window), display_(display), passwords_(passwords), files_(std::move(files)) {}

void SaverScreen::FormCreate() {
  ActivationPending = 1;
  ExitAllowed = 0;
  StateChanged = 0;
  Rendering = 0;
  LoadSettingsFile(files_.settings);  // "" reads as a missing file: defaults
  settingsAsRead_ = CurrentSettingsKeys();
  overridden_.Apply(overrides_);
  Engine.SetPacedByDisplay(window_.FramesPacedByDisplay());
  PrepareFrameBitmap();
  Engine.Configure(EngineSettingsOf(SaverSettings));
  ArrangeEngines();
  RemoveLeftovers();
  LoadOrGeneratePattern();
}

bool SaverScreen::WatchesSettingsFile() const { return RunMode == rmSaver && files_.Kept(); }

void SaverScreen::SettingsFileChanged() {
  overridden_.PutBack();
  const SaverSettingsRecord running = SaverSettings;
  LoadSettingsFile(files_.settings);  // the material choice comes with it
  const SaverSettingsRecord stored = SaverSettings;
  SaverSettings = running;
  SaverSettings.SHAPE_SPEED = stored.SHAPE_SPEED;
  SaverSettings.Layout = stored.Layout;
  // What was taken counts as read; the rest keeps its value as first read,
  // so that the run's own changes are still stored and nobody else's undone.
  const std::vector<SettingsKey> now = CurrentSettingsKeys();
  for (size_t i = 0; i < now.size(); ++i) {
    const std::string_view key = now[i].key;
    const bool taken =
        key == "SHAPE_SPEED" || key == "Layout" || key == "Pattern" || key == "Show_All";
    if (taken && i < settingsAsRead_.size()) settingsAsRead_[i] = now[i];
  }
  overridden_.Apply(overrides_);
  const Shape::Settings engine = EngineSettingsOf(SaverSettings);
  Engine.Configure(engine);
  for (const auto& [monitor, monitorEngine] : monitorEngines_) monitorEngine->Configure(engine);
  stillShown_ = false;
  WindowSizeChanged();
}

// The temporaries of writes that a kill interrupted in an earlier run.
void SaverScreen::RemoveLeftovers() const {
  if (!files_.Kept()) return;
  const int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
  for (const EnginePlace& place : places_) RemoveStaleTemporaries(place.state, now);
  RemoveStaleTemporaries(files_.settings, now);
}

// The switched video mode's size; else the window's, or on a window that
// covers the screen the part the monitor layout gives the frame.
PixelArea SaverScreen::WantedFrameArea() const {
  const SaverSettingsRecord& s = SaverSettings;
  if (s.use_DirectX) return {0, 0, s.Mode.Width, s.Mode.Height};
  const int32_t width = window_.ScreenWidth();
  const int32_t height = window_.ScreenHeight();
  if (!window_.CoversScreen()) return {0, 0, width, height};
  return FrameAreaFor(Layout(), window_.Monitors(), width, height);
}

void SaverScreen::SizeFrameBitmapToOutput() {
  const PixelArea area = WantedFrameArea();
  frameLeft_ = area.left;
  frameTop_ = area.top;
  frameWidth_ = area.width;
  frameHeight_ = area.height;
  window_.PlaceFrameBitmap(frameLeft_, frameTop_);
  window_.SizeFrameBitmap(frameWidth_, frameHeight_);
}

void SaverScreen::PrepareFrameBitmap() {
  SaverSettingsRecord& s = SaverSettings;
  s.DirectXPresent = display_.Startup();
  if (s.DirectXPresent) {
    Engine.SetDisplay(&display_);
  } else {
    s.use_DirectX = false;  // stored so at the end of a saver run
  }
  if (s.use_DirectX) CheckVideoMode();
  SizeFrameBitmapToOutput();
}

// A configured mode that the display does not offer is replaced and marked
// for storing. A display that offers no usable mode at all leaves the run on
// the screen-size bitmap path, as if there were no page-flipped display.
void SaverScreen::CheckVideoMode() {
  SaverSettingsRecord& s = SaverSettings;
  const std::vector<DisplayMode> modes = display_.ListModes();
  if (ModeListContains(modes, s.Mode)) return;
  StateChanged = 1;
  if (const std::optional<DisplayMode> fallback = FallbackMode(modes)) {
    s.Mode = *fallback;
  } else {
    s.use_DirectX = false;
  }
}

void SaverScreen::LoadOrGeneratePattern() {
  storedPixels_ = 0;
  std::vector<EnginePlace> fresh;
  for (const EnginePlace& place : places_) {
    if (!place.engine->LoadState(place.state)) fresh.push_back(place);
  }
  if (fresh.empty() || fresh.front().engine != &Engine) {
    storedPixels_ = int64_t{Engine.Width()} * Engine.Height();
  }
  if (!fresh.empty()) WarmUpUnderProgress(fresh);
  if (FitEngines()) StateChanged = 1;
  window_.SetPresentation(SaverSettings.use_DirectX ? WindowPresentation::kNormal
                                                    : WindowPresentation::kMaximisedOnTop);
}

namespace {

// The first patterns of one engine at the size of its place, `stepDone`
// called after each step.
template <typename StepDone>
void WarmUpEngine(const SaverScreen::EnginePlace& place, StepDone stepDone) {
  Shape& engine = *place.engine;
  engine.Resize(place.area.width, place.area.height);
  engine.BeginWarmup(kWarmupSteps);
  for (int32_t i = 0; i < kWarmupSteps; ++i) {
    engine.WarmupStep();
    stepDone();
  }
}

}  // namespace

// A first start: the first patterns are computed under the progress window,
// whose bar shows the steps done of all engines together (0..99; it never
// reaches 100). The steps run on a thread of their own from the start, so
// that they do not wait for the window to come up and be painted; this
// thread only moves the bar, in order, whenever its position changes.
// Nothing else touches the engines meanwhile.
void SaverScreen::WarmUpUnderProgress(const std::vector<EnginePlace>& fresh) {
  WarmupProgress progress;
  std::jthread steps([&fresh, &progress] {
    try {
      for (const EnginePlace& place : fresh) WarmUpEngine(place, [&] { progress.StepDone(); });
    } catch (...) {
      progress.Fail(std::current_exception());
    }
    progress.Finish();
  });
  WaitDialog& wait = window_.Wait();
  wait.Show();
  const int32_t total = kWarmupSteps * static_cast<int32_t>(fresh.size());
  int32_t shown = 0;
  int32_t position = -1;
  for (bool finished = false; !finished;) {
    const int32_t done = progress.WaitForSteps(shown, finished);
    for (; shown < done; ++shown) {
      if (shown * kWarmupSteps / total == position) continue;
      position = shown * kWarmupSteps / total;
      wait.SetProgress(position);
    }
  }
  steps.join();
  progress.RethrowFailure();
  window_.ProcessMessages();
  for (const EnginePlace& place : fresh) place.engine->NextStep(false);
  wait.Hide();
}

// A monitor that comes during a run brings its stored pattern, or warms up
// its first one at once, without the progress window.
void SaverScreen::ApplyFrameSize() {
  stillShown_ = false;
  SizeFrameBitmapToOutput();
  for (const EnginePlace& place : ArrangeEngines()) {
    if (place.engine->LoadState(place.state)) continue;
    WarmUpEngine(place, [] {});
    place.engine->NextStep(false);
  }
  FitEngines();
}

void SaverScreen::WindowSizeChanged() {
  const bool sameFrame =
      WantedFrameArea() == PixelArea{frameLeft_, frameTop_, frameWidth_, frameHeight_};
  if (sameFrame && !MonitorsMoved()) return;
  ApplyFrameSize();
}

}  // namespace zm
