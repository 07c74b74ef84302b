#pragma once

#include <cstdint>

#include "render/bitmap_view.h"
#include "shell/settings_overrides.h"

namespace zm {

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
  // A millisecond clock, for giving up on a window that never shows.
  virtual uint64_t Milliseconds() = 0;
};

// How long the loop waits for the preview window to become visible.
constexpr uint64_t kPreviewShowTimeoutMs = 10000;
// The pause after every preview frame.
constexpr uint32_t kPreviewFramePauseMs = 20;

// The preview: waits until the window is visible (giving up after 10 s),
// then draws the ornament into it, one frame and a 20 ms pause at a time,
// until the window is hidden or destroyed. It reads and writes no file; it
// sets SHAPE_SPEED to 1 and PATTERN_MODE to 0, then takes the speed and
// material choice given on the command line, if any. False when it gave up.
bool RunPreviewLoop(PreviewHost& host, const SettingsOverrides& overrides = {});

}  // namespace zm
