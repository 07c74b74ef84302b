#include "shell/setup_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "materials/material_choice.h"
#include "materials/palette.h"
#include "settings/saver_settings.h"
#include "settings/temp_directory.h"
#include "shell/configure_run.h"
#include "shell/run_mode.h"
#include "shell/shell_fakes.h"
#include "shell/startup.h"

namespace zm {
namespace {

using testing::CallLog;
using testing::ReadBytes;

bool Logged(const CallLog& log, const std::string& entry) {
  return std::find(log.begin(), log.end(), entry) != log.end();
}

// The platform of a configure run; while the dialog runs, `user` acts.
class FakeConfigureHost : public ConfigureHost {
 public:
  explicit FakeConfigureHost(CallLog& log) : view(log), about(log), window(log) {}

  SetupDialogView& CreateSetupDialog() override { return view; }
  AboutBoxView& CreateAboutBox() override { return about; }
  SaverWindow& CreateSaverWindow() override { return window; }
  void RunDialog(SetupDialog& dialog, AboutBox& box, SaverScreen& screen) override {
    view.dialog = &dialog;
    about.box = &box;
    if (user) user(dialog, box, screen);
  }

  testing::FakeSetupDialogView view;
  testing::FakeAboutBoxView about;
  testing::FakeSaverWindow window;
  std::function<void(SetupDialog&, AboutBox&, SaverScreen&)> user;
};

class SetupDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { PrepareProgram(23); }
  void SetUp() override {
    SaverSettings = SaverSettingsRecord{};
    RunMode = rmConfigure;
    PreviewFromSetup = 0;
  }

  // A whole configure run, with `user` acting while the dialog is shown.
  void Run(std::function<void(SetupDialog&, AboutBox&, SaverScreen&)> user) {
    host.emplace(log);
    host->user = std::move(user);
    ConfigureRun(*host, display, passwords, files);
  }
  testing::FakeSetupDialogView& View() { return host->view; }

  void WriteSettings(const std::string& text) { testing::WriteBytes(files.settings, text); }
  std::string Settings() const { return ReadBytes(files.settings); }

