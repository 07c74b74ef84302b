#include "settings/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "materials/material_choice.h"
#include "settings/atomic_file.h"
#include "settings/ini_file.h"
#include "settings/monitor_layout.h"
#include "settings/saver_settings.h"
#include "settings/settings_listing.h"
#include "settings/settings_write_error.h"
#include "settings/setup_dialog_section.h"
#include "temp_directory.h"

namespace zm {
namespace {

using testing::ReadBytes;
using testing::TempDirectory;
using testing::WriteBytes;

// A file the saver creates ends its lines the platform's way.
std::string NativeLines(std::string text) {
#ifdef _WIN32
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) {
    text.insert(at, 1, '\r');
  }
#endif
  return text;
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetState(); }
  void TearDown() override {
    SetWriteFailureAfterForTesting(-1);
    ResetState();
  }

  static void ResetState() {
    SaverSettings = SaverSettingsRecord();
    ChosenMaterial = 0;
    AllMaterialsShown = true;
  }

  std::string Exe() const { return dir_.File("Zelk_Mirv.scr"); }
  std::string Ini() const { return dir_.File("zelk_mirv.ini"); }

  void LoadFrom(const std::string& contents) {
    WriteBytes(Ini(), contents);
    LoadSettings(Exe());
  }

  TempDirectory dir_;
};

TEST_F(SettingsFileTest, MissingFileOrSectionGivesDefaults) {
  for (const char* contents : {static_cast<const char*>(nullptr), "", "[OTHER]\nHeight=1\n"}) {
    ResetState();
    if (contents != nullptr) WriteBytes(Ini(), contents);
    LoadSettings(Exe());
    EXPECT_EQ(SaverSettings.PATTERN_MODE, 1);
    EXPECT_EQ(SaverSettings.SHAPE_SPEED, 1.7);
    EXPECT_TRUE(SaverSettings.use_DirectX);
    EXPECT_EQ(SaverSettings.Mode, (DisplayMode{480, 640, 0, 32}));
    EXPECT_EQ(ChosenMaterial, 0);
    EXPECT_TRUE(AllMaterialsShown);
    if (contents == nullptr) {
      EXPECT_FALSE(std::filesystem::exists(Ini()));  // reading never writes
    }
  }
}

TEST_F(SettingsFileTest, UnreadableValuesGiveDefaults) {
  LoadFrom(
      "[BASIC_PARAMETERS]\nSHAPE_SPEED=fast\nuse_DirectX=yes\nWidth=0x280\nHeight=\n"
      "BitPerPix=16 bits\n[PATTERNS]\nPattern=seven\nShow_All=maybe\n");
  EXPECT_EQ(SaverSettings.SHAPE_SPEED, 1.7);
  EXPECT_TRUE(SaverSettings.use_DirectX);
  EXPECT_EQ(SaverSettings.Mode.Width, 640);
  EXPECT_EQ(SaverSettings.Mode.Height, 480);
  EXPECT_EQ(SaverSettings.Mode.BitPerPix, 32);
  EXPECT_EQ(ChosenMaterial, 0);
  EXPECT_TRUE(AllMaterialsShown);
}

TEST_F(SettingsFileTest, BoolsAreNonZeroIntegers) {
  LoadFrom("[BASIC_PARAMETERS]\nuse_DirectX=5\n[PATTERNS]\nShow_All=0\n");
  EXPECT_TRUE(SaverSettings.use_DirectX);
  EXPECT_FALSE(AllMaterialsShown);
  LoadFrom("[BASIC_PARAMETERS]\nuse_DirectX=0\n[PATTERNS]\nShow_All=-1\n");
  EXPECT_FALSE(SaverSettings.use_DirectX);
  EXPECT_TRUE(AllMaterialsShown);
}

TEST_F(SettingsFileTest, NamesMatchWithoutRegardToCase) {
  LoadFrom(
      "[basic_parameters]\nshape_speed=0.5\nUSE_DIRECTX=0\nheight=600\nWIDTH=800\n"
      "[Patterns]\npattern=3\nshow_all=0\n");
  EXPECT_EQ(SaverSettings.SHAPE_SPEED, 0.5);
  EXPECT_FALSE(SaverSettings.use_DirectX);
  EXPECT_EQ(SaverSettings.Mode.Height, 600);
  EXPECT_EQ(SaverSettings.Mode.Width, 800);
  EXPECT_EQ(ChosenMaterial, 3);
  EXPECT_FALSE(AllMaterialsShown);
}

