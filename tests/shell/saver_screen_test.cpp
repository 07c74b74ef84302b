#include "shell/saver_screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "materials/material_choice.h"
#include "render/pattern_state_file.h"
#include "settings/saver_settings.h"
#include "settings/settings_paths.h"
#include "settings/temp_directory.h"
#include "shell/locker_handoff.h"
#include "shell/program_error.h"
#include "shell/run_mode.h"
#include "shell/saver_loop.h"
#include "shell/shell_fakes.h"
#include "shell/startup.h"

namespace zm {
namespace {

using testing::CallLog;
using testing::ReadBytes;

bool Logged(const CallLog& log, const std::string& entry) {
  return std::find(log.begin(), log.end(), entry) != log.end();
}

class SaverScreenTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { PrepareProgram(11); }
  void SetUp() override {
    SaverSettings = SaverSettingsRecord{};
    RunMode = rmSaver;
    PreviewFromSetup = 0;
  }

  // A saver screen created and activated as a run starts.
  SaverScreen& Start() {
    screen.emplace(window, display, passwords, FilesIn(dir.Prefix()));
    screen->FormCreate();
    screen->FormActivate();
    return *screen;
  }

  // The window closes as the platform closes it: timer, query, close, and
  // destruction at the end of the run.
  void Finish() {
    ASSERT_GT(window.closeTimer, 0);
    screen->CloseTimerFired();
    ASSERT_TRUE(screen->FormCloseQuery());
    screen->FormClose();
    screen->FormDestroy();
  }

  void WriteSettings(const std::string& text) {
    testing::WriteBytes(dir.File("zelk_mirv.ini"), text);
  }
  std::string Settings() const { return ReadBytes(dir.File("zelk_mirv.ini")); }

  testing::TempDirectory dir;
  CallLog log;
  testing::FakeSaverWindow window{log};
  testing::FakeDisplayControl display{log};
  testing::FakePasswords passwords{log};
  std::optional<SaverScreen> screen;
};

TEST_F(SaverScreenTest, FirstStartWarmsUpAndTheRunStoresStateAndSettings) {
  WriteSettings("[BASIC_PARAMETERS]\nuse_DirectX=0\n");
  SaverScreen& s = Start();
  EXPECT_TRUE(Logged(log, "wait shown"));
  EXPECT_TRUE(Logged(log, "wait hidden"));
  ASSERT_EQ(window.wait.positions.size(), 100u);
  EXPECT_EQ(window.wait.positions.front(), 0);
  EXPECT_EQ(window.wait.positions.back(), 99);
  // The bitmap path: a screen-size bitmap, maximised on top, no mode switch.
  EXPECT_EQ(window.bitmap.Width(), 64);
  EXPECT_EQ(s.Engine.Width(), 64);
  EXPECT_EQ(s.Engine.Height(), 48);
  EXPECT_TRUE(Logged(log, "maximised on top"));
  EXPECT_TRUE(Logged(log, "saver running"));
  EXPECT_EQ(window.cursorCount, -1);
  EXPECT_EQ(s.Rendering, 1);

  s.DisplayPowerChanged(false);
  s.IdleFrameRequest();
  s.DisplayPowerChanged(true);
  s.SessionLockChanged(true);
  s.IdleFrameRequest();
  EXPECT_EQ(window.frameRequests, 0) << "nobody sees a display turned off or a locked session";
  s.SessionLockChanged(false);
  s.IdleFrameRequest();
  EXPECT_EQ(window.frameRequests, 1);
  s.DrawFrame();
  EXPECT_EQ(window.paints, 1);
  EXPECT_NE(window.bitmap.Pixel(10, 10), 0u);

  s.FormKeyDown();
  EXPECT_EQ(window.closeTimer, 20);
  s.IdleFrameRequest();
  EXPECT_EQ(window.frameRequests, 1) << "no frames once the exit is under way";
  Finish();
  EXPECT_TRUE(Logged(log, "shrink"));
  EXPECT_EQ(window.cursorCount, 0);
  EXPECT_EQ(std::filesystem::file_size(dir.File("Zelk_Mirv.par")),
            static_cast<uintmax_t>(PatternStateFileSize(64, 48)));
  const std::string settings = Settings();
  EXPECT_NE(settings.find("[BASIC_PARAMETERS]"), std::string::npos);
  EXPECT_LT(settings.find("BitPerPix"), settings.find("[PATTERNS]"));
}

TEST_F(SaverScreenTest, SecondStartContinuesTheStoredPatternWithoutWaiting) {
  WriteSettings("[BASIC_PARAMETERS]\nuse_DirectX=0\n");
  Start();
  screen->FormKeyDown();
  Finish();
  const std::string stored = ReadBytes(dir.File("Zelk_Mirv.par"));

  log.clear();
  window.wait.positions.clear();
  SaverScreen& s = Start();
  EXPECT_FALSE(Logged(log, "wait shown"));
  EXPECT_TRUE(window.wait.positions.empty());
  const PatternState state = *ReadPatternState(stored);
  EXPECT_TRUE(
      std::equal(state.current.begin(), state.current.end(), s.Engine.MapCurrent().begin()));
}

// A run in a daemon's 1 x 1 window keeps the whole screen's stored pattern;
// it cleans up the temporaries of a killed save; without a files folder
// nothing is stored at all.
TEST_F(SaverScreenTest, ASmallRunKeepsTheStoredPatternAndNoFolderStoresNothing) {
  WriteSettings("[BASIC_PARAMETERS]\nuse_DirectX=0\n");
  Start();
  screen->FormKeyDown();
  Finish();
  const std::string stored = ReadBytes(dir.File("Zelk_Mirv.par"));
  const std::string leftover = dir.File("Zelk_Mirv.par.00000000deadbeef.tmp");
  testing::WriteBytes(leftover, "torn");
  std::filesystem::last_write_time(
      leftover, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));

