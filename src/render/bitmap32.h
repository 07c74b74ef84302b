#pragma once

#include <cstdint>
#include <vector>

#include "render/bitmap_view.h"

namespace zm {

// An owning top-down 32-bit image, for tools and tests.
class Bitmap32 {
 public:
  Bitmap32() = default;
  Bitmap32(int32_t width, int32_t height) { Resize(width, height); }

  // Resizes and clears to 0; non-positive sizes give an empty image.
  void Resize(int32_t width, int32_t height);

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  uint32_t* Row(int32_t y) { return pixels_.data() + static_cast<size_t>(y) * width_; }
  const uint32_t* Row(int32_t y) const { return pixels_.data() + static_cast<size_t>(y) * width_; }
  uint32_t Pixel(int32_t x, int32_t y) const { return Row(y)[x]; }
  const std::vector<uint32_t>& Pixels() const { return pixels_; }

  BitmapView View();

 private:
  std::vector<uint32_t> pixels_;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

}  // namespace zm
