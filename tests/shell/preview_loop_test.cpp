#include "shell/preview_loop.h"

#include <gtest/gtest.h>

#include "render/bitmap32.h"
#include "settings/saver_settings.h"
#include "shell/startup.h"

namespace zm {
namespace {

// A preview window that shows after `showAfter` polls and hides after
// `framesShown` frames; time passes only in Sleep and while polling.
class FakePreviewHost : public PreviewHost {
 public:
  bool ParentVisible() override {
    ++polls;
    now += 1;
    return polls > showAfter && paints < framesShown;
  }
  WindowRect ParentRect() override { return {300, 200, 452, 312}; }
  void ProcessMessages() override { ++messagePasses; }
  BitmapView CreateBitmap(int32_t width, int32_t height) override {
    bitmap.Resize(width, height);
    return bitmap.View();
  }
  void DrawBitmap() override { ++paints; }
  void Sleep(uint32_t milliseconds) override {
    now += milliseconds;
    sleeps += milliseconds;
  }
  uint64_t Milliseconds() override { return now; }

  int showAfter = 3;
  int framesShown = 4;
  int polls = 0;
  int paints = 0;
  int messagePasses = 0;
  uint64_t now = 1000;
  uint64_t sleeps = 0;
  Bitmap32 bitmap;
};

TEST(PreviewLoop, DrawsIntoTheWindowUntilItIsHidden) {
  PrepareProgram(5);
  SaverSettings.SHAPE_SPEED = 1.7;
  SaverSettings.PATTERN_MODE = 3;
  FakePreviewHost host;
  EXPECT_TRUE(RunPreviewLoop(host));
  // A window of 152 x 112 pixels gets a bitmap one pixel larger each way.
  EXPECT_EQ(host.bitmap.Width(), 153);
  EXPECT_EQ(host.bitmap.Height(), 113);
  EXPECT_EQ(host.paints, 4);
  EXPECT_EQ(host.sleeps, 4u * 20u);
  EXPECT_NE(host.bitmap.Pixel(76, 56), 0u);
  EXPECT_EQ(SaverSettings.SHAPE_SPEED, 1.0);
  EXPECT_EQ(SaverSettings.PATTERN_MODE, 0);
}

TEST(PreviewLoop, GivesUpOnAWindowThatNeverShows) {
  FakePreviewHost host;
  host.showAfter = 1 << 30;
  EXPECT_FALSE(RunPreviewLoop(host));
  EXPECT_EQ(host.paints, 0);
  EXPECT_GE(host.now - 1000, kPreviewShowTimeoutMs);
  EXPECT_GT(host.messagePasses, 0);
}

}  // namespace
}  // namespace zm
