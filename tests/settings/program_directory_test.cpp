#include "settings/program_directory.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "settings/settings_paths.h"

namespace zm {
namespace {

TEST(ProgramDirectoryTest, KeepsEverythingUpToTheLastSeparatorWithItsCase) {
  EXPECT_EQ(ProgramDirectory("C:\\WINDOWS\\SYSTEM\\Zelk_Mirv.scr"), "C:\\WINDOWS\\SYSTEM\\");
  EXPECT_EQ(ProgramDirectory("C:\\WINDOWS\\SYSTEM\\ZELK_M~1.SCR"), "C:\\WINDOWS\\SYSTEM\\");
  EXPECT_EQ(ProgramDirectory("/home/Ann/Savers/zelk-mirv"), "/home/Ann/Savers/");
  EXPECT_EQ(ProgramDirectory("C:/Mixed\\Sep/x.scr"), "C:/Mixed\\Sep/");
}

TEST(ProgramDirectoryTest, NameOfExecutableOrDirectoryDoesNotMatter) {
  EXPECT_EQ(ProgramDirectory("D:\\zelkstuff\\Zelk_Mirv.scr"), "D:\\zelkstuff\\");
  EXPECT_EQ(ProgramDirectory("C:\\Savers\\Weave.scr"), "C:\\Savers\\");
  EXPECT_EQ(ProgramDirectory("/opt/zelk_mirv.scr/bin/run"), "/opt/zelk_mirv.scr/bin/");
}

TEST(ProgramDirectoryTest, PathWithoutSeparatorGivesCurrentDirectory) {
  EXPECT_EQ(ProgramDirectory("Zelk_Mirv.scr"), "");
  EXPECT_EQ(ProgramDirectory(""), "");
  EXPECT_EQ(ProgramDirectory("/"), "/");
}

TEST(SettingsPathsTest, FilesLieInTheProgramDirectory) {
  const std::string directory = ProgramDirectory("C:\\Savers\\Weave.scr");
  EXPECT_EQ(SettingsFilePath(directory), "C:\\Savers\\zelk_mirv.ini");
  EXPECT_EQ(PatternStateFilePath(directory), "C:\\Savers\\Zelk_Mirv.par");
  // The dialog's section shares the settings file, also where case matters.
  EXPECT_EQ(SetupDialogFilePath(directory), SettingsFilePath(directory));
  // Other monitors' patterns lie beside it, under names safe on every system.
  EXPECT_EQ(MonitorStateFilePath(PatternStateFilePath(directory), "\\\\.\\DISPLAY2"),
            "C:\\Savers\\Zelk_Mirv-DISPLAY2.par");
  EXPECT_EQ(MonitorStateFilePath("Zelk_Mirv.par", "DP-2"), "Zelk_Mirv-DP-2.par");
  // Names that would meet once their characters are replaced, or cut, keep
  // files of their own, of a length every file system takes.
  std::set<std::string> paths;
  const std::string longName(300, 'M');
  const std::vector<std::string> names = {"A:1",    "A.1", "A/1",     "A_1",    "//",
                                          "../x:y", "",    "monitor", longName, longName + "2"};
  for (const std::string& name : names) {
    const std::string path = MonitorStateFilePath("Zelk_Mirv.par", name);
    EXPECT_TRUE(paths.insert(path).second) << name << " shares " << path;
    EXPECT_LT(path.size(), 100u) << path;
    EXPECT_EQ(path.find_first_of("/:\\."), path.size() - 4) << path;
  }
}

}  // namespace
}  // namespace zm
