// File modes as an ordinary user sees them (root would ignore them): the
// settings file is never replaced when the user may not write it or the
// program could not read it, and a replaced file keeps its mode.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "settings/saver_settings.h"
#include "settings/settings_file.h"
#include "settings/settings_write_error.h"
#include "support/run_unprivileged.h"
#include "temp_directory.h"

namespace zm {
namespace {

using testing::CheckList;
using testing::ReadBytes;
using testing::RunUnprivileged;
using testing::WriteBytes;

constexpr char kContents[] = "[BASIC_PARAMETERS]\nHeight=600\n[MINE]\nkeep=1\n";

// Saves the settings into `path`; true when "Unable to write to PATH" came.
bool SaveIsRefused(const std::string& path) {
  try {
    SaveSettingsFile(path);
  } catch (const SettingsWriteError& error) {
    return std::string(error.what()).starts_with("Unable to write to " + path + ": ");
  }
  return false;
}

int EntriesIn(const std::string& directory) {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(directory)) ++count;
  return count;
}

TEST(UnprivilegedWriteTest, SettingsFileIsReplacedOnlyWhenWritableAndRead) {
  const std::string failures = RunUnprivileged([](const std::string& dir) {
    CheckList checks;
    const std::string readOnly = dir + "read_only.ini";
    WriteBytes(readOnly, kContents);
    ::chmod(readOnly.c_str(), 0444);
    checks.Check(SaveIsRefused(readOnly), "a read-only file was replaced");
    checks.Check(ReadBytes(readOnly) == kContents, "the read-only file changed");

    const std::string unreadable = dir + "write_only.ini";
    WriteBytes(unreadable, kContents);
    ::chmod(unreadable.c_str(), 0200);
    SaverSettings = SaverSettingsRecord();
    LoadSettingsFile(unreadable);
    checks.Check(SaverSettings.Mode.Height == 480, "an unreadable file did not give defaults");
    checks.Check(SaveIsRefused(unreadable), "a file that could not be read was replaced");
    ::chmod(unreadable.c_str(), 0600);
    checks.Check(ReadBytes(unreadable) == kContents, "the unreadable file changed");

    const std::string locked = dir + "locked/";
    ::mkdir(locked.c_str(), 0755);
    WriteBytes(locked + "zelk_mirv.ini", kContents);
    ::chmod(locked.c_str(), 0555);
    checks.Check(SaveIsRefused(locked + "zelk_mirv.ini"), "a file in a locked directory changed");
    checks.Check(ReadBytes(locked + "zelk_mirv.ini") == kContents, "the locked file changed");
    checks.Check(EntriesIn(locked) == 1, "a file was left in the locked directory");

    const std::string ownMode = dir + "own_mode.ini";
    WriteBytes(ownMode, kContents);
    ::chmod(ownMode.c_str(), 0640);
    SaveSettingsFile(ownMode);
    struct stat status;
    checks.Check(::stat(ownMode.c_str(), &status) == 0 && (status.st_mode & 07777) == 0640,
                 "the replaced file lost its mode");
    checks.Check(ReadBytes(ownMode).find("keep=1") != std::string::npos, "a section was lost");
    checks.Check(EntriesIn(dir) == 4, "a temporary file was left behind");
    return checks.Failures();
  });
  EXPECT_EQ(failures, "");
}

}  // namespace
}  // namespace zm
