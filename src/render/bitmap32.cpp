#include "render/bitmap32.h"

namespace zm {

void Bitmap32::Resize(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) width = height = 0;
  width_ = width;
  height_ = height;
  pixels_.assign(static_cast<size_t>(width) * height, 0);
}

BitmapView Bitmap32::View() {
  BitmapView view;
  view.firstRow = reinterpret_cast<uint8_t*>(pixels_.data());
  view.pitch = static_cast<ptrdiff_t>(width_) * sizeof(uint32_t);
  view.width = width_;
  view.height = height_;
  return view;
}

}  // namespace zm