  window.screenWidth = window.screenHeight = 1;
  window.coversScreen = false;
  Start();
  EXPECT_FALSE(std::filesystem::exists(leftover));
  EXPECT_EQ(screen->Engine.Width(), 1);
  screen->FormKeyDown();
  Finish();
  EXPECT_EQ(ReadBytes(dir.File("Zelk_Mirv.par")), stored);

  std::filesystem::remove(dir.File("Zelk_Mirv.par"));
  std::filesystem::remove(dir.File("zelk_mirv.ini"));
  screen.emplace(window, display, passwords, ProgramFiles{});
  screen->FormCreate();
  screen->FormActivate();
  screen->FormKeyDown();
  Finish();
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// Draws frames as the platform's loop does: a request, then the frame.
int DrawWhileWanted(SaverScreen& s, testing::FakeSaverWindow& window, int passes) {
  const int before = window.paints;
  for (int i = 0; i < passes; ++i) {
    const int requests = window.frameRequests;
    s.IdleFrameRequest();
    if (window.frameRequests != requests) s.DrawFrame();
  }
  return window.paints - before;
}

TEST_F(SaverScreenTest, FramesKeepToTheLimitAndTheBatteryAndMoveByDisplayTime) {
  WriteSettings("[BASIC_PARAMETERS]\nuse_DirectX=0\nSHAPE_SPEED=1\n[FRAMES]\nMax_FPS=60\n");
  window.paced = true;
  window.displayHz = 144.0;
  SaverScreen& s = Start();
  s.IdleFrameRequest();
  EXPECT_DOUBLE_EQ(window.pacedHz, 48.0) << "a limit of 60 on the 144 Hz grid";
  s.PowerSourceChanged(true);
  s.IdleFrameRequest();
  EXPECT_DOUBLE_EQ(window.pacedHz, 28.8) << "on battery: 30 at most";
  s.PowerSourceChanged(false);
  s.IdleFrameRequest();
  EXPECT_DOUBLE_EQ(window.pacedHz, 48.0);

  // 12 frames at 48 a second move the phase as far as 15 at 60 would; the
  // 3-second gap after them as far as one frame.
  s.Engine.SetPhase(0.1);
  for (int i = 0; i <= 12; ++i) {
    window.shownMs = 1000.0 + i * 1000.0 / 48.0;
    s.DrawFrame();
  }
  EXPECT_NEAR(s.Engine.Phase(), 0.1 + 13 * 1.25 * 0.003, 1e-9);
  window.shownMs += 3000.0;
  s.DrawFrame();
  EXPECT_NEAR(s.Engine.Phase(), 0.1 + 14 * 1.25 * 0.003, 1e-9);
  s.FormKeyDown();
  Finish();
  EXPECT_NE(Settings().find("[FRAMES]\nMax_FPS=60\nBattery_FPS=30\n"), std::string::npos)
      << Settings();
}

// A platform for the core's loop: a clock that only the waits move on,
// frame slots 10 ms apart, and whether events wait or the window is gone.
class FakeLoopPlatform : public LoopPlatform {
 public:
  int64_t NowMs() const override { return now; }
  bool ServePending() override { return !gone; }
  void BeforeFrameRequest() override { ++looks; }
  int32_t MsUntilFrame() override { return static_cast<int32_t>(std::max<int64_t>(0, slot - now)); }
  void FrameDrawn() override { slot = now + 10; }
  bool EventsWaiting() const override { return eventsWaiting; }
  void WaitForEvents(int32_t timeoutMs) override {
    waits.push_back(timeoutMs);
    now += timeoutMs < 0 ? 1000 : timeoutMs;
  }
  int32_t WakeEveryMs() const override { return 1000; }
  void LockerStarts() override { ++lockerStarts; }

