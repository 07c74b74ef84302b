#include "settings/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "temp_directory.h"

namespace zm {
namespace {

using testing::ReadBytes;
using testing::TempDirectory;
using testing::WriteBytes;

class AtomicFileTest : public ::testing::Test {
 protected:
  void TearDown() override { SetWriteFailureAfterForTesting(-1); }

  // Only the given file is left in the directory: no temporary file.
  void ExpectOnlyFile(const std::string& path) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      EXPECT_EQ(entry.path(), std::filesystem::path(path));  // either separator
      ++count;
    }
    EXPECT_EQ(count, 1);
  }

  TempDirectory dir_;
};

TEST_F(AtomicFileTest, CreatesAndReplacesFiles) {
  const std::string path = dir_.File("state.par");
  ASSERT_TRUE(WriteFileAtomically(path, std::string("first\0long", 10)));
  EXPECT_EQ(ReadBytes(path), std::string("first\0long", 10));
  ASSERT_TRUE(WriteFileAtomically(path, "2nd"));
  EXPECT_EQ(ReadBytes(path), "2nd");
  ASSERT_TRUE(WriteFileAtomically(path, ""));
  EXPECT_EQ(ReadBytes(path), "");
  ExpectOnlyFile(path);
}

TEST_F(AtomicFileTest, InterruptedWriteKeepsTheOldFile) {
  const std::string path = dir_.File("state.par");
  WriteBytes(path, "old contents");
  SetWriteFailureAfterForTesting(3);
  EXPECT_FALSE(WriteFileAtomically(path, "new contents"));
  EXPECT_FALSE(WriteFileAtomically(path, "more"));  // the limit holds until reset
  EXPECT_EQ(ReadBytes(path), "old contents");
  ExpectOnlyFile(path);
  SetWriteFailureAfterForTesting(0);
  EXPECT_FALSE(WriteFileAtomically(path, "x"));
  EXPECT_TRUE(WriteFileAtomically(path, ""));  // nothing to write needs no room
  SetWriteFailureAfterForTesting(-1);
  EXPECT_TRUE(WriteFileAtomically(path, "new contents"));
  EXPECT_EQ(ReadBytes(path), "new contents");
}

TEST_F(AtomicFileTest, WriteWithinTheLimitSucceeds) {
  const std::string path = dir_.File("f");
  SetWriteFailureAfterForTesting(5);
  EXPECT_TRUE(WriteFileAtomically(path, "12345"));
  EXPECT_FALSE(WriteFileAtomically(path, "123456"));
  EXPECT_EQ(ReadBytes(path), "12345");
}

TEST_F(AtomicFileTest, FailsWhereNoFileCanBeMadeAndSaysWhy) {
  std::string reason;
  EXPECT_FALSE(WriteFileAtomically(dir_.File("missing/f"), "x", &reason));
  // The system's own words for a missing directory.
#ifdef _WIN32
  EXPECT_EQ(reason, "Path not found");
#else
  EXPECT_EQ(reason, "No such file or directory");
#endif
  WriteBytes(dir_.File("plain"), "a file, not a directory");
  EXPECT_FALSE(WriteFileAtomically(dir_.File("plain/f"), "x"));
  ExpectOnlyFile(dir_.File("plain"));
}

