#include "shell/command_line.h"

#include <gtest/gtest.h>

#include "settings/saver_settings.h"
#include "shell/run_mode.h"

namespace zm {
namespace {

CommandLine Parse(std::vector<std::string> arguments) { return ParseCommandLine(arguments); }

TEST(CommandLine, RunModeSwitchesReachTheMainEntryAsGiven) {
  EXPECT_EQ(ParseRunMode(Parse({}).firstArgument), rmConfigure);
  const CommandLine preview = Parse({"/p", "1234"});
  EXPECT_EQ(ParseRunMode(preview.firstArgument), rmPreview);
  EXPECT_EQ(preview.secondArgument, "1234");
  EXPECT_EQ(ParseRunMode(Parse({"-S"}).firstArgument), rmSaver);
  EXPECT_EQ(ParseRunMode(Parse({"/c:4711"}).firstArgument), rmConfigure);
  EXPECT_EQ(ParseRunMode(Parse({"-a", "99"}).firstArgument), rmChangePassword);
  EXPECT_EQ(Parse({"/s"}).target, DrawTarget::kFullScreen);
}

TEST(CommandLine, DaemonConventionsWithOneOrTwoDashes) {
  for (const char* root : {"-root", "--root"}) {
    const CommandLine line = Parse({root, "--fps", "-speed", "0.5", "--material", "gold"});
    EXPECT_TRUE(line.error.empty()) << line.error;
    EXPECT_EQ(ParseRunMode(line.firstArgument), rmSaver);
    EXPECT_EQ(line.target, DrawTarget::kRoot);
    EXPECT_TRUE(line.showFps);
    EXPECT_EQ(line.overrides.speed, 0.5);
    EXPECT_EQ(line.overrides.material, 5);  // "Gold"
  }
  // A hexadecimal window id runs the preview with the same handle in decimal.
  const CommandLine id = Parse({"--window-id", "0x2a00007"});
  EXPECT_EQ(ParseRunMode(id.firstArgument), rmPreview);
  EXPECT_EQ(id.target, DrawTarget::kWindowId);
  EXPECT_EQ(id.windowId, 0x2a00007u);
  EXPECT_EQ(id.secondArgument, "44040199");
  EXPECT_EQ(Parse({"-window", "-all-colors"}).target, DrawTarget::kWindow);
  EXPECT_TRUE(Parse({"-window", "-all-colors"}).overrides.allColors);
  EXPECT_EQ(Parse({"-no-video-mode", "/s"}).overrides.videoMode, false);
  EXPECT_EQ(Parse({"-seed", "42", "-s"}).seed, 42u);
  EXPECT_EQ(Parse({"-root", "--monitors", "Each"}).overrides.layout, MonitorLayout::kEach);
  // -wayland and -output choose the display, not the run mode.
  const CommandLine wayland = Parse({"-wayland", "-root", "--output", "DP-1"});
  EXPECT_TRUE(wayland.wayland);
  EXPECT_EQ(wayland.target, DrawTarget::kRoot);
  EXPECT_EQ(wayland.output, "DP-1");
  EXPECT_TRUE(Parse({"--help"}).help);
  EXPECT_TRUE(Parse({"/?"}).help);
  EXPECT_TRUE(Parse({"/Help"}).help);
  EXPECT_EQ(Parse({"-window-id", "0xffffffff"}).windowId, 0xffffffffu);
}

TEST(CommandLine, BadArgumentsSayWhatIsWrong) {
  const std::vector<std::vector<std::string>> bad = {
      {"-bogus"},
      {"-speed"},
      {"-speed", "3"},
      {"-speed", "fast"},
      {"-material", "9"},
      {"-material", "tin"},
      {"-window-id", "0x"},
      {"-window-id", "12ab"},
      {"-window-id", "0"},
      {"-root", "/s"},
      {"-root", "-window"},
      {"/s", "extra", "more"},
      {"stray"},
      {"-seed", "-1"},
      // Cut to 32 bits, it would name another window (here the root).
      {"-window-id", "0x100000000"},
      {"-window-id", "0x100000102"},
      {"-output"},
      {"-output", ""},
      {"-monitors"},
      {"-monitors", "all"},
      {"-max-fps"},
      {"-max-fps", "-30"},
      {"-max-fps", "30fps"},
      {"-max-fps", "100000"},
  };
  for (const auto& arguments : bad) {
    EXPECT_FALSE(Parse(arguments).error.empty()) << arguments.front();
  }
  EXPECT_NE(Parse({"-root", "-window"}).error.find("-window"), std::string::npos);
}

TEST(CommandLine, MonitorsOptionHoldsForTheRunAndTheFileKeepsItsOwnValue) {
  SaverSettings.Layout = "four";  // as read from the file, a value nobody knows
  SaverSettings.Max_FPS = 120;
  OverriddenSettings run;
  run.Apply(Parse({"-root", "-monitors", "span", "--max-fps", "30"}).overrides);
  EXPECT_EQ(EffectiveMonitorLayout(SaverSettings), MonitorLayout::kSpan);
  EXPECT_EQ(SaverSettings.Max_FPS, 30);
  run.PutBack();
  EXPECT_EQ(SaverSettings.Layout, "four");
  EXPECT_EQ(SaverSettings.Max_FPS, 120);
  SaverSettings = SaverSettingsRecord();
}

}  // namespace
}  // namespace zm
