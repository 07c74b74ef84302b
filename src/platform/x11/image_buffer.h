#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

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

  // Puts the image at (0, 0) of the drawable and waits until the server has
  // read it, so the next frame may overwrite it.
  void Put(Drawable target, GC gc);

 private:
  bool CreateShared(Visual* visual, int depth, int width, int height);
  void CreatePlain(Visual* visual, int depth, int width, int height);

  Display* display_;
  XImage* image_ = nullptr;
  XShmSegmentInfo segment_{};
  bool shared_ = false;
};

// Whether shared-memory images are to be tried: the server has the extension
// and ZELK_MIRV_NO_SHM is not set.
bool SharedMemoryWanted(Display* display);

}  // namespace zm::x11
