#pragma once

#include <cstdint>

#include "render/bitmap_view.h"
#include "shell/settings_overrides.h"

namespace zm {

// How long the loop waits for the preview window to become visible.
constexpr uint64_t kPreviewShowTimeoutMs = 10000;
// The pause between two looks at a window that is not visible yet.
constexpr uint32_t kPreviewShowPollMs = 20;
// The pause after every preview frame where the display's frames are unknown.
constexpr uint32_t kPreviewFramePauseMs = 20;
// The longest wait for the window's events while nobody can see it.
constexpr uint32_t kPreviewUnseenWaitMs = 1000;

// A window rectangle in screen coordinates, as the system reports it.
struct WindowRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// The system's preview window and the services the preview loop needs; the
// platform implements it over the window whose handle it was given.
class PreviewHost {
 public:
  virtual ~PreviewHost() = default;
  virtual bool ParentVisible() = 0;
  // The window no longer exists (or the run was asked to end from outside):
  // nothing will ever show.
  virtual bool ParentGone() = 0;
  virtual WindowRect ParentRect() = 0;
  virtual void ProcessMessages() = 0;
  // A 32-bit bitmap of this size (contents undefined), drawn unscaled at
  // (0, 0) of the parent window by DrawBitmap.
  virtual BitmapView CreateBitmap(int32_t width, int32_t height) = 0;
  virtual void DrawBitmap() = 0;
  // Whether nobody can see the window now (fully covered, or its display
  // off): the loop then draws nothing and the animation waits.
  virtual bool ParentUnseen() { return false; }
  virtual void Sleep(uint32_t milliseconds) = 0;
  // Waits until the display takes the next frame, keeping the window alive
  // meanwhile. A host that cannot tell the display's frames pauses 20 ms.
  virtual void WaitForNextFrame() { Sleep(kPreviewFramePauseMs); }
  // Waits, while nobody can see the window, until its next event or for
  // `milliseconds`, whichever comes first. A host whose window cannot say
  // when it is seen again waits as between frames.
  virtual void WaitForWindowEvent(uint32_t milliseconds) {
    (void)milliseconds;
    WaitForNextFrame();
  }
  // Whether WaitForNextFrame waits for the display's frames: the engine then
  // leaves the evening out of its frames to that wait.
  virtual bool FramesPacedByDisplay() { return false; }
  // A millisecond clock, for giving up on a window that never shows.
  virtual uint64_t Milliseconds() = 0;
};

// How long a preview lasts once its window showed.
enum class PreviewLasts {
  kWhileVisible,    // until the window is hidden or destroyed
  kUntilDestroyed,  // hidden meanwhile, it waits, drawing nothing
};

// How a preview ended.
enum class PreviewEnd {
  kHidden,        // drawn until the window was hidden or went away
  kGoneUnseen,    // the window went away before it ever showed
  kNeverVisible,  // it did not show within kPreviewShowTimeoutMs
};

// The preview: waits until the window is visible (looking every 20 ms, giving
// up after 10 s or when the window goes), then draws the ornament into it,
// one frame per display frame (or per 20 ms pause), until the window is
// hidden or destroyed (or, with kUntilDestroyed, only destroyed). It reads
// and writes no file; it sets SHAPE_SPEED to 1 and PATTERN_MODE to 0, then
// takes the speed and material choice given on the command line, if any.
PreviewEnd RunPreviewLoop(PreviewHost& host, const SettingsOverrides& overrides = {},
                          PreviewLasts lasts = PreviewLasts::kWhileVisible);

}  // namespace zm
