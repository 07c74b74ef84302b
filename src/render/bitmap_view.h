#pragma once

#include <cstddef>
#include <cstdint>

namespace zm {

// A 32-bit bitmap that someone else owns: pixels 0x00RRGGBB (bytes blue,
// green, red, 0). The row pitch is signed, so a bottom-up bitmap (whose first
// row lies last in memory) maps onto it without copying.
struct BitmapView {
  uint8_t* firstRow = nullptr;  // address of row 0
  ptrdiff_t pitch = 0;          // bytes from row y to row y + 1
  int32_t width = 0;
  int32_t height = 0;

  uint32_t* Row(int32_t y) const { return reinterpret_cast<uint32_t*>(firstRow + y * pitch); }
};

}  // namespace zm
