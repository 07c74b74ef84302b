#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/posix/file_watch_posix.h"
#include "platform/posix/standard_error_posix.h"
#include "settings/temp_directory.h"

namespace zm {
namespace {

TEST(PrintableTextTest, EscapesWhatCouldMoveTheTerminalAndKeepsUtf8) {
  EXPECT_EQ(PrintableText("HDMI-A-1 Gr\xC3\xB6\xC3\x9F"
                          "e \xE2\x82\xAC"),
            "HDMI-A-1 Gr\xC3\xB6\xC3\x9F"
            "e \xE2\x82\xAC");
  EXPECT_EQ(PrintableText("a\x1B[2Jb\tc\x7F"), "a\\x1b[2Jb\\x09c\\x7f");
  // Invalid UTF-8: a lone continuation byte, a cut sequence, an overlong
  // form, a surrogate, and a C1 control.
  EXPECT_EQ(PrintableText("\x80|\xE2\x82|\xC0\xAF|\xED\xA0\x80|\xC2\x9B"),
            "\\x80|\\xe2\\x82|\\xc0\\xaf|\\xed\\xa0\\x80|\\xc2\\x9b");
}

TEST(FileWatchPosixTest, TellsOfAFileReplacedWrittenOrRemovedAndOfNothingElse) {
  testing::TempDirectory dir;
  const std::string path = dir.File("zelk_mirv.ini");
  testing::WriteBytes(path, "[A]\n");
  FileWatchPosix watch(path);
  ASSERT_GE(watch.Fd(), 0);
  EXPECT_FALSE(watch.TakeChange());
  testing::WriteBytes(dir.File("other.ini"), "x");
  EXPECT_FALSE(watch.TakeChange()) << "another file of the folder";
  testing::WriteBytes(dir.File("zelk_mirv.ini.new"), "[B]\n");
  std::filesystem::rename(dir.File("zelk_mirv.ini.new"), path);
  EXPECT_TRUE(watch.TakeChange()) << "a save renames a new file over the old one";
  EXPECT_FALSE(watch.TakeChange());
  testing::WriteBytes(path, "[C]\n");
  EXPECT_TRUE(watch.TakeChange());
  std::filesystem::remove(path);
  EXPECT_TRUE(watch.TakeChange());
}

}  // namespace
}  // namespace zm