TEST_F(SettingsFileTest, EightBitValuesKeepTheirLowBitsAndAreWrittenSigned) {
  LoadFrom("[BASIC_PARAMETERS]\nPATTERN_MODE=300\n[PATTERNS]\nPattern=200\n");
  EXPECT_EQ(SaverSettings.PATTERN_MODE, 44);
  EXPECT_EQ(ChosenMaterial, -56);
  SaveSettings(Exe());
  std::string text = ReadBytes(Ini());
  EXPECT_NE(text.find("PATTERN_MODE=44\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Pattern=-56\n"), std::string::npos) << text;

  LoadFrom("[BASIC_PARAMETERS]\nPATTERN_MODE=200\n");
  EXPECT_EQ(SaverSettings.PATTERN_MODE, -56);
  SaveSettings(Exe());
  text = ReadBytes(Ini());
  EXPECT_NE(text.find("PATTERN_MODE=-56\n"), std::string::npos) << text;
}

TEST_F(SettingsFileTest, NewFileHoldsTheKeysInRecordOrder) {
  SaverSettings.PATTERN_MODE = -3;
  SaverSettings.SHAPE_SPEED = 0.1;
  SaverSettings.use_DirectX = true;
  SaverSettings.Mode = DisplayMode{768, 1024, 60, 16};
  ChosenMaterial = 5;
  AllMaterialsShown = false;
  SaveSettings(Exe());
  EXPECT_EQ(ReadBytes(Ini()),
            NativeLines(
                "[BASIC_PARAMETERS]\nPATTERN_MODE=-3\nSHAPE_SPEED=0.1\nuse_DirectX=1\nHeight=768\n"
                "Width=1024\nRefreshRate=60\nBitPerPix=16\n\n[PATTERNS]\nPattern=5\nShow_All=0\n"
                "\n[MONITORS]\nLayout=primary\n"));
}

TEST_F(SettingsFileTest, ValuesRoundTrip) {
  for (double speed : {1.7, 0.1, 2.0, 0.0}) {
    SaverSettings.SHAPE_SPEED = speed;
    SaverSettings.Mode = DisplayMode{-1, -2147483647 - 1, -60, 24};
    ChosenMaterial = -128;
    SaveSettings(Exe());
    ResetState();
    LoadSettings(Exe());
    EXPECT_EQ(SaverSettings.SHAPE_SPEED, speed);
    EXPECT_EQ(SaverSettings.Mode, (DisplayMode{-1, -2147483647 - 1, -60, 24}));
    EXPECT_EQ(ChosenMaterial, -128);
  }
}

TEST_F(SettingsFileTest, SaveKeepsEverythingElseInTheFile) {
  const std::string before =
      "; written by hand\r\n[BASIC_PARAMETERS]\r\n  height = 600 ; tall\r\nCustom=keep me\r\n"
      "\r\n[SETUP_DIALOG]\r\nShapeSpeed=12\r\n[Other]\r\nx=y";
  WriteBytes(Ini(), before);
  SaverSettings.Mode.Height = 1200;
  SaveSettings(Exe());
  EXPECT_EQ(ReadBytes(Ini()),
            "; written by hand\r\n[BASIC_PARAMETERS]\r\n  height = 1200\r\nCustom=keep me\r\n"
            "PATTERN_MODE=0\r\nSHAPE_SPEED=1\r\nuse_DirectX=0\r\nWidth=640\r\nRefreshRate=0\r\n"
            "BitPerPix=8\r\n\r\n[SETUP_DIALOG]\r\nShapeSpeed=12\r\n[Other]\r\nx=y\r\n"
            "\r\n[PATTERNS]\r\nPattern=0\r\nShow_All=1\r\n\r\n[MONITORS]\r\nLayout=primary\r\n");
}

TEST_F(SettingsFileTest, DialogSectionSharesTheFileAndComesFirstWhenItCreatesIt) {
  SetupDialogSection dialog;
  dialog.ShapeSpeed = 12;
  dialog.UseDirectX = true;
  dialog.Item = -1;
  dialog.All_Materials = false;
  dialog.Save(Exe());
  SaveSettings(Exe());
  const std::string text = ReadBytes(Ini());
  EXPECT_EQ(text.rfind(NativeLines("[SETUP_DIALOG]\nShapeSpeed=12\nUseDirectX=1\nItem=-1\n"
                                   "All_Materials=0\n\n[BASIC_PARAMETERS]\n"),
                       0),
            0u)
      << text;
  EXPECT_LT(text.find("[BASIC_PARAMETERS]"), text.find("[PATTERNS]"));

  SetupDialogSection read;
  read.Load(Exe());
  EXPECT_EQ(read.ShapeSpeed, 12);
  EXPECT_FALSE(read.UseDirectX);  // never read back
  EXPECT_EQ(read.Item, -1);
  EXPECT_FALSE(read.All_Materials);
}

TEST_F(SettingsFileTest, DialogSectionDefaults) {
  SetupDialogSection read;
  read.ShapeSpeed = 3;
  read.Item = 4;
  read.All_Materials = false;
  read.Load(Exe());
  EXPECT_EQ(read.ShapeSpeed, 17);
  EXPECT_EQ(read.Item, 0);
  EXPECT_TRUE(read.All_Materials);
}