  int64_t now = 5000;
  int64_t slot = 0;
  bool eventsWaiting = true;
  bool gone = false;
  int looks = 0;
  int lockerStarts = 0;
  std::vector<int32_t> waits;
};

TEST_F(SaverScreenTest, TheLoopDrawsAtTheSlotsWaitsForThemAndEndsByTheCloseTimer) {
  WriteSettings("[BASIC_PARAMETERS]\nuse_DirectX=0\n");
  window.paced = true;
  SaverScreen& s = Start();
  FakeLoopPlatform platform;
  SaverLoop loop(s, platform);
  window.loop = &loop;
  ASSERT_TRUE(loop.Step());
  EXPECT_EQ(window.paints, 1) << "the first frame is due at once";
  EXPECT_EQ(platform.looks, 1);
  for (int i = 0; i < 20 && window.paints < 3; ++i) ASSERT_TRUE(loop.Step());
  EXPECT_EQ(window.paints, 3);
  EXPECT_EQ(platform.now, 5020) << "each frame at its slot, 10 ms apart";
  EXPECT_EQ(platform.waits, (std::vector<int32_t>{10, 10})) << "events wait: no time spent ahead";
  EXPECT_EQ(platform.looks, 3) << "one look before each request";

  s.FormKeyDown();  // the close timer starts; no frames meanwhile
  for (int i = 0; i < 20 && !loop.FrameRequested() && loop.CloseTimerRunning(); ++i) {
    ASSERT_TRUE(loop.Step());
  }
  EXPECT_FALSE(loop.CloseTimerRunning());
  EXPECT_EQ(window.paints, 3);
  EXPECT_LE(platform.now, 5020 + 20 + 10);
  EXPECT_TRUE(Logged(log, "close"));
  platform.gone = true;
  EXPECT_FALSE(loop.Step());
  window.loop = nullptr;
  s.FormClose();
  s.FormDestroy();
}

// A locker as the platform runs it: it ends `endsAfterMs` after its start
// with exit status `status`, or never (-1); or it cannot start.
struct FakeLocker : LockerHost {
  explicit FakeLocker(const FakeLoopPlatform& clock, int64_t endsAfterMs = -1, int status = 0)
      : clock(clock), endsAfterMs(endsAfterMs), status(status) {}
  bool Start(const std::string& command, std::string& error) override {
    started = command;
    startedAtMs = clock.now;
    letGoFirst = clock.lockerStarts > 0;
    if (!starts) error = "no such file";
    return starts;
  }
  std::optional<CommandEnd> Ended() override {
    if (endsAfterMs < 0 || clock.now < startedAtMs + endsAfterMs) return std::nullopt;
    return CommandEnd{false, status};
  }
  void Say(const std::string& text) override { said += text; }

