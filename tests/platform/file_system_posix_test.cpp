#include "platform/posix/file_system_posix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/run_unprivileged.h"

namespace zm {
namespace {

namespace fs = std::filesystem;

class PosixFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("zm_posix_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string File(const std::string& name) const { return (dir_ / name).string(); }

  FileSystemPosix files_;
  fs::path dir_;
};

TEST_F(PosixFileSystemTest, ReadsOnlyRegularFilesWithinTheLimit) {
  std::ofstream(File("four")) << "1234";
  EXPECT_EQ(files_.ReadFile(File("four"), 4).bytes, "1234");
  EXPECT_EQ(files_.ReadFile(File("four"), 3).status, ReadStatus::kTooLarge);
  EXPECT_EQ(files_.ReadFile(File("none"), 4).status, ReadStatus::kMissing);
  ASSERT_EQ(::mkfifo(File("fifo").c_str(), 0644), 0);  // opening it would block
  EXPECT_EQ(files_.ReadFile(File("fifo"), 4).status, ReadStatus::kNotRegular);
  EXPECT_EQ(files_.ReadFile(dir_.string(), 4).status, ReadStatus::kNotRegular);
  EXPECT_EQ(files_.KindOf(File("fifo")), FileKind::kOther);

  fs::create_symlink("loop_b", File("loop_a"));
  fs::create_symlink("loop_a", File("loop_b"));
  EXPECT_EQ(files_.ResolveLinks(File("loop_a")), std::nullopt);
  EXPECT_EQ(files_.LastError(), "Too many levels of symbolic links");
}

TEST_F(PosixFileSystemTest, UniqueFilesAreNewEachTime) {
  auto first = files_.CreateUniqueFile(File("target"));
  auto second = files_.CreateUniqueFile(File("target"));
  ASSERT_TRUE(first && second);
  EXPECT_NE(first->Path(), second->Path());
  EXPECT_EQ(fs::path(first->Path()).parent_path(), dir_);
  EXPECT_TRUE(first->Write("one") && first->SyncAndClose());
  EXPECT_EQ(files_.ReadFile(first->Path(), 10).bytes, "one");
  EXPECT_EQ(files_.CreateUniqueFile(File("missing/target")), nullptr);
}

// Where a program may keep its files: checked as an ordinary user, since
// root may write anywhere.
TEST_F(PosixFileSystemTest, FindsAndMakesWritableDirectories) {
  const std::string failures = testing::RunUnprivileged([](const std::string& dir) {
    testing::CheckList checks;
    FileSystemPosix files;
    checks.Check(files.IsWritableDirectory(dir), "own directory not writable");
    checks.Check(files.CreateDirectories(dir + "a/b/c"), "cannot create a/b/c");
    checks.Check(files.IsWritableDirectory(dir + "a/b/c"), "a/b/c not writable");
    checks.Check(files.CreateDirectories(dir + "a/b/c/"), "an existing path failed");
    ::chmod((dir + "a").c_str(), 0555);
    checks.Check(!files.IsWritableDirectory(dir + "a"), "a locked directory looked writable");
    checks.Check(!files.CreateDirectories(dir + "a/new"), "created inside a locked directory");
    checks.Check(files.LastError() == "Permission denied", "reason: " + files.LastError());
    checks.Check(!files.IsWritableDirectory(dir + "none"), "a missing directory looked writable");
    return checks.Failures();
  });
  EXPECT_EQ(failures, "");
}

}  // namespace
}  // namespace zm