TEST_F(SettingsFileTest, UnwritableFileRaisesTheMessageWithTheFullPath) {
  WriteBytes(dir_.File("plain"), "a file, not a directory");
  for (const std::string& exe :
       {dir_.File("missing/Zelk_Mirv.scr"), dir_.File("plain/Zelk_Mirv.scr")}) {
    const std::string ini = exe.substr(0, exe.size() - 13) + "zelk_mirv.ini";
    try {
      SaveSettings(exe);
      ADD_FAILURE() << "no error for " << exe;
    } catch (const SettingsWriteError& error) {
      EXPECT_TRUE(std::string(error.what()).starts_with("Unable to write to " + ini + ": "))
          << error.what();
      EXPECT_EQ(error.path(), ini);
    }
  }
  EXPECT_THROW(SetupDialogSection().Save(dir_.File("missing/Zelk_Mirv.scr")), SettingsWriteError);
}

TEST_F(SettingsFileTest, FileThatCannotBeReadGivesDefaultsAndIsNeverReplaced) {
#ifndef _WIN32
  ASSERT_EQ(::mkfifo(Ini().c_str(), 0644), 0);  // opening it for reading would block
  SaverSettings.Mode.Height = 1;
  LoadSettings(Exe());
  EXPECT_EQ(SaverSettings.Mode.Height, 480);
  EXPECT_THROW(SaveSettings(Exe()), SettingsWriteError);
  EXPECT_TRUE(std::filesystem::is_fifo(Ini()));
  std::filesystem::remove(Ini());
#endif

  std::string large = "[BASIC_PARAMETERS]\nHeight=600\n";
  large.resize(kMaxIniFileBytes, '\n');
  LoadFrom(large);
  EXPECT_EQ(SaverSettings.Mode.Height, 600);  // exactly the limit is still read
  LoadFrom(large + "\n");
  EXPECT_EQ(SaverSettings.Mode.Height, 480);
  try {
    SaveSettings(Exe());
    ADD_FAILURE() << "a file over the limit was replaced";
  } catch (const SettingsWriteError& error) {
    EXPECT_NE(std::string(error.what()).find("larger than 1 MiB"), std::string::npos)
        << error.what();
  }
  EXPECT_EQ(ReadBytes(Ini()), large + "\n");
}

TEST_F(SettingsFileTest, ARunStoresOnlyWhatItChangedAndWhatTheFileLacks) {
  LoadFrom("[BASIC_PARAMETERS]\nSHAPE_SPEED=fast\nHeight=600\n[MINE]\nkeep=1\n");
  const std::vector<SettingsKey> asRead = CurrentSettingsKeys();
  // Meanwhile someone else stores other values.
  WriteBytes(Ini(), "[BASIC_PARAMETERS]\nSHAPE_SPEED=0.3\nHeight=600\nWidth=800\n[MINE]\nkeep=1\n");
  SaverSettings.Mode.Height = 768;  // the run's own change
  SaveChangedSettingsFile(Ini(), asRead);
  const std::string text = ReadBytes(Ini());
  EXPECT_EQ(text.rfind("[BASIC_PARAMETERS]\nSHAPE_SPEED=0.3\nHeight=768\nWidth=800\n", 0), 0u)
      << text;
  // What the file did not hold is added, as a first run's file has it all.
  EXPECT_NE(text.find("PATTERN_MODE=1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[PATTERNS]\nPattern=0\nShow_All=1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[MINE]\nkeep=1\n"), std::string::npos) << text;

  // Nothing to change: the file is not written at all, even where it cannot be.
  const std::string before = ReadBytes(Ini());
  LoadSettingsFile(Ini());
  SetWriteFailureAfterForTesting(0);
  EXPECT_NO_THROW(SaveChangedSettingsFile(Ini(), CurrentSettingsKeys()));
  SetWriteFailureAfterForTesting(-1);
  EXPECT_EQ(ReadBytes(Ini()), before);
}

TEST_F(SettingsFileTest, ByteOrderMarkAndLoneCarriageReturnsAreRead) {
  LoadFrom("\xEF\xBB\xBF[BASIC_PARAMETERS]\rHeight=600\rWidth=800");
  EXPECT_EQ(SaverSettings.Mode.Height, 600);
  EXPECT_EQ(SaverSettings.Mode.Width, 800);
  SaveSettings(Exe());
  const std::string text = ReadBytes(Ini());
  EXPECT_EQ(
      text.rfind("\xEF\xBB\xBF[BASIC_PARAMETERS]\rHeight=600\rWidth=800\rPATTERN_MODE=1\r", 0), 0u)
      << text;
  EXPECT_EQ(text.find('\n'), std::string::npos) << text;
  EXPECT_NE(text.find("\r\r[PATTERNS]\rPattern=0\r"), std::string::npos) << text;
}

