#pragma once

#include <windows.h>

#include <cstdint>

#include "render/bitmap_view.h"

namespace zm::win32 {

// A top-down 32-bit device-independent bitmap whose pixels the engine writes
// directly, selected into a memory device context for drawing.
class DibBitmap {
 public:
  DibBitmap();
  ~DibBitmap();
  DibBitmap(const DibBitmap&) = delete;
  DibBitmap& operator=(const DibBitmap&) = delete;

  // A new bitmap of this size (contents undefined); false when the system
  // has no memory for it, leaving the bitmap empty.
  bool Resize(int32_t width, int32_t height);
  BitmapView View() const;
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

  // Copies the bitmap unscaled to (x, y) of `target`.
  void Draw(HDC target, int x = 0, int y = 0) const;
  // Copies the whole bitmap stretched into the rectangle.
  void DrawStretched(HDC target, int x, int y, int width, int height) const;

 private:
  void Release();

  HDC memory_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ original_ = nullptr;
  uint8_t* bits_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

}  // namespace zm::win32
