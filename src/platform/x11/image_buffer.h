#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

#include "display/display_surface.h"

namespace zm::x11 {

// An image in the server's pixel format that the program writes directly and
// puts on a window: in shared memory (MIT-SHM) when the server offers it and
// can reach this process's memory, else in ordinary memory sent with each put.
class ImageBuffer {
 public:
  ImageBuffer(Display* display, Visual* visual, int depth, int width, int height);
  ~ImageBuffer();
  ImageBuffer(const ImageBuffer&) = delete;
  ImageBuffer& operator=(const ImageBuffer&) = delete;

  bool Valid() const { return image_ != nullptr; }
  bool Shared() const { return shared_; }
  uint8_t* Data() const { return reinterpret_cast<uint8_t*>(image_->data); }
  int Pitch() const { return image_->bytes_per_line; }
  int BitsPerPixel() const { return image_->bits_per_pixel; }
  int Width() const { return image_->width; }
  int Height() const { return image_->height; }

  // Packs a frame of 0x00RRGGBB pixels (rows of width pixels, no gap) into
  // the image's rows in the server's format.
  void Pack(const uint32_t* pixels, int32_t width, int32_t height, const PixelFormat& format);

  // Puts the image at (x, y) of the drawable and waits until the server has
  // read it, so the next frame may overwrite it.
  void Put(Drawable target, GC gc, int x = 0, int y = 0);

  // Present (see PresentWanted): the shared image becomes a pixmap that
  // each put presents on the window at the display's next vertical blank,
  // tear-free, and Busy lasts until the server reports the pixmap idle (see
  // TakePresentEvent). False where Present or shared pixmaps are missing:
  // puts then stay as they are.
  bool PresentOn(Window window, int depth);
  bool Presents() const { return pixmap_ != 0; }

  // A shared image only: puts it without waiting. The image stays Busy
  // until the server's completion event for it is handed to Completed (or
  // until WaitUntilFree gives up on it).
  void PutAsync(Drawable target, GC gc, int x = 0, int y = 0);
  bool Busy() const { return pending_ > 0; }
  // Whether a completion event is this image's, and if so takes it.
  bool Completed(const XEvent& event);
  // Waits (at most about half a second, for a drawable that went away)
  // until the server has read every put of this image. Other events stay
  // queued.
  void WaitUntilFree();

 private:
  bool CreateShared(Visual* visual, int depth, int width, int height);
  void CreatePlain(Visual* visual, int depth, int width, int height);

  Display* display_;
  XImage* image_ = nullptr;
  XShmSegmentInfo segment_{};
  bool shared_ = false;
  int completionType_ = 0;
  int pending_ = 0;
  Pixmap pixmap_ = 0;
  uint32_t presentSerial_ = 0;

  friend bool TakePresentEvent(Display* display, XEvent& event, uint64_t* refreshUs,
                               uint64_t* refreshCount);
};

// Takes a Present event (an idle pixmap frees its image; a completed
// present gives the time of its refresh in microseconds of the monotonic
// clock and the refresh's running count, when asked for); false for any
// other event.
bool TakePresentEvent(Display* display, XEvent& event, uint64_t* refreshUs = nullptr,
                      uint64_t* refreshCount = nullptr);

// Whether presenting through Present is to be tried: the server has it, a
// display driver stands behind it (the server offers DRI3 or DRI2; on a
// virtual framebuffer its refreshes are a timer that drops frames under
// load) or ZELK_MIRV_PRESENT is set, and ZELK_MIRV_NO_PRESENT is not set.
bool PresentWanted(Display* display);

// Whether shared-memory images are to be tried: the server has the extension
// and ZELK_MIRV_NO_SHM is not set.
bool SharedMemoryWanted(Display* display);

}  // namespace zm::x11
