#include "settings/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

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

TEST_F(AtomicFileTest, FailsWhereNoFileCanBeMade) {
  EXPECT_FALSE(WriteFileAtomically(dir_.File("missing/f"), "x"));
  WriteBytes(dir_.File("plain"), "a file, not a directory");
  EXPECT_FALSE(WriteFileAtomically(dir_.File("plain/f"), "x"));
  // The target is a directory: the new file is written but cannot replace it.
  std::filesystem::create_directory(dir_.File("dir"));
  std::filesystem::create_directory(dir_.File("dir/inner"));
  EXPECT_FALSE(WriteFileAtomically(dir_.File("dir"), "x"));
  EXPECT_FALSE(std::filesystem::exists(AtomicWriteTemporaryPath(dir_.File("dir"))));
  EXPECT_TRUE(std::filesystem::is_directory(dir_.File("dir/inner")));
}

}  // namespace
}  // namespace zm