  const FakeLoopPlatform& clock;
  int64_t endsAfterMs;
  int status;
  bool starts = true;
  bool letGoFirst = false;
  int64_t startedAtMs = -1;
  std::string started, said;
};

// A key (then another) ends a run that hands over to `locker`: how long
// after the locker's start the window closes, no frame drawn meanwhile.
int64_t CloseAfterLocker(SaverScreen& s, testing::FakeSaverWindow& window, FakeLocker& locker,
                         FakeLoopPlatform& platform, const CallLog& log) {
  SaverLoop loop(s, platform);
  LockerHandoff handoff(locker, "lock --now");
  loop.SetLocker(&handoff);
  window.loop = &loop;
  EXPECT_TRUE(loop.Step());
  const int paints = window.paints;
  s.FormKeyDown();
  s.FormKeyDown();
  int64_t closedAfter = -1;
  for (int i = 0; i < 1000 && closedAfter < 0; ++i) {
    EXPECT_TRUE(loop.Step());
    if (Logged(log, "close")) closedAfter = platform.now - locker.startedAtMs;
  }
  EXPECT_EQ(window.paints, paints);
  window.loop = nullptr;
  s.FormClose();
  s.FormDestroy();
  return closedAfter;
}

TEST_F(SaverScreenTest, AnExitOnInputKeepsTheWindowUntilTheLockerHasLocked) {
  WriteSettings("[BASIC_PARAMETERS]\nuse_DirectX=0\n");
  FakeLoopPlatform platform;
  platform.eventsWaiting = false;
  // A locker that daemonises once it has locked: its first process exits 0.
  FakeLocker locks(platform, 500);
  EXPECT_EQ(CloseAfterLocker(Start(), window, locks, platform, log), 500);
  EXPECT_EQ(locks.started, "lock --now");
  EXPECT_TRUE(locks.letGoFirst) << "the locker can take keyboard and pointer";
  // One that never exits: the window goes after the bound.
  log.clear();
  FakeLocker stays(platform);
  EXPECT_EQ(CloseAfterLocker(Start(), window, stays, platform, log), LockerHandoff::kLockWaitMs);
  EXPECT_EQ(locks.said + stays.said, "");
  // One that fails or cannot start: the window goes at once, and it is said.
  FakeLocker fails(platform, 0, 127);
  FakeLocker missing(platform);
  missing.starts = false;
  for (FakeLocker* bad : {&fails, &missing}) {
    log.clear();
    EXPECT_EQ(CloseAfterLocker(Start(), window, *bad, platform, log), 0);
  }
  EXPECT_NE(fails.said.find("'lock --now' failed (exit status 127)"), std::string::npos);
  EXPECT_NE(missing.said.find("could not be started: no such file"), std::string::npos);
}

TEST_F(SaverScreenTest, NoFramesWhileNobodySeesThemOrThePictureStandsStill) {
  WriteSettings("[BASIC_PARAMETERS]\nuse_DirectX=0\nSHAPE_SPEED=0.5\n");
  window.paced = true;
  SaverScreen& s = Start();
  EXPECT_TRUE(s.Engine.PacedByDisplay());
  EXPECT_EQ(DrawWhileWanted(s, window, 3), 3);

  // Covered, or the display off: the animation waits where it stands.
  const double phase = s.Engine.Phase();
  window.covered = true;
  EXPECT_EQ(DrawWhileWanted(s, window, 5), 0);
  EXPECT_EQ(s.Engine.Phase(), phase);
  window.covered = false;
  EXPECT_EQ(DrawWhileWanted(s, window, 1), 1);
  EXPECT_GT(s.Engine.Phase(), phase);

  // Speed 0: the still picture is drawn once, then not again (nor does the
  // generator get slices) until the window shows it anew.
  s.Engine.Configure({.speed = 0.0});
  EXPECT_TRUE(s.Engine.IsStill());
  EXPECT_EQ(DrawWhileWanted(s, window, 10), 1);
  s.PictureLost();
  EXPECT_EQ(DrawWhileWanted(s, window, 10), 1);
  s.Engine.Configure({.speed = 1.0});
  EXPECT_EQ(DrawWhileWanted(s, window, 2), 2);
}

// Two monitors side by side, the primary on the right, and the "each"
// layout: one warm-up under one bar for both, each monitor its own pattern
// and state file, continued by the next run; a monitor that goes stores its
// pattern, one that comes back brings it.
TEST_F(SaverScreenTest, EachMonitorShowsAndKeepsItsOwnPattern) {
  WriteSettings("[BASIC_PARAMETERS]\nuse_DirectX=0\n[MONITORS]\nLayout=each\n");
  window.screenWidth = 64 + 40;
  window.monitors = {{{0, 0, 40, 30}, false, "HDMI 2"}, {{40, 0, 64, 48}, true, "DP-1"}};
  SaverScreen& s = Start();
  ASSERT_EQ(s.Places().size(), 2u);
  EXPECT_EQ(s.Engine.Width(), 64);
  EXPECT_EQ(s.Places()[1].engine->Width(), 40);
  EXPECT_EQ(s.Places()[1].engine->Height(), 30);
  ASSERT_EQ(window.wait.positions.size(), 100u);
  EXPECT_EQ(window.wait.positions.back(), 99);
  EXPECT_EQ(window.bitmap.Width(), 104);
  s.DrawFrame();
  EXPECT_NE(window.bitmap.Pixel(10, 10), 0u);
  EXPECT_NE(window.bitmap.Pixel(50, 10), 0u);
  s.FormKeyDown();
  Finish();
  const std::string sideFile = MonitorStateFilePath(dir.File("Zelk_Mirv.par"), "HDMI 2");
  EXPECT_EQ(std::filesystem::file_size(dir.File("Zelk_Mirv.par")),
            static_cast<uintmax_t>(PatternStateFileSize(64, 48)));
  EXPECT_EQ(std::filesystem::file_size(sideFile),
            static_cast<uintmax_t>(PatternStateFileSize(40, 30)));

  window.wait.positions.clear();
  SaverScreen& again = Start();
  EXPECT_TRUE(window.wait.positions.empty()) << "both patterns continue without a warm-up";
  ASSERT_EQ(again.Places().size(), 2u);
  const PatternState stored = *ReadPatternState(ReadBytes(sideFile));
  EXPECT_TRUE(std::equal(stored.current.begin(), stored.current.end(),
                         again.Places()[1].engine->MapCurrent().begin()));

  const std::vector<MonitorArea> both = window.monitors;
  window.monitors = {both[1]};
  std::filesystem::remove(sideFile);
  again.WindowSizeChanged();
  EXPECT_EQ(again.Places().size(), 1u);
  EXPECT_EQ(window.bitmap.Width(), 64) << "the frame keeps to the primary left";
  EXPECT_TRUE(std::filesystem::exists(sideFile)) << "the monitor that went kept its pattern";
  window.monitors = both;
  again.WindowSizeChanged();
  ASSERT_EQ(again.Places().size(), 2u);
  EXPECT_EQ(again.Places()[1].engine->Width(), 40);
  EXPECT_EQ(DrawWhileWanted(again, window, 2), 2);
}

TEST_F(SaverScreenTest, PointerMovesEndTheRunOnlyPastTwoPixelsOnBothAxesAndTheWheelNever) {
  SaverScreen& s = Start();
  for (int i = 0; i < 5; ++i) s.FormMouseMove(100 * i, 100 * i);  // ignored
  EXPECT_EQ(s.LastMouseX, -1);
  s.FormMouseMove(10, 10);  // the reference
  EXPECT_EQ(s.LastMouseX, 10);
  s.FormMouseMove(500, 10);  // horizontal only
  s.FormMouseMove(10, 400);  // vertical only
  s.FormMouseMove(12, 12);   // two pixels on both axes
  for (uint32_t button = 4; button <= 7; ++button) s.FormButtonDown(button);  // the wheel
  EXPECT_EQ(s.ExitAllowed, 0);
  EXPECT_EQ(s.LastMouseX, 10) << "moves that do not count keep the reference";
  s.FormMouseMove(13, 13);
  EXPECT_EQ(s.ExitAllowed, 1);
  EXPECT_EQ(window.closeTimer, 20);
  // Any other button is input (a mouse's side buttons are 8 and 9).
  Start().FormButtonDown(8);
  EXPECT_EQ(screen->ExitAllowed, 1);
}

TEST_F(SaverScreenTest, ARefusedPasswordContinuesTheRunAndIgnoresFiveMoves) {
  passwords.flag = 1;
  passwords.answers = {false, true};
  SaverScreen& s = Start();
  for (int i = 0; i < 5; ++i) s.FormMouseMove(0, 0);
  s.FormMouseMove(10, 10);
  // Input while the password is asked starts no second question.
  passwords.duringQuestion = [&s] { s.FormKeyDown(); };
  s.FormMouseMove(20, 20);
  EXPECT_EQ(std::count(log.begin(), log.end(), "password asked"), 1);
  EXPECT_EQ(s.ExitAllowed, 0);
  EXPECT_EQ(s.Rendering, 1);
  EXPECT_EQ(window.closeTimer, 0);
  EXPECT_FALSE(passwords.cursorShown);
  EXPECT_FALSE(passwords.settingsOpen);

  passwords.duringQuestion = nullptr;
  for (int i = 0; i < 5; ++i) s.FormMouseMove(500, 500);
  EXPECT_EQ(s.ExitAllowed, 0);
  EXPECT_EQ(s.LastMouseX, 20) << "the reference stays at the move that asked";
  s.FormMouseDown();
  EXPECT_EQ(std::count(log.begin(), log.end(), "password asked"), 2);
  EXPECT_EQ(window.closeTimer, 20);
}

TEST_F(SaverScreenTest, NoPasswordIsAskedUnlessTheSystemFlagSaysSo) {
  for (const std::optional<uint32_t> flag :
       {std::optional<uint32_t>{}, std::optional<uint32_t>{0}}) {
    passwords.flag = flag;
    Start().FormKeyDown();
    EXPECT_EQ(window.closeTimer, 20);
    window.closeTimer = 0;
  }
  passwords.flag = 1;
  passwords.libraryPresent = false;  // asked, but no library answers
  Start().FormKeyDown();
  EXPECT_EQ(window.closeTimer, 20);
  passwords.settingsExist = false;
  passwords.libraryPresent = true;
  passwords.answers = {false};
  window.closeTimer = 0;
  Start().FormKeyDown();
  EXPECT_EQ(window.closeTimer, 20);
  EXPECT_EQ(std::count(log.begin(), log.end(), "password asked"), 1);
}

TEST_F(SaverScreenTest, AMissingModeIsReplacedByTheFallbackAndStored) {
  WriteSettings(
      "[BASIC_PARAMETERS]\nuse_DirectX=1\nHeight=768\nWidth=1024\nBitPerPix=24\nRefreshRate=75\n");
  display.modes = {{480, 640, 72, 16}, {600, 800, 60, 16}};
  SaverScreen& s = Start();
  EXPECT_EQ(SaverSettings.Mode, (DisplayMode{480, 640, 0, 16}));
  EXPECT_EQ(s.StateChanged, 1);
  EXPECT_EQ(window.bitmap.Width(), 640);
  EXPECT_TRUE(Logged(log, "set mode 640x480x16 @0 buffers 1"));
  EXPECT_TRUE(Logged(log, "normal window"));
  s.DrawFrame();  // the page-flipped path: two frames, no bitmap paint
  EXPECT_EQ(display.locks, 2);
  EXPECT_EQ(window.paints, 0);
  s.FormKeyDown();
  EXPECT_TRUE(Logged(log, "restore mode"));
  Finish();
  const std::string settings = Settings();
  EXPECT_NE(settings.find("Height=480"), std::string::npos);
  EXPECT_NE(settings.find("BitPerPix=16"), std::string::npos);
  EXPECT_NE(settings.find("RefreshRate=0"), std::string::npos);
}

TEST_F(SaverScreenTest, ThePageFlippedPathMovesByTheTimeOfEachFlip) {
  WriteSettings(
      "[BASIC_PARAMETERS]\nuse_DirectX=1\nHeight=480\nWidth=640\nBitPerPix=16\nSHAPE_SPEED=1\n");
  display.modes = {{480, 640, 60, 16}};
  display.backPitch = 640 * 2;
  display.back.resize(size_t{480} * 640 * 2);
  display.flipClockMs = &window.shownMs;
  display.flipPeriodMs = 1000.0 / 120.0;
  window.paced = true;
  window.displayHz = 120.0;
  window.shownMs = 1000.0;
  SaverScreen& s = Start();
  s.IdleFrameRequest();
  s.Engine.SetPhase(0.1);
  // Six requests, two flips each, at 120 a second: as far as six frames at 60.
  for (int i = 0; i < 6; ++i) s.DrawFrame();
  EXPECT_EQ(display.locks, 12);
  EXPECT_NEAR(s.Engine.Phase(), 0.1 + 6 * 0.003, 1e-9);
  s.FormKeyDown();
  Finish();
}

TEST_F(SaverScreenTest, WithoutAUsableDisplayTheRunDrawsTheScreenSizeBitmap) {
  WriteSettings("[BASIC_PARAMETERS]\nuse_DirectX=1\n");
  display.modes.clear();  // nothing of 16, 24 or 32 bits
  Start();
  EXPECT_FALSE(SaverSettings.use_DirectX);
  EXPECT_EQ(window.bitmap.Width(), 64);
  EXPECT_FALSE(std::any_of(log.begin(), log.end(),
                           [](const std::string& e) { return e.rfind("set mode", 0) == 0; }));

  display.available = false;
  SaverSettings.use_DirectX = true;
  WriteSettings("");
  Start();
  EXPECT_FALSE(SaverSettings.use_DirectX);
  EXPECT_FALSE(SaverSettings.DirectXPresent);
  screen->FormKeyDown();
  Finish();
  EXPECT_NE(Settings().find("use_DirectX=0"), std::string::npos);
}

TEST_F(SaverScreenTest, AFailedModeSwitchClosesTheWindowAndSaysSo) {
  display.switchSucceeds = false;
  SaverScreen& s = Start();
  EXPECT_EQ(s.ModeSwitchFailed, 1);
  EXPECT_EQ(window.closeTimer, 50);
  EXPECT_TRUE(Logged(log, "restore mode"));
  EXPECT_FALSE(Logged(log, "saver running"));
  s.FormKeyDown();  // input while it closes asks nothing
  EXPECT_FALSE(Logged(log, "password asked"));
  s.CloseTimerFired();
  s.FormClose();
  EXPECT_TRUE(Logged(log, "error: Error at changing of a graphic mode"));
}

TEST_F(SaverScreenTest, APreviewFromTheSetupDialogEndsWithoutAPasswordAndKeepsItsWindow) {
  RunMode = rmConfigure;
  passwords.flag = 1;
  passwords.answers = {false};
  SaverScreen& s = Start();
  s.IdleFrameRequest();
  EXPECT_EQ(window.frameRequests, 0) << "the dialog draws the frames in a configure run";
  s.FormKeyDown();
  EXPECT_EQ(window.closeTimer, 20);
  s.CloseTimerFired();
  EXPECT_FALSE(Logged(log, "password asked"));
  EXPECT_FALSE(Logged(log, "shrink"));
  EXPECT_TRUE(Logged(log, "close"));
  // Destruction stores state and settings when the state file is missing,
  // and nothing once it exists and nothing changed.
  s.FormDestroy();
  EXPECT_TRUE(std::filesystem::exists(dir.File("Zelk_Mirv.par")));
  std::filesystem::remove(dir.File("zelk_mirv.ini"));
  s.FormDestroy();
  EXPECT_FALSE(std::filesystem::exists(dir.File("zelk_mirv.ini")));
}

TEST_F(SaverScreenTest, CommandLineSettingsHoldForTheRunAndTheFileKeepsItsOwn) {
  WriteSettings("[BASIC_PARAMETERS]\nuse_DirectX=0\nSHAPE_SPEED=1.5\n[PATTERNS]\nShow_All=1\n");
  SettingsOverrides overrides;
  overrides.speed = 0.25;
  overrides.material = 3;
  screen.emplace(window, display, passwords, FilesIn(dir.Prefix()));
  screen->SetOverrides(overrides);
  screen->FormCreate();
  EXPECT_EQ(SaverSettings.SHAPE_SPEED, 0.25);
  EXPECT_FALSE(AllColorsSelected());
  screen->FormActivate();
  screen->FormKeyDown();
  Finish();
  const std::string settings = Settings();
  EXPECT_NE(settings.find("SHAPE_SPEED=1.5"), std::string::npos) << settings;
  EXPECT_NE(settings.find("Show_All=1"), std::string::npos) << settings;
}

// Settings stored by someone else while a long run goes on: the run takes
// the speed, material choice and layout (under its command line's), keeps
// its own corrections, and its end undoes none of them.
TEST_F(SaverScreenTest, SettingsStoredDuringTheRunAreTakenAndSurviveItsEnd) {
  WriteSettings("[BASIC_PARAMETERS]\nuse_DirectX=0\nSHAPE_SPEED=1.5\n[PATTERNS]\nShow_All=1\n");
  SettingsOverrides overrides;
  overrides.material = 3;
  screen.emplace(window, display, passwords, FilesIn(dir.Prefix()));
  screen->SetOverrides(overrides);
  screen->FormCreate();
  screen->FormActivate();
  ASSERT_TRUE(screen->WatchesSettingsFile());
  const std::string stored =
      "[BASIC_PARAMETERS]\nuse_DirectX=0\nSHAPE_SPEED=0\nBitPerPix=16\n[PATTERNS]\nPattern=4\n"
      "Show_All=0\n[MONITORS]\nLayout=span\n";
  WriteSettings(stored);
  screen->SettingsFileChanged();
  EXPECT_EQ(screen->Engine.Configuration().speed, 0.0);
  EXPECT_EQ(SaverSettings.Layout, "span");
  EXPECT_EQ(SaverSettings.Mode.BitPerPix, 32) << "only speed, materials and layout are taken";
  EXPECT_EQ(ChosenMaterial, 3) << "the command line's material still holds";
  screen->IdleFrameRequest();
  screen->DrawFrame();
  EXPECT_TRUE(screen->Engine.IsStill());
  screen->FormKeyDown();
  Finish();
  const std::string settings = Settings();
  for (const char* line :
       {"SHAPE_SPEED=0\n", "BitPerPix=16\n", "Pattern=4\n", "Show_All=0\n", "Layout=span\n"}) {
    EXPECT_NE(settings.find(line), std::string::npos) << line << " was undone:\n" << settings;
  }

  // A state file that cannot be written is named with the reason, after
  // everything else was stored.
  std::filesystem::remove(dir.File("Zelk_Mirv.par"));
  std::filesystem::create_directory(dir.File("Zelk_Mirv.par"));
  Start();
  screen->FormKeyDown();
  screen->CloseTimerFired();
  screen->FormClose();
  try {
    screen->FormDestroy();
    ADD_FAILURE() << "a failed save said nothing";
  } catch (const ProgramError& failure) {
    EXPECT_EQ(failure.ExitStatus(), 1);
    EXPECT_EQ(std::string(failure.what())
                  .rfind("Unable to write to " + dir.File("Zelk_Mirv.par") + ": ", 0),
              0u)
        << failure.what();
  }
}

TEST_F(SaverScreenTest, ASaverEndedFromOutsideClosesWithoutAPasswordAndRestoresTheDesktop) {
  passwords.flag = 1;
  passwords.answers = {false};
  SaverScreen& s = Start();
  EXPECT_EQ(s.Closing(), SaverScreen::CloseAction::kStayOpen) << "no exit was allowed yet";
  EXPECT_FALSE(Logged(log, "release"));
  s.EndFromOutside();
  EXPECT_EQ(s.Rendering, 0);
  EXPECT_TRUE(Logged(log, "restore mode"));
  EXPECT_TRUE(Logged(log, "release"));
  EXPECT_EQ(s.Closing(), SaverScreen::CloseAction::kDestroy);
  EXPECT_FALSE(Logged(log, "password asked"));
  RunMode = rmConfigure;  // the setup dialog's saver window is only hidden
  EXPECT_EQ(s.Closing(), SaverScreen::CloseAction::kHide);
}

}  // namespace
}  // namespace zm
