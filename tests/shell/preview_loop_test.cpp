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
  bool ParentGone() override { return polls > goneAfter; }
  WindowRect ParentRect() override { return paints < resizeAfter ? rect : resized; }
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
  // Covered until it has waited for its events `unseenWaits` times.
  bool ParentUnseen() override { return eventWaits < unseenWaits; }
  void WaitForWindowEvent(uint32_t milliseconds) override {
    ++eventWaits;
    now += milliseconds;
  }

  WindowRect rect{300, 200, 452, 312};
  WindowRect resized{0, 0, 320, 40};
  int resizeAfter = 1 << 30;
  int showAfter = 3;
  int goneAfter = 1 << 30;
  int framesShown = 4;
  int polls = 0;
  int paints = 0;
  int messagePasses = 0;
  uint64_t now = 1000;
  uint64_t sleeps = 0;
  int unseenWaits = 0;
  int eventWaits = 0;
  Bitmap32 bitmap;
};

TEST(PreviewLoop, DrawsIntoTheWindowUntilItIsHidden) {
  PrepareProgram(5);
  SaverSettings.SHAPE_SPEED = 1.7;
  SaverSettings.PATTERN_MODE = 3;
  FakePreviewHost host;
  EXPECT_EQ(RunPreviewLoop(host), PreviewEnd::kHidden);
  // A window of 152 x 112 pixels gets a bitmap one pixel larger each way.
  EXPECT_EQ(host.bitmap.Width(), 153);
  EXPECT_EQ(host.bitmap.Height(), 113);
  EXPECT_EQ(host.paints, 4);
  // A pause after each of the three looks at the hidden window, then one
  // after every frame.
  EXPECT_EQ(host.sleeps, 3u * kPreviewShowPollMs + 4u * 20u);
  EXPECT_NE(host.bitmap.Pixel(76, 56), 0u);
  EXPECT_EQ(SaverSettings.SHAPE_SPEED, 1.0);
  EXPECT_EQ(SaverSettings.PATTERN_MODE, 0);
}

// While nobody can see the window nothing is drawn and the loop waits for
// the window's events, not for frames; then the frames go on.
TEST(PreviewLoop, AnUnseenWindowWaitsForItsEventsWithoutFrames) {
  PrepareProgram(5);
  FakePreviewHost host;
  host.unseenWaits = 3;
  host.framesShown = 2;
  EXPECT_EQ(RunPreviewLoop(host), PreviewEnd::kHidden);
  EXPECT_EQ(host.eventWaits, 3);
  EXPECT_EQ(host.paints, 2);
  EXPECT_EQ(host.sleeps, 3u * kPreviewShowPollMs + 2u * kPreviewFramePauseMs);
}

// A window that changes its size mid-run gets a bitmap of the new size,
// drawn all over, both larger and smaller.
TEST(PreviewLoop, FollowsTheWindowsSize) {
  PrepareProgram(5);
  for (const WindowRect& resized : {WindowRect{0, 0, 320, 240}, WindowRect{10, 10, 50, 30}}) {
    FakePreviewHost host;
    host.resized = resized;
    host.resizeAfter = 2;
    EXPECT_EQ(RunPreviewLoop(host), PreviewEnd::kHidden);
    EXPECT_EQ(host.bitmap.Width(), resized.right - resized.left + 1);
    EXPECT_EQ(host.bitmap.Height(), resized.bottom - resized.top + 1);
    EXPECT_NE(host.bitmap.Pixel(host.bitmap.Width() - 2, host.bitmap.Height() - 2), 0u);
  }
}

// The wait sleeps between its looks (it does not spin), and ends early when
// the window goes away.
TEST(PreviewLoop, WaitsCalmlyForAWindowThatNeverShowsAndNoticesItGoing) {
  FakePreviewHost host;
  host.showAfter = 1 << 30;
  EXPECT_EQ(RunPreviewLoop(host), PreviewEnd::kNeverVisible);
  EXPECT_EQ(host.paints, 0);
  EXPECT_GE(host.now - 1000, kPreviewShowTimeoutMs);
  EXPECT_GE(host.sleeps * 10, kPreviewShowTimeoutMs * 9);  // the wait is nearly all sleep
  EXPECT_LE(host.messagePasses, static_cast<int>(kPreviewShowTimeoutMs / kPreviewShowPollMs) + 1);

  FakePreviewHost destroyed;
  destroyed.showAfter = 1 << 30;
  destroyed.goneAfter = 5;
  EXPECT_EQ(RunPreviewLoop(destroyed), PreviewEnd::kGoneUnseen);
  EXPECT_LT(destroyed.now - 1000, 200u);
}

}  // namespace
}  // namespace zm
