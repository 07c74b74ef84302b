#include <algorithm>
#include <cstring>

#include "render/row_bands.h"
#include "render/shape.h"
#include "render/shape_timing.h"

namespace zm {

namespace {

// Surface rows of any alignment: one pixel at a time through memcpy.
template <typename Entry>
void RenderRowBytes(const MapValue* current, const MapValue* previous, int32_t count, int32_t t,
                    const Entry* colors, size_t bytesPerPixel, uint8_t* out) {
  for (int32_t x = 0; x < count; ++x) {
    const Entry& entry = colors[ColorIndex(t, current[x], previous[x])];
    std::memcpy(out + x * bytesPerPixel, &entry, bytesPerPixel);
  }
}

}  // namespace

void Shape::RenderRow32(uint32_t* row, int32_t y) const {
  if (!HasMaps() || y < 0 || y >= height_) return;
  const size_t offset = static_cast<size_t>(y) * width_;
  SelectRowKernel32()(mapCurrent_.data() + offset, mapPrevious_.data() + offset, width_,
                      PhaseToTime(phase_), colors32_.data(), row);
}

void Shape::RenderRowSurface(uint8_t* row, int32_t y) const {
  if (!HasMaps() || y < 0 || y >= height_) return;
  const size_t offset = static_cast<size_t>(y) * width_;
  const MapValue* current = mapCurrent_.data() + offset;
  const MapValue* previous = mapPrevious_.data() + offset;
  const int32_t t = PhaseToTime(phase_);
  switch (settings_.surfaceBits) {
    case 32:
      if (reinterpret_cast<uintptr_t>(row) % alignof(uint32_t) == 0) {
        SelectRowKernel32()(current, previous, width_, t, colors32_.data(),
                            reinterpret_cast<uint32_t*>(row));
      } else {
        RenderRowBytes(current, previous, width_, t, colors32_.data(), 4, row);
      }
      break;
    case 24:
      RenderRowBytes(current, previous, width_, t, colors24_.data(), 3, row);
      break;
    case 16:
      RenderRowBytes(current, previous, width_, t, colors16_.data(), 2, row);
      break;
    default:
      break;
  }
}

void Shape::RenderFrame(const BitmapView& bitmap) const {
  if (!HasMaps() || bitmap.firstRow == nullptr) return;
  const int32_t rows = std::min(bitmap.height, height_);
  const int32_t columns = std::min(bitmap.width, width_);
  if (columns <= 0) return;
  const RowKernel32 kernel = SelectRowKernel32();
  const int32_t t = PhaseToTime(phase_);
  DrawInBands(rows, columns, [&](int32_t first, int32_t end) {
    for (int32_t y = first; y < end; ++y) {
      const size_t offset = static_cast<size_t>(y) * width_;
      kernel(mapCurrent_.data() + offset, mapPrevious_.data() + offset, columns, t,
             colors32_.data(), bitmap.Row(y));
    }
  });
}

void Shape::RenderToBitmap(const BitmapView& bitmap) {
  RenderFrame(bitmap);
  Advance();
}

bool Shape::RenderToSurface() {
  if (display_ == nullptr) return false;
  while (!display_->FlipDone()) {
  }
  uint8_t* address = nullptr;
  int32_t pitch = 0;
  if (!display_->LockBackBuffer(address, pitch)) return false;
  DrawInBands(height_, width_, [&](int32_t first, int32_t end) {
    for (int32_t y = first; y < end; ++y) RenderRowSurface(address + ptrdiff_t{y} * pitch, y);
  });
  Advance();
  return display_->FlipPage();
}

}  // namespace zm