  testing::TempDirectory dir;
  ProgramFiles files = FilesIn(dir.Prefix());
  CallLog log;
  testing::FakeDisplayControl display{log};
  testing::FakePasswords passwords{log};
  std::optional<FakeConfigureHost> host;
};

TEST_F(SetupDialogTest, TheControlsShowTheStoredSectionWithinTheirRangesAndLeaveTheSpeed) {
  WriteSettings("[BASIC_PARAMETERS]\nSHAPE_SPEED=0.5\n");
  display.available = false;
  Run([&](SetupDialog&, AboutBox&, SaverScreen&) {
    EXPECT_EQ(View().speed, 17);
    EXPECT_TRUE(View().allColors);
    EXPECT_FALSE(View().materialsEnabled);
    EXPECT_EQ(View().material, 0);
    EXPECT_EQ(SaverSettings.SHAPE_SPEED, 0.5);
    EXPECT_EQ(View().modeText, "DirectX is not installed");
    EXPECT_FALSE(View().useDirectXEnabled);
    EXPECT_FALSE(View().modeBoxEnabled);
  });

  WriteSettings(
      "[SETUP_DIALOG]\nShapeSpeed=25\nItem=-7\nAll_Materials=0\n"
      "[BASIC_PARAMETERS]\nSHAPE_SPEED=0.5\n");
  Run([&](SetupDialog& dialog, AboutBox&, SaverScreen&) {
    EXPECT_EQ(View().speed, 20);
    EXPECT_EQ(View().material, -1);
    EXPECT_TRUE(View().materialsEnabled);
    EXPECT_EQ(SaverSettings.SHAPE_SPEED, 0.5) << "until the user moves the trackbar";
    View().speed = 0;
    dialog.ShapeSpeedChange();
    EXPECT_EQ(SaverSettings.SHAPE_SPEED, 0.0);
    View().speed = 20;
    dialog.ShapeSpeedChange();
    EXPECT_EQ(SaverSettings.SHAPE_SPEED, 2.0);
  });
}

TEST_F(SetupDialogTest, TheModeBoxOffersEachModeOnceAndChoosingOneKeepsTheRefreshRate) {
  WriteSettings(
      "[BASIC_PARAMETERS]\nuse_DirectX=0\nWidth=1280\nHeight=1024\nRefreshRate=85\n"
      "BitPerPix=32\n");
  const std::string before = Settings();
  display.modes = {{768, 1024, 60, 24}, {768, 1024, 60, 32}, {600, 800, 60, 24}, {480, 800, 60, 32},
                   {480, 640, 60, 16},  {480, 640, 75, 16},  {480, 640, 60, 24}};
  Run([&](SetupDialog& dialog, AboutBox&, SaverScreen& screen) {
    EXPECT_EQ(View().modeEntries, (std::vector<std::string>{"1024*768  32-bit", "800*480  32-bit",
                                                            "640*480  16-bit", "640*480  24-bit"}));
    EXPECT_EQ(View().modeText, "1280*1024  32-bit") << "the stored mode, though not offered";
    EXPECT_TRUE(View().useDirectXEnabled);

    View().modeText = "1280*1024  32-bi";  // typing: no entry has this text
    dialog.GraphModesListChange();
    EXPECT_EQ(SaverSettings.Mode, (DisplayMode{1024, 1280, 85, 32}));
    EXPECT_FALSE(Logged(log, "hourglass"));

    View().modeText = "640*480  16-BIT";
    dialog.GraphModesListChange();
    EXPECT_EQ(SaverSettings.Mode, (DisplayMode{480, 640, 85, 16}));
    EXPECT_TRUE(Logged(log, "arrow"));
    EXPECT_EQ(Settings(), before) << "nothing is stored before Ok";

    View().useDirectX = true;
    dialog.UseDirectXClick();
    EXPECT_TRUE(SaverSettings.use_DirectX);
    EXPECT_TRUE(View().modeBoxEnabled);
    EXPECT_EQ(screen.Engine.Width(), 640);
    dialog.CancelClick();
  });
  // Cancel without a state file: the saver screen's destruction stores the
  // saver's sections as the dialog left them, but no SETUP_DIALOG.
  const std::string after = Settings();
  EXPECT_NE(after.find("BitPerPix=16"), std::string::npos);
  EXPECT_NE(after.find("RefreshRate=85"), std::string::npos);
  EXPECT_EQ(after.find("SETUP_DIALOG"), std::string::npos);
}

TEST_F(SetupDialogTest, UncheckingAllColorsAppliesTheEntryAtOnceCheckingWaitsForTheNextPalette) {
  WriteSettings("[SETUP_DIALOG]\nItem=3\n[BASIC_PARAMETERS]\nuse_DirectX=0\n");
  Run([&](SetupDialog& dialog, AboutBox&, SaverScreen& screen) {
    const uint32_t* colors = screen.Engine.ColorTable32().data();
    const auto bankA = [&] { return std::vector<uint32_t>(colors, colors + kPaletteSize); };
    const auto bankB = [&] {
      return std::vector<uint32_t>(colors + kPaletteSize, colors + 2 * kPaletteSize);
    };
    const std::vector<uint32_t> shown = bankA();
    View().allColors = false;
    dialog.All_MaterialsClick();
    EXPECT_EQ(ChosenMaterial, 5) << "Gold";
    EXPECT_FALSE(AllMaterialsShown);
    EXPECT_NE(bankA(), shown);
    EXPECT_EQ(bankA(), bankB()) << "the new colours replace both banks";

    const std::vector<uint32_t> gold = bankA();
    View().allColors = true;
    dialog.All_MaterialsClick();
    EXPECT_TRUE(AllMaterialsShown);
    EXPECT_FALSE(View().materialsEnabled);
    EXPECT_EQ(bankA(), gold);

    View().material = -1;  // nothing selected: the first entry is taken
    View().allColors = false;
    dialog.All_MaterialsClick();
    EXPECT_EQ(View().material, 0);
    EXPECT_EQ(ChosenMaterial, 0);
    EXPECT_NE(bankA(), gold);
  });
}

TEST_F(SetupDialogTest,
       ThePreviewPausesForOtherApplicationsAndTheAboutBoxAndMovesToTheSaverWindow) {
  WriteSettings("[BASIC_PARAMETERS]\nuse_DirectX=0\n");
  Run([&](SetupDialog& dialog, AboutBox& about, SaverScreen& screen) {
    bool done = true;
    dialog.PreviewIdle(done);
    EXPECT_FALSE(done);
    EXPECT_EQ(View().previews, 1);
    EXPECT_EQ(View().previewTarget, (ClientRect{294, 8, 271, 223}));

    dialog.AppDeactivated();
    done = true;
    dialog.PreviewIdle(done);
    EXPECT_TRUE(done) << "a paused preview lets the application wait";
    EXPECT_EQ(View().previews, 1);
    dialog.AppActivated();
    EXPECT_EQ(dialog.previewPaused, 0);
    screen.DisplayPowerChanged(false);
    dialog.PreviewIdle(done);
    EXPECT_TRUE(done) << "nothing is drawn while the display is off";
    screen.DisplayPowerChanged(true);
    EXPECT_EQ(View().previews, 1);

    host->about.linksOpen = false;
    host->about.whileShown = [&] {
      EXPECT_EQ(dialog.previewPaused, 1);
      dialog.AppActivated();
      EXPECT_EQ(dialog.previewPaused, 1) << "the About box keeps it paused";
      about.FormKeyDown(13);
      about.HomePageLinkClick();
      EXPECT_TRUE(Logged(log, "open https://zelk-mirv.example.org/"));
      EXPECT_TRUE(Logged(log, "beep"));
      EXPECT_TRUE(host->about.visible);
      about.FormKeyDown(kEscapeKey);
    };
    dialog.AboutClick();
    EXPECT_FALSE(host->about.visible);
    EXPECT_EQ(dialog.previewPaused, 0);

    dialog.ShowPreviewClick();
    EXPECT_EQ(PreviewFromSetup, 1);
    EXPECT_EQ(screen.ActivationPending, 1);
    EXPECT_TRUE(Logged(log, "maximised on top"));
    screen.FormActivate();
    dialog.PreviewIdle(done);
    EXPECT_EQ(host->window.paints, 1);
    EXPECT_EQ(View().previews, 1);
    dialog.AppDeactivated();
    EXPECT_EQ(dialog.previewPaused, 0) << "the saver window has the focus";
    host->window.covered = true;
    dialog.PreviewIdle(done);
    EXPECT_EQ(host->window.paints, 1) << "nobody sees a covered saver window";
    host->window.covered = false;
    screen.FormKeyDown();
    EXPECT_EQ(PreviewFromSetup, 0);
    host->window.visible = false;  // the window closes, which only hides it
    dialog.PreviewIdle(done);
    EXPECT_EQ(View().previews, 2);

    dialog.CancelClick();
    EXPECT_TRUE(View().closed);
    EXPECT_EQ(dialog.previewPaused, 1);
  });
}

TEST_F(SetupDialogTest, AStillPreviewIsDrawnOnceWhereItShowsAndAgainWhenLostOrChanged) {
  WriteSettings("[BASIC_PARAMETERS]\nuse_DirectX=0\nSHAPE_SPEED=0\n");
  Run([&](SetupDialog& dialog, AboutBox&, SaverScreen& screen) {
    const double phase = screen.Engine.Phase();
    bool done = true;
    dialog.PreviewIdle(done);
    dialog.PreviewIdle(done);
    EXPECT_EQ(View().previews, 1);
    done = true;
    dialog.PreviewIdle(done);
    EXPECT_TRUE(done) << "nothing changes, so the application waits";
    dialog.PreviewLost();
    dialog.PreviewIdle(done);
    EXPECT_EQ(View().previews, 2);
    dialog.ShowPreviewClick();
    screen.FormActivate();
    dialog.PreviewIdle(done);
    dialog.PreviewIdle(done);
    EXPECT_EQ(host->window.paints, 1) << "once in the saver window too";
    EXPECT_EQ(screen.Engine.Phase(), phase);
    SaverSettings.SHAPE_SPEED = 0.5;
    dialog.PreviewIdle(done);
    dialog.PreviewIdle(done);
    EXPECT_EQ(host->window.paints, 3) << "a moving picture is drawn on every pass";
    dialog.CancelClick();
  });
}

TEST_F(SetupDialogTest, OkStoresTheDialogsSectionFirstAndALaterCancelStoresNothing) {
  display.available = false;
  Run([&](SetupDialog& dialog, AboutBox&, SaverScreen& screen) {
    View().allColors = false;
    dialog.All_MaterialsClick();
    View().material = 3;
    dialog.MaterialsClick();
    View().speed = 20;
    dialog.ShapeSpeedChange();
    screen.StateChanged = 1;
    dialog.OkClick();
    EXPECT_TRUE(View().closed);
    EXPECT_EQ(screen.StateChanged, 0);
  });
  const std::string stored = Settings();
  std::string lines = stored;
  std::erase(lines, '\r');  // Windows ends the lines it writes with CR LF
  EXPECT_EQ(lines.rfind("[SETUP_DIALOG]", 0), 0u);
  for (const char* line : {"ShapeSpeed=20", "UseDirectX=0", "Item=3", "All_Materials=0",
                           "SHAPE_SPEED=2\n", "Pattern=5", "Show_All=0"}) {
    EXPECT_NE(lines.find(line), std::string::npos) << line;
  }
  EXPECT_LT(lines.find("[BASIC_PARAMETERS]"), lines.find("[PATTERNS]"));
  const std::string state = ReadBytes(files.state);
  EXPECT_FALSE(state.empty());

  Run([&](SetupDialog& dialog, AboutBox&, SaverScreen&) {
    EXPECT_EQ(View().speed, 20);
    View().speed = 3;
    dialog.ShapeSpeedChange();
    dialog.CancelClick();
  });
  EXPECT_EQ(Settings(), stored);
  EXPECT_EQ(ReadBytes(files.state), state);
}

// A stored limit that no entry names shows none and survives an Ok; a chosen
// one is stored in its own section.
TEST_F(SetupDialogTest, FramesDropDownShowsTheStoredLimitAndStoresAChoice) {
  WriteSettings("[BASIC_PARAMETERS]\nuse_DirectX=0\n[FRAMES]\nMax_FPS=75\n");
  Run([&](SetupDialog& dialog, AboutBox&, SaverScreen&) {
    EXPECT_EQ(View().frames, -1);
    dialog.OkClick();
  });
  EXPECT_NE(Settings().find("Max_FPS=75"), std::string::npos) << Settings();
  Run([&](SetupDialog& dialog, AboutBox&, SaverScreen&) {
    View().frames = 3;
    dialog.FramesChange();
    dialog.OkClick();
  });
  EXPECT_NE(Settings().find("[FRAMES]\nMax_FPS=30\n"), std::string::npos) << Settings();
  Run([&](SetupDialog&, AboutBox&, SaverScreen&) { EXPECT_EQ(View().frames, 3); });
  EXPECT_EQ(FrameLimitEntryCaption(0), "display");
  EXPECT_EQ(FrameLimitOfEntry(0), 0);
}

// An unknown stored layout shows as "primary" and survives an Ok that does
// not touch the drop-down; a chosen one is stored; "Use DirectX" disables it.
TEST_F(SetupDialogTest, MonitorsDropDownKeepsAnUnknownLayoutStoresAChoiceAndFollowsDirectX) {
  WriteSettings("[BASIC_PARAMETERS]\nuse_DirectX=0\n[MONITORS]\nLayout=four\n");
  Run([&](SetupDialog& dialog, AboutBox&, SaverScreen&) {
    EXPECT_EQ(View().monitors, 0);
    EXPECT_TRUE(View().monitorsEnabled);
    dialog.OkClick();
  });
  EXPECT_NE(Settings().find("Layout=four"), std::string::npos) << Settings();
  Run([&](SetupDialog& dialog, AboutBox&, SaverScreen&) {
    View().monitors = 2;
    dialog.MonitorsChange();
    View().useDirectX = true;
    dialog.UseDirectXClick();
    EXPECT_FALSE(View().monitorsEnabled);
    dialog.OkClick();
  });
  EXPECT_NE(Settings().find("Layout=span"), std::string::npos) << Settings();
  Run([&](SetupDialog&, AboutBox&, SaverScreen&) {
    EXPECT_EQ(View().monitors, 2);
    EXPECT_FALSE(View().monitorsEnabled);
  });
}

TEST_F(SetupDialogTest, ASettingsFileThatCannotBeWrittenIsReportedAndTheDialogStaysOpen) {
  testing::WriteBytes(dir.File("plain"), "a file, not a directory");
  files.settings = dir.File("plain/zelk_mirv.ini");
  Run([&](SetupDialog& dialog, AboutBox&, SaverScreen&) {
    dialog.OkClick();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const std::string& entry) {
      return entry.starts_with("error: Unable to write to " + files.settings + ": ");
    }));
    EXPECT_FALSE(View().closed);
    bool done = true;
    dialog.PreviewIdle(done);
    EXPECT_FALSE(done) << "the preview goes on";
    dialog.CancelClick();
  });
  EXPECT_TRUE(std::filesystem::exists(files.state));
}

}  // namespace
}  // namespace zm
