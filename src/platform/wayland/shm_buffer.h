#pragma once

#include <wayland-client.h>

#include <cstddef>
#include <cstdint>

namespace zm::wayland {

// A 32-bit XRGB picture in shared memory that the compositor reads from: the
// engine's own pixel format (0x00RRGGBB, little-endian), so frames are copied
// into it as they are. Busy from its attach until the compositor releases it.
class ShmBuffer {
 public:
  ShmBuffer() = default;
  ~ShmBuffer() { Release(); }
  ShmBuffer(const ShmBuffer&) = delete;
  ShmBuffer& operator=(const ShmBuffer&) = delete;

  // Makes (or remakes) the buffer at this size; false when the memory or
  // the compositor's pool cannot be had.
  bool Make(wl_shm* shm, int32_t width, int32_t height);
  void Release();

  bool Fits(int32_t width, int32_t height) const {
    return buffer_ != nullptr && width_ == width && height_ == height;
  }
  uint32_t* Row(int32_t y) { return pixels_ + static_cast<size_t>(y) * width_; }
  wl_buffer* Buffer() const { return buffer_; }
  bool busy = false;

 private:
  wl_buffer* buffer_ = nullptr;
  uint32_t* pixels_ = nullptr;
  size_t bytes_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

}  // namespace zm::wayland