// What lies at the target decides: a link is written through, anything that
// is not a regular file, or a read-only file, is left alone; a replaced file
// keeps its permissions. A link planted where the old fixed temporary name
// was changes nothing.
// Symbolic links, FIFOs and POSIX modes: a Linux matter.
#ifndef _WIN32
TEST_F(AtomicFileTest, WritesThroughLinksAndOnlyOverRegularFilesItMayWrite) {
  namespace fs = std::filesystem;
  const std::string real = dir_.File("real.ini");
  WriteBytes(real, "old");
  fs::create_directory(dir_.File("sub"));
  fs::create_symlink("../real.ini", dir_.File("sub/relative"));
  fs::create_symlink(dir_.File("sub/relative"), dir_.File("chain"));
  ASSERT_TRUE(WriteFileAtomically(dir_.File("chain"), "through two links"));
  EXPECT_TRUE(fs::is_symlink(dir_.File("chain")));
  EXPECT_TRUE(fs::is_symlink(dir_.File("sub/relative")));
  EXPECT_EQ(ReadBytes(real), "through two links");

  const std::string victim = dir_.File("victim");
  WriteBytes(victim, "untouched");
  fs::create_symlink(victim, real + ".new");
  ASSERT_TRUE(WriteFileAtomically(real, "new"));
  EXPECT_EQ(ReadBytes(real), "new");
  EXPECT_EQ(ReadBytes(victim), "untouched");

  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(WriteFileAtomically(real, "kept mode"));
  EXPECT_EQ(fs::status(real).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  fs::permissions(real, fs::perms::owner_read | fs::perms::group_read);
  std::string reason;
  EXPECT_FALSE(WriteFileAtomically(real, "read-only", &reason));
  EXPECT_EQ(reason, "Permission denied");
  EXPECT_EQ(ReadBytes(real), "kept mode");

  ASSERT_EQ(::mkfifo(dir_.File("fifo").c_str(), 0644), 0);
  EXPECT_FALSE(WriteFileAtomically(dir_.File("fifo"), "x", &reason));
  EXPECT_EQ(reason, "not a regular file");
  EXPECT_TRUE(fs::is_fifo(dir_.File("fifo")));
  fs::create_symlink(dir_.File("fifo"), dir_.File("to_fifo"));
  EXPECT_FALSE(WriteFileAtomically(dir_.File("to_fifo"), "x"));
  EXPECT_FALSE(WriteFileAtomically(dir_.File("sub"), "x"));
  EXPECT_TRUE(fs::is_fifo(dir_.File("fifo")));
  EXPECT_TRUE(fs::is_directory(dir_.File("sub")));

  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::recursive_directory_iterator(dir_.path()))
    ++entries;
  EXPECT_EQ(entries, 8);  // no temporary file left anywhere
}
#endif

}  // namespace
}  // namespace zm

namespace zm {
namespace {

// Only the write's own leftovers go: its exact naming pattern, regular files,
// and only those older than the run.
TEST(StaleTemporaries, OnlyOurOwnOlderThanTheRunAreRemoved) {
  testing::TempDirectory dir;
  const std::string path = dir.File("Zelk_Mirv.par");
  testing::WriteBytes(path, "state");
  const std::vector<std::string> ours = {"Zelk_Mirv.par.0123456789abcdef.tmp",
                                         "Zelk_Mirv.par.ffffffffffffffff.tmp"};
  const std::vector<std::string> others = {
      "Zelk_Mirv.par.0123456789abcdeg.tmp", "Zelk_Mirv.par.0123456789abcde.tmp",
      "Zelk_Mirv.par.ABCDEF0123456789.tmp", "zelk_mirv.ini.0123456789abcdef.tmp",
      "Other.par.0123456789abcdef.tmp",     "Zelk_Mirv.par.0123456789abcdef.tmp.x"};
  for (const std::string& name : ours) testing::WriteBytes(dir.File(name), "torn");
  for (const std::string& name : others) testing::WriteBytes(dir.File(name), "keep");
  std::filesystem::create_directory(dir.File("Zelk_Mirv.par.aaaaaaaaaaaaaaaa.tmp"));

  const int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
  // Written during this run (as by another run writing now): kept.
  EXPECT_EQ(RemoveStaleTemporaries(path, now - 3600), 0);
  EXPECT_EQ(RemoveStaleTemporaries(path, now + 3600), 2);
  for (const std::string& name : ours) EXPECT_FALSE(std::filesystem::exists(dir.File(name)));
  for (const std::string& name : others) EXPECT_TRUE(std::filesystem::exists(dir.File(name)));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("Zelk_Mirv.par.aaaaaaaaaaaaaaaa.tmp")));
  EXPECT_EQ(testing::ReadBytes(path), "state");
}

}  // namespace
}  // namespace zm
