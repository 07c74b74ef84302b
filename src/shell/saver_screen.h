#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "display/display_control.h"
#include "display/frame_motion.h"
#include "display/monitor_area.h"
#include "render/shape.h"
#include "settings/monitor_layout.h"
#include "settings/saver_settings.h"
#include "settings/settings_file.h"
#include "shell/monitor_frame.h"
#include "shell/password_check.h"
#include "shell/program_files.h"
#include "shell/saver_window.h"
#include "shell/settings_overrides.h"

namespace zm {

// What the engine takes from the settings (see Shape::Settings).
Shape::Settings EngineSettingsOf(const SaverSettingsRecord& settings);

// The rules of the window the saver runs in: what its creation, activation,
// input, frame, closing and destruction handlers do. The platform forwards
// its window's events to the handlers of the same names and carries out the
// calls on SaverWindow; the saver screen owns the engine.
class SaverScreen {
 public:
  // What closing the window does, as the platform carries it out.
  enum class CloseAction {
    kStayOpen,  // an exit is not allowed (yet): the window stays
    kHide,      // a configure run keeps its saver window for the next preview
    kDestroy,   // every other run ends with its window
  };

  SaverScreen(SaverWindow& window, DisplayControl& display, PasswordServices& passwords,
              ProgramFiles files);
  SaverScreen(const SaverScreen&) = delete;
  SaverScreen& operator=(const SaverScreen&) = delete;

  // Event handlers.
  void FormCreate();
  void FormActivate();
  void FormMouseMove(int32_t x, int32_t y);
  void FormMouseDown() { RequestExit(); }
  // A pointer button numbered as X numbers them, from 1: buttons 4 to 7 are
  // the wheel's turns and tilts, which are no input.
  void FormButtonDown(uint32_t button) {
    if (button < 4 || button > 7) FormMouseDown();
  }
  void FormKeyDown() { RequestExit(); }
  void CloseTimerFired();
  bool FormCloseQuery() const { return ExitAllowed != 0; }
  void FormClose();
  // The window is asked to close (by the close timer or the system): asks
  // FormCloseQuery, runs FormClose when it may close, and says what becomes
  // of the window.
  CloseAction Closing();
  // The run is ended from outside (a signal, a daemon's window gone): no more
  // frames, the exit is allowed, the desktop's video mode comes back and the
  // pointer and keyboard are let go, before the window closes and the state
  // is stored.
  void EndFromOutside();
  // Stores the pattern state and the settings, as far as they are to be
  // stored; every file is written whole or not at all. Throws ProgramError
  // (exit status 1) naming each file that could not be written and why, once
  // all of them have been tried.
  void FormDestroy();
  // The frame request message.
  void DrawFrame();
  // The application's idle event in a saver run: posts a frame request when
  // FrameWanted.
  void IdleFrameRequest();
  // A requested frame waits `msUntilSlot` milliseconds for its slot: the
  // engines use that time to compute rows of their next maps ahead (see
  // Shape::ComputeAhead), leaving a margin for the frame to start on time.
  // The platform calls it again after taking up its events while it returns
  // true, and sleeps out the wait once it returns false.
  bool UseTimeBeforeFrame(int32_t msUntilSlot);
  // Whether a frame is worth drawing now. Not while an exit is under way,
  // the window is hidden or nobody can see it (the animation then waits
  // where it stands), nor once a still picture (see Shape::IsStill) has
  // been drawn: then no frames, no generator slices and no waits at all
  // until something changes. Every platform asks this before it requests a
  // frame.
  bool FrameWanted() const;
  // The window lost what it showed (an expose the platform cannot repaint
  // from its frame bitmap): a still picture is drawn once more.
  void PictureLost() { stillShown_ = false; }
  // The window shows part of itself anew (an expose, a paint message): true
  // when the platform puts its frame bitmap there again; on the page-flipped
  // path the surface's picture is lost instead (PictureLost).
  bool WindowExposed();
  // Whether frames go to the window's frame bitmap rather than to a
  // page-flipped surface.
  bool DrawsOnBitmap() const;

  void RequestExit();

  // Whether anyone can see the picture: not while its display is turned off
  // or the session is locked (the platform reports both as it learns of
  // them), nor while the shown window is fully covered (SaverWindow::Covered).
  // No frame is then requested or drawn, in a saver run and in the setup
  // dialog alike, and the animation goes on from where it paused.
  void DisplayPowerChanged(bool on) { displayOn_ = on; }
  // The machine runs on battery, or on mains power again (the platform
  // reports it as it learns of it; mains power until then): on battery the
  // frames keep to the battery's limit (Battery_FPS) where the user's is
  // not lower.
  void PowerSourceChanged(bool onBattery) { onBattery_ = onBattery; }
  bool OnBattery() const { return onBattery_; }
  // The rate frames come at now: the display's, under the user's limit
  // (Max_FPS) and on battery the battery's, as a ceiling on the display's
  // refresh grid. IdleFrameRequest hands it to the window when it changes.
  double FrameRate() const;
  void SessionLockChanged(bool locked) { sessionLocked_ = locked; }
  bool Seen() const { return displayOn_ && !sessionLocked_ && !window_.Covered(); }
  // After the setup dialog changed use_DirectX or the video mode: the frame
  // bitmap takes the new output size and the engine follows it.
  void ApplyFrameSize();
  // The window changed its size (ScreenWidth and ScreenHeight tell the new
  // one) or the screen its monitors: the frame bitmap takes its new area and
  // the engine follows, unless the frame keeps its area (as the switched
  // video mode's does).
  void WindowSizeChanged();

