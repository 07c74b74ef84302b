#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "render/bitmap32.h"
#include "render/pattern_state_file.h"
#include "render/shape.h"
#include "render/shape_test_support.h"
#include "settings/atomic_file.h"
#include "settings/saver_settings.h"

namespace zm::testing {
namespace {

namespace fs = std::filesystem;

class ShapeStateFileTest : public ShapeTest {
 protected:
  void SetUp() override {
    ShapeTest::SetUp();
    dir = fs::temp_directory_path() /
          ("zm_shape_state_" +
           std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    path = (dir / "Zelk_Mirv.par").string();
  }
  void TearDown() override {
    fs::remove_all(dir);
    ShapeTest::TearDown();
  }

  void Prepare(Shape& shape, int32_t w, int32_t h, uint32_t seed) {
    shape.Resize(w, h);
    Fill(shape.MapPrevious(), PatternValues(w * h, seed));
    Fill(shape.MapCurrent(), PatternValues(w * h, seed + 1));
  }

  void Write(const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  std::string Read() const { return ReadFileBytes(path); }

  static std::string ReadFileBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path dir;
  std::string path;
};

TEST_F(ShapeStateFileTest, SavedMapsComeBackIdentical) {
  Shape saved;
  Prepare(saved, 7, 3, 40);
  ASSERT_TRUE(saved.SaveState(path));
  const std::string bytes = Read();
  ASSERT_EQ(bytes.size(), 8u + 4u * 7u * 3u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x07\0\0\0\x03\0\0\0", 8));

  Shape loaded;
  ASSERT_TRUE(loaded.LoadState(path));
  EXPECT_EQ(loaded.Width(), 7);
  EXPECT_EQ(loaded.Height(), 3);
  EXPECT_EQ(Copy(loaded.MapPrevious()), Copy(saved.MapPrevious()));
  EXPECT_EQ(Copy(loaded.MapCurrent()), Copy(saved.MapCurrent()));
  EXPECT_DOUBLE_EQ(loaded.Phase(), 0.003);
  ASSERT_TRUE(loaded.SaveState(path));
  EXPECT_EQ(Read(), bytes);
}

TEST_F(ShapeStateFileTest, StoredSizeWinsOverThePresentOne) {
  Shape saved;
  Prepare(saved, 6, 4, 50);
  ASSERT_TRUE(saved.SaveState(path));
  Shape loaded;
  Prepare(loaded, 10, 8, 60);
  ASSERT_TRUE(loaded.LoadState(path));
  EXPECT_EQ(loaded.Width(), 6);
  EXPECT_EQ(loaded.Height(), 4);
  EXPECT_EQ(Copy(loaded.MapCurrent()), Copy(saved.MapCurrent()));
  EXPECT_EQ(loaded.MapNext().size(), 24u);
}

TEST_F(ShapeStateFileTest, MissingFileChangesNoMap) {
  Shape shape;
  Prepare(shape, 5, 4, 70);
  const std::vector<MapValue> current = Copy(shape.MapCurrent());
  EXPECT_FALSE(shape.LoadState((dir / "absent.par").string()));
  EXPECT_EQ(Copy(shape.MapCurrent()), current);
  EXPECT_EQ(shape.Width(), 5);
}

// Every kind of broken file, from a valid 3 x 2 one.
std::vector<std::pair<std::string, std::string>> BrokenFiles() {
  const std::vector<MapValue> previous = PatternValues(6, 1);
  const std::vector<MapValue> current = PatternValues(6, 2);
  const std::string valid = EncodePatternState(3, 2, previous, current);
  std::vector<MapValue> high = current, low = current;
  high[5] = 1001;
  low[0] = -1;
  return {
      {"empty", ""},
      {"short header", valid.substr(0, 7)},
      {"header only", valid.substr(0, 8)},
      {"one byte short", valid.substr(0, valid.size() - 1)},
      {"one byte long", valid + '\0'},
      {"zero width", EncodePatternState(0, 2, {}, {})},
      {"zero width with data", EncodePatternState(0, 2, previous, current)},
      {"negative height", EncodePatternState(3, -2, previous, current)},
      {"huge width", EncodePatternState(16385, 1, {}, {})},
      {"huge both", EncodePatternState(65536, 65536, previous, current)},
      {"overflowing product", EncodePatternState(0x40000000, 4, previous, current)},
      {"value 1001", EncodePatternState(3, 2, previous, high)},
      {"value -1", EncodePatternState(3, 2, low, current)},
  };
}

TEST_F(ShapeStateFileTest, BrokenFileGivesFreshMapsAtThePresentSize) {
  for (const auto& [name, bytes] : BrokenFiles()) {
    Write(bytes);
    Shape shape;
    Prepare(shape, 5, 4, 80);
    EXPECT_FALSE(shape.LoadState(path)) << name;
    EXPECT_EQ(shape.Width(), 5) << name;
    EXPECT_EQ(shape.Height(), 4) << name;
    ASSERT_TRUE(shape.HasMaps()) << name;
    EXPECT_TRUE(IsGeneratedMap(shape.MapCurrent())) << name;
  }
}

TEST_F(ShapeStateFileTest, BrokenFileLeavesAnEmptyEngineEmptyAndHarmless) {
  for (const auto& [name, bytes] : BrokenFiles()) {
    Write(bytes);
    Shape shape;
    EXPECT_FALSE(shape.LoadState(path)) << name;
    EXPECT_FALSE(shape.HasMaps()) << name;
    EXPECT_EQ(shape.Width(), 0) << name;
    Bitmap32 bitmap(3, 3);
    shape.RenderToBitmap(bitmap.View());
    shape.NextStep(false);
    EXPECT_FALSE(shape.SaveState(path)) << name;
    EXPECT_EQ(Read(), bytes) << name;  // nothing replaced the file
  }
}

TEST_F(ShapeStateFileTest, InterruptedSaveKeepsTheOldFile) {
  Shape first;
  Prepare(first, 8, 8, 90);
  ASSERT_TRUE(first.SaveState(path));
  const std::string old = Read();

  Shape second;
  Prepare(second, 8, 8, 95);
  SetWriteFailureAfterForTesting(100);
  EXPECT_FALSE(second.SaveState(path));
  SetWriteFailureAfterForTesting(-1);
  EXPECT_EQ(Read(), old);

  Shape loaded;
  ASSERT_TRUE(loaded.LoadState(path));
  EXPECT_EQ(Copy(loaded.MapCurrent()), Copy(first.MapCurrent()));
}

TEST_F(ShapeStateFileTest, SaveIntoAMissingDirectoryFails) {
  Shape shape;
  Prepare(shape, 2, 2, 1);
  std::string reason;
  EXPECT_FALSE(shape.SaveState((dir / "no" / "such" / "Zelk_Mirv.par").string(), &reason));
  // The system's own words for a missing directory.
#ifdef _WIN32
  EXPECT_EQ(reason, "Path not found");
#else
  EXPECT_EQ(reason, "No such file or directory");
#endif
}

// Someone's file at the state path, or at the end of a link there, is never
// overwritten: it (or the link) is kept under a name of its own, once. A
// damaged state file of ours is simply replaced.
TEST_F(ShapeStateFileTest, AFileThatIsNotOursIsKeptAside) {
  Shape shape;
  Prepare(shape, 4, 3, 20);
  const std::string passwd = "root:x:0:0:root:/root:/bin/bash\n";
  Write(passwd);
  ASSERT_TRUE(shape.SaveState(path));
  EXPECT_TRUE(ReadPatternState(Read()).has_value());
  EXPECT_EQ(ReadFileBytes(path + ".kept"), passwd);
  ASSERT_TRUE(shape.SaveState(path));  // ours now: replaced, nothing more kept
  EXPECT_FALSE(fs::exists(path + ".kept-2"));

  Write(EncodePatternState(4, 3, {}, {}));  // a torn state file of ours
  ASSERT_TRUE(shape.SaveState(path));
  EXPECT_FALSE(fs::exists(path + ".kept-2"));
#ifndef _WIN32
  const std::string outside = (dir / "passwd").string();
  { std::ofstream(outside, std::ios::binary) << passwd; }
  fs::remove(path);
  fs::create_symlink(outside, path);
  ASSERT_TRUE(shape.SaveState(path));
  EXPECT_EQ(ReadFileBytes(outside), passwd);
  EXPECT_TRUE(fs::is_symlink(path + ".kept-2"));
  EXPECT_FALSE(fs::is_symlink(path));
  EXPECT_TRUE(ReadPatternState(Read()).has_value());
#endif
}

#ifndef _WIN32
// A valid file that claims more pixels than any display has is refused
// before it is read (the file here is sparse: it costs no disk).
TEST_F(ShapeStateFileTest, AStateLargerThanAnyDisplayIsRefusedUnread) {
  Write(EncodePatternState(16384, 16384, {}, {}));
  fs::resize_file(path, static_cast<uintmax_t>(PatternStateFileSize(16384, 16384)));
  Shape shape;
  Prepare(shape, 5, 4, 30);
  EXPECT_FALSE(shape.LoadState(path));
  EXPECT_EQ(shape.Width(), 5);
}
#endif

// A FIFO is neither opened for reading (that would block) nor replaced; a
// read-only file is kept.
TEST_F(ShapeStateFileTest, OnlyAWritableRegularFileIsReadOrReplaced) {
  Shape shape;
  Prepare(shape, 5, 4, 70);
  const std::vector<MapValue> current = Copy(shape.MapCurrent());
#ifndef _WIN32
  ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
  EXPECT_FALSE(shape.LoadState(path));
  EXPECT_EQ(Copy(shape.MapCurrent()), current);
  EXPECT_FALSE(shape.SaveState(path));
  EXPECT_TRUE(fs::is_fifo(path));

  fs::remove(path);
#endif
  Write("old");
  fs::permissions(path, fs::perms::owner_read);
  EXPECT_FALSE(shape.SaveState(path));
  EXPECT_EQ(Read(), "old");
  // Writable again, so the test's folder can be removed (Windows keeps
  // read-only files).
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
}  // namespace zm::testing