TEST_F(SettingsFileTest, InterruptedSaveLeavesTheOldFileAndNoTemporaryFile) {
  const std::string before = "[BASIC_PARAMETERS]\nHeight=600\n";
  WriteBytes(Ini(), before);
  SaverSettings.Mode.Height = 1200;
  SetWriteFailureAfterForTesting(10);
  EXPECT_THROW(SaveSettings(Exe()), SettingsWriteError);
  EXPECT_EQ(ReadBytes(Ini()), before);
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST_F(SettingsFileTest, MonitorLayoutIsReadKeptAndOverruledByTheVideoMode) {
  LoadFrom("[BASIC_PARAMETERS]\nuse_DirectX=0\n");
  EXPECT_EQ(SaverSettings.Layout, "primary");  // a file without the section
  LoadFrom("[BASIC_PARAMETERS]\nuse_DirectX=0\n[monitors]\nlayout = Span\n");
  EXPECT_EQ(EffectiveMonitorLayout(SaverSettings), MonitorLayout::kSpan);
  SaverSettings.use_DirectX = true;  // the mode switch changes the primary monitor only
  EXPECT_EQ(EffectiveMonitorLayout(SaverSettings), MonitorLayout::kPrimary);
  // An unknown value counts as "primary" and is written back as it was.
  LoadFrom("[BASIC_PARAMETERS]\nuse_DirectX=0\n[MONITORS]\nLayout=all four\n");
  EXPECT_EQ(EffectiveMonitorLayout(SaverSettings), MonitorLayout::kPrimary);
  SaveSettings(Exe());
  EXPECT_NE(ReadBytes(Ini()).find("[MONITORS]\nLayout=all four\n"), std::string::npos);
}

TEST_F(SettingsFileTest, ListingShowsWhatTheSaverReads) {
  WriteBytes(Ini(),
             "[BASIC_PARAMETERS]\nPATTERN_MODE=300\nSHAPE_SPEED=fast\nuse_DirectX=0\n"
             "Width=0x280\nHeight=1024\n[PATTERNS]\nPattern=7\n");
  SaverSettings.Mode.Height = 123;
  EXPECT_EQ(ListSettingsFile(Ini()),
            "PATTERN_MODE=44\nSHAPE_SPEED=1.7\nuse_DirectX=0\nDirectXPresent=0\nHeight=1024\n"
            "Width=640\nRefreshRate=0\nBitPerPix=32\nPattern=7\nShow_All=1\nLayout=primary\n"
            "Max_FPS=0\nBattery_FPS=30\n");
  EXPECT_EQ(SaverSettings.Mode.Height, 123);  // the program's state is untouched
  EXPECT_EQ(ChosenMaterial, 0);
  EXPECT_EQ(ListSettingsFile(dir_.File("none.ini")),
            "PATTERN_MODE=1\nSHAPE_SPEED=1.7\nuse_DirectX=1\nDirectXPresent=0\nHeight=480\n"
            "Width=640\nRefreshRate=0\nBitPerPix=32\nPattern=0\nShow_All=1\nLayout=primary\n"
            "Max_FPS=0\nBattery_FPS=30\n");
}

TEST_F(SettingsFileTest, FrameLimitsHaveASectionOfTheirOwnThatOnlyANewValueAdds) {
  LoadFrom("[BASIC_PARAMETERS]\nuse_DirectX=0\n");
  EXPECT_EQ(SaverSettings.Max_FPS, 0) << "no section: the display's rate";
  EXPECT_EQ(SaverSettings.Battery_FPS, 30);
  SaveSettings(Exe());
  EXPECT_EQ(ReadBytes(Ini()).find("FRAMES"), std::string::npos) << "defaults add nothing";
  LoadFrom("[FRAMES]\nMax_FPS=-60\nBattery_FPS=half\n");
  EXPECT_EQ(SaverSettings.Max_FPS, 0) << "values no display has read as the defaults";
  EXPECT_EQ(SaverSettings.Battery_FPS, 30);
  LoadFrom("[FRAMES]\nMax_FPS=120\nBattery_FPS=0\n");
  EXPECT_EQ(SaverSettings.Max_FPS, 120);
  EXPECT_EQ(SaverSettings.Battery_FPS, 0);
  SaverSettings.Max_FPS = 0;
  SaveSettings(Exe());
  EXPECT_NE(ReadBytes(Ini()).find("[FRAMES]\nMax_FPS=0\nBattery_FPS=0\n"), std::string::npos)
      << ReadBytes(Ini());
}

}  // namespace
}  // namespace zm
