#include <algorithm>
#include <cstdlib>

#include "base/file_system.h"
#include "display/refresh_grid.h"
#include "settings/saver_settings.h"
#include "settings/settings_file.h"
#include "settings/settings_write_error.h"
#include "shell/program_error.h"
#include "shell/run_mode.h"
#include "shell/saver_screen.h"

namespace zm {

namespace {

constexpr int32_t kIgnoredMoves = 5;
// A pointer move counts only beyond this distance on both axes.
constexpr int32_t kMoveTolerance = 2;
constexpr int32_t kCloseDelayMs = 20;
constexpr int32_t kFailedSwitchCloseDelayMs = 50;
constexpr const char* kModeSwitchError = "Error at changing of a graphic mode";
// What computing ahead leaves free before a frame's slot: a platform's
// clock counts whole milliseconds, and the last rows may take a little
// longer than the ones before them.
constexpr double kSlotMarginMs = 2.0;

bool FileExists(const std::string& path) { return Files().KindOf(path) != FileKind::kMissing; }

// The part of `bitmap` that `area` covers (cut to the bitmap).
BitmapView PartOf(const BitmapView& bitmap, const PixelArea& area) {
  if (bitmap.firstRow == nullptr) return bitmap;
  const int32_t left = std::clamp(area.left, 0, bitmap.width);
  const int32_t top = std::clamp(area.top, 0, bitmap.height);
  BitmapView part = bitmap;
  part.firstRow = bitmap.firstRow + top * bitmap.pitch + ptrdiff_t{left} * 4;
  part.width = std::clamp(area.width, 0, bitmap.width - left);
  part.height = std::clamp(area.height, 0, bitmap.height - top);
  return part;
}

}  // namespace

bool SaverScreen::SwitchVideoMode() {
  const DisplayMode& mode = SaverSettings.Mode;
  // The configured refresh rate is not passed: 0 asks for the display's
  // default rate.
  if (display_.SetVideoMode(mode.Width, mode.Height, mode.BitPerPix, 0, 1)) return true;
  ModeSwitchFailed = 1;
  ExitAllowed = 1;
  exitUnderWay_ = true;
  display_.RestoreVideoMode();
  window_.SetCloseTimer(kFailedSwitchCloseDelayMs);
  return false;
}

void SaverScreen::FormActivate() {
  if (!ActivationPending) return;
  ActivationPending = 0;
  MouseMovesToIgnore = kIgnoredMoves;
  ModeSwitchFailed = 0;
  exitUnderWay_ = false;
  stillShown_ = false;
  if (SaverSettings.use_DirectX && !SwitchVideoMode()) return;
  window_.BringToTop();
  window_.SetScreenSaverRunning(true);
  LastMouseX = -1;
  LastMouseY = -1;
  window_.ShowCursor(false);
  for (const EnginePlace& place : places_) place.engine->ConvertPalettes();
  window_.MakeVisible();
  window_.CaptureMouse();
  ExitAllowed = 0;
  Rendering = 1;
}

void SaverScreen::IdleFrameRequest() {
  // The setup dialog draws the frames itself in a configure run.
  if (RunMode != rmSaver) return;
  PaceFrames();
  if (FrameWanted()) window_.PostFrameRequest();
}

double SaverScreen::FrameRate() const {
  const double limit = FrameLimitFor(SaverSettings.Max_FPS, SaverSettings.Battery_FPS, onBattery_);
  return LimitedFrameRate(window_.DisplayRate(), limit);
}

void SaverScreen::PaceFrames() {
  const double rate = FrameRate();
  if (rate == pacedHz_) return;
  pacedHz_ = rate;
  motion_.SetRate(rate);
  window_.PaceFramesAt(rate);
}

bool SaverScreen::UseTimeBeforeFrame(int32_t msUntilSlot) {
  if (RunMode != rmSaver || !DrawsOnBitmap() || !FrameWanted()) return false;
  const double spare = msUntilSlot - kSlotMarginMs;
  for (const EnginePlace& place : places_) {
    if (place.engine->ComputeAhead(spare)) return true;
  }
  return false;
}

bool SaverScreen::FrameWanted() const {
  if (ExitAllowed || !window_.IsVisible() || !Seen()) return false;
  return !(stillShown_ && AllStill());
}

bool SaverScreen::DrawsOnBitmap() const { return !SaverSettings.use_DirectX; }

bool SaverScreen::WindowExposed() {
  if (DrawsOnBitmap()) return true;
  PictureLost();
  return false;
}

void SaverScreen::DrawFrame() {
  // A frame drawn from a still engine is the picture every later one would
  // show.
  const bool still = AllStill();
  if (!SaverSettings.use_DirectX) {
    // The frame goes out before the engines move on: the generators' slices
    // then run while the display shows it, not before.
    const BitmapView frame = window_.FrameBitmap();
    for (const EnginePlace& place : places_) place.engine->RenderFrame(PartOf(frame, place.area));
    window_.PaintFrameBitmap();
    const double intervals = ShownFrameIntervals();
    for (const EnginePlace& place : places_) MoveOn(*place.engine, intervals);
    stillShown_ = still;
  } else if (Rendering) {
    // Two frames per request on the page-flipped path: both buffers of the
    // flip chain then hold the picture. Each flip waits for its own slot.
    for (int flip = 0; flip < 2; ++flip) {
      if (Engine.DrawOnSurface() != Shape::SurfaceFrame::kSkipped) {
        MoveOn(Engine, ShownFrameIntervals());
      }
    }
    stillShown_ = still;
  }
}

// A live run moves by the display time the frame just drawn stands for;
// without a clock (-1), by fixed steps.
double SaverScreen::ShownFrameIntervals() {
  const double shownMs = window_.FrameShownMs();
  return shownMs >= 0.0 ? motion_.Interval(shownMs) : -1.0;
}

void SaverScreen::MoveOn(Shape& engine, double intervals) const {
  if (intervals < 0.0) {
    engine.Advance();
    return;
  }
  engine.SetFrameRate(motion_.Rate());
  engine.AdvanceBy(intervals);
}

void SaverScreen::FormMouseMove(int32_t x, int32_t y) {
  if (MouseMovesToIgnore > 0) {
    --MouseMovesToIgnore;
    return;
  }
  if (LastMouseX == -1 && LastMouseY == -1) {
    LastMouseX = x;
    LastMouseY = y;
    return;
  }
  // Both axes must move: a pointer that only drifts along one stays.
  if (std::abs(x - LastMouseX) <= kMoveTolerance) return;
  if (std::abs(y - LastMouseY) <= kMoveTolerance) return;
  LastMouseX = x;
  LastMouseY = y;
  RequestExit();
}

void SaverScreen::RequestExit() {
  // While the password is asked or the window is about to close, input
  // (the pointer is captured) must not start another request.
  if (exitUnderWay_) return;
  exitUnderWay_ = true;
  ExitAllowed = 1;
  Rendering = 0;
  if (RunMode != rmSaver || PreviewFromSetup) {
    // A preview shown from the setup dialog ends without a password.
    if (SaverSettings.use_DirectX) display_.RestoreVideoMode();
    PreviewFromSetup = 0;
  } else {
    MouseMovesToIgnore = kIgnoredMoves;
    if (!PasswordAllowsExit(passwords_)) {
      // The run goes on; the display stayed in its mode throughout.
      window_.CaptureMouse();
      ExitAllowed = 0;
      Rendering = 1;
      exitUnderWay_ = false;
      return;
    }
    if (SaverSettings.use_DirectX) display_.RestoreVideoMode();
  }
  window_.SetCloseTimer(kCloseDelayMs);
}

void SaverScreen::CloseTimerFired() {
  window_.SetCloseTimer(0);
  // A configure run only hides the window, keeping its size and state.
  if (RunMode != rmConfigure) window_.ShrinkBeforeClosing();
  window_.Close();
}

SaverScreen::CloseAction SaverScreen::Closing() {
  if (!FormCloseQuery()) return CloseAction::kStayOpen;
  FormClose();
  return RunMode == rmConfigure ? CloseAction::kHide : CloseAction::kDestroy;
}

void SaverScreen::EndFromOutside() {
  ExitAllowed = 1;
  Rendering = 0;
  display_.RestoreVideoMode();
  window_.ReleaseMouse();
}

void SaverScreen::FormClose() {
  window_.SetScreenSaverRunning(false);
  window_.ReleaseMouse();
  window_.ShowCursor(true);
  if (ModeSwitchFailed) window_.ShowError(kModeSwitchError);
}

void SaverScreen::FormDestroy() {
  display_.Shutdown();
  if (RunMode == rmSaver) StateChanged = 1;  // a saver run always stores
  if (!files_.Kept()) return;
  if (FileExists(files_.state) && !StateChanged) return;
  // A run in part of the screen (a daemon's small window) keeps the larger
  // pattern of the whole screen that was stored.
  const bool smallerThanStored =
      !window_.CoversScreen() && int64_t{Engine.Width()} * Engine.Height() < storedPixels_;
  if (!smallerThanStored) StoreState(Engine, files_.state);
  for (const auto& [monitor, engine] : monitorEngines_) StoreMonitorEngine(monitor, *engine);
  overridden_.PutBack();
  try {
    SaveChangedSettingsFile(files_.settings, settingsAsRead_);
  } catch (const SettingsWriteError& failure) {
    failedSaves_.push_back(failure.what());
  }
  ReportFailedSaves();
}

void SaverScreen::ReportFailedSaves() const {
  if (failedSaves_.empty()) return;
  std::string message;
  for (const std::string& failure : failedSaves_)
    message += (message.empty() ? "" : "\n") + failure;
  failedSaves_.clear();
  throw ProgramError(message, 1);
}

}  // namespace zm