  const ProgramFiles& Files() const { return files_; }
  // Whether the platform tells this run of changes to its settings file
  // (SettingsFileChanged): a saver run that keeps its files, which may last
  // all day (a live wallpaper, a daemon's run) while the setup dialog stores
  // new settings.
  bool WatchesSettingsFile() const;
  // The settings file changed on disk: the run takes the new speed, material
  // choice and layout at once, under the command line's overrides as at
  // creation. What the run changed itself (a replaced video mode) stays the
  // run's, and what it takes from the file is not stored back at its end.
  void SettingsFileChanged();
  // Settings given on the command line: laid over the file's values at
  // creation; the file keeps its own values when the settings are stored.
  void SetOverrides(const SettingsOverrides& overrides) { overrides_ = overrides; }

  // Reference pointer position of the move-to-exit rule; -1 = not yet taken.
  int32_t LastMouseX = -1;
  int32_t LastMouseY = -1;
  // The window may close; while set, no frames are requested.
  uint8_t ExitAllowed = 0;
  uint8_t ModeSwitchFailed = 0;
  // The next activation performs the activation steps.
  uint8_t ActivationPending = 0;
  // The pattern state and the settings are stored at destruction.
  uint8_t StateChanged = 0;
  // Frames are being drawn; the page-flipped path draws only while set.
  uint8_t Rendering = 0;
  // Pointer moves still to be ignored.
  int32_t MouseMovesToIgnore = 5;
  // The engine of the whole frame, or of the primary monitor's part of it
  // when every monitor shows its own ornament.
  Shape Engine;

  // One engine's part of the frame bitmap and the file its pattern is kept in.
  struct EnginePlace {
    Shape* engine = nullptr;
    PixelArea area;
    std::string state;
    std::string monitor;  // "" for Engine's place
  };
  // The engines drawn and where: Engine's place first, then under the "each"
  // layout those of the other monitors, each with its own pattern, material
  // sequence and state file (see MonitorStateFilePath).
  const std::vector<EnginePlace>& Places() const { return places_; }

 private:
  void PaceFrames();
  double ShownFrameIntervals();
  void MoveOn(Shape& engine, double intervals) const;
  void RemoveLeftovers() const;
  void PrepareFrameBitmap();
  void CheckVideoMode();
  void LoadOrGeneratePattern();
  void WarmUpUnderProgress(const std::vector<EnginePlace>& fresh);
  bool FitEngines();
  MonitorLayout Layout() const;
  PixelArea WantedFrameArea() const;
  std::vector<MonitorPart> WantedMonitorParts() const;
  std::vector<EnginePlace> ArrangeEngines();
  std::unique_ptr<Shape> NewMonitorEngine() const;
  void StoreMonitorEngine(const std::string& monitor, const Shape& engine) const;
  bool MonitorsMoved() const;
  void ReportFailedSaves() const;
  void StoreState(const Shape& engine, const std::string& path) const;
  bool AllStill() const;
  void SizeFrameBitmapToOutput();
  bool SwitchVideoMode();

  SaverWindow& window_;
  DisplayControl& display_;
  PasswordServices& passwords_;
  ProgramFiles files_;
  SettingsOverrides overrides_;
  OverriddenSettings overridden_;
  // The saver's keys as the file held them when they were read: the end of
  // the run stores only the keys whose value the run changed.
  std::vector<SettingsKey> settingsAsRead_;
  // Saves that failed during the run (a monitor's pattern stored as it
  // went), reported at its end.
  mutable std::vector<std::string> failedSaves_;
  // Set from an exit request until the run goes on or the window is
  // activated again: input meanwhile starts no second request.
  bool exitUnderWay_ = false;
  bool displayOn_ = true;
  bool onBattery_ = false;
  // What the frames move the animation on by (live runs), and the rate the
  // window was last told to pace them at (0: not yet).
  FrameMotion motion_;
  double pacedHz_ = 0.0;
  bool sessionLocked_ = false;
  // The last frame drawn was a still picture: drawing it again would show
  // the same.
  bool stillShown_ = false;
  int32_t frameLeft_ = 0;
  int32_t frameTop_ = 0;
  int32_t frameWidth_ = 0;
  int32_t frameHeight_ = 0;
  // The size of the pattern read from the state file (0: none was read).
  int64_t storedPixels_ = 0;
  std::vector<EnginePlace> places_;
  // The other monitors' engines by monitor name ("each" only).
  std::map<std::string, std::unique_ptr<Shape>> monitorEngines_;
};

}  // namespace zm
