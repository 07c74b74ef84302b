#include <algorithm>
#include <cstring>

#include "materials/material_choice.h"
#include "materials/palette.h"
#include "render/row_bands.h"
#include "render/shape.h"
#include "render/shape_timing.h"

// The engine's colour banks (the palettes and their conversions to the
// display surface's formats) and its frames.
namespace zm {

namespace {

constexpr uint32_t kRedHigh[3] = {0xFF0000, 0x00FF00, 0x0000FF};   // red, green, blue masks
constexpr uint32_t kBlueHigh[3] = {0x0000FF, 0x00FF00, 0xFF0000};  // red, green, blue masks
constexpr uint32_t kMasks565[3] = {0xF800, 0x07E0, 0x001F};
constexpr uint32_t kMasks555[3] = {0x7C00, 0x03E0, 0x001F};

bool HasMasks(const PixelFormat& format, const uint32_t (&masks)[3]) {
  return format.redMask == masks[0] && format.greenMask == masks[1] && format.blueMask == masks[2];
}

uint32_t Byte(uint32_t colour, int index) { return (colour >> (8 * index)) & 0xFF; }

uint32_t SwapRedBlue(uint32_t colour) {
  return (colour & 0xFF00FF00u) | (Byte(colour, 0) << 16) | Byte(colour, 2);
}

}  // namespace

// Fills one bank of colors32 from a fresh palette (0x00RRGGBB layout).
void Shape::TakePalette(Bank bank) {
  const Palette palette;
  std::copy(palette.Entries().begin(), palette.Entries().end(),
            colors32_.begin() + bank * kPaletteSize);
  bankInPaletteLayout_[bank] = true;
}

void Shape::InitPalettes() {
  TakePalette(kBankA);
  TakePalette(kBankB);
  for (int32_t i = 0; i < kColorTableSize; ++i) {
    const uint32_t colour = colors32_[i];
    colors24_[i] = {static_cast<uint8_t>(Byte(colour, 0)), static_cast<uint8_t>(Byte(colour, 1)),
                    static_cast<uint8_t>(Byte(colour, 2))};
  }
  ConvertPalettes();
}

// With a random material per palette, bank A moves to bank B (the previous
// step's ramp, already in the display's order) and a fresh palette fills bank
// A. With one fixed material both banks get the fresh palette.
void Shape::NextPalette() {
  if (AllColorsSelected()) {
    std::copy(colors32_.begin(), colors32_.begin() + kPaletteSize,
              colors32_.begin() + kPaletteSize);
    bankInPaletteLayout_[kBankB] = bankInPaletteLayout_[kBankA];
    TakePalette(kBankA);
  } else {
    TakePalette(kBankA);
    std::copy(colors32_.begin(), colors32_.begin() + kPaletteSize,
              colors32_.begin() + kPaletteSize);
    bankInPaletteLayout_[kBankB] = true;
  }
  ConvertPalettes();
}

void Shape::ConvertPalettes() {
  ConvertTo24();
  ConvertTo16();
  ConvertTo32();
}

bool Shape::SurfaceFormat(uint32_t bitCount, PixelFormat& format) const {
  if (display_ == nullptr || !display_->HasPrimarySurface()) return false;
  if (!display_->GetPixelFormat(format)) return false;
  return (format.flags & kPixelFormatRgb) != 0 && format.rgbBitCount == bitCount;
}

bool Shape::ConvertTo24() {
  PixelFormat format;
  if (!SurfaceFormat(24, format)) return false;
  const bool redHigh = HasMasks(format, kRedHigh);
  if (!redHigh && !HasMasks(format, kBlueHigh)) return false;
  for (int32_t i = 0; i < kColorTableSize; ++i) {
    const uint32_t colour = redHigh ? colors32_[i] : SwapRedBlue(colors32_[i]);
    colors24_[i] = {static_cast<uint8_t>(Byte(colour, 0)), static_cast<uint8_t>(Byte(colour, 1)),
                    static_cast<uint8_t>(Byte(colour, 2))};
  }
  return true;
}

bool Shape::ConvertTo16() {
  PixelFormat format;
  if (!SurfaceFormat(16, format)) return false;
  int greenShift = 0;
  int greenBits = 0;
  int redShift = 0;
  if (HasMasks(format, kMasks565)) {
    greenBits = 6;
    greenShift = 5;
    redShift = 11;
  } else if (HasMasks(format, kMasks555)) {
    greenBits = 5;
    greenShift = 5;
    redShift = 10;
  } else {
    return false;
  }
  for (int32_t i = 0; i < kColorTableSize; ++i) {
    const uint32_t colour = colors32_[i];
    const uint32_t blue = Byte(colour, 0) >> 3;
    const uint32_t green = Byte(colour, 1) >> (8 - greenBits);
    const uint32_t red = Byte(colour, 2) >> 3;
    colors16_[i] = static_cast<uint16_t>(blue | green << greenShift | red << redShift);
  }
  return true;
}

// In place, and only for the banks still in the palette layout: entries
// already converted (bank B taken over from bank A) must not be swapped back.
bool Shape::ConvertTo32() {
  PixelFormat format;
  if (!SurfaceFormat(32, format)) return false;
  const bool redHigh = HasMasks(format, kRedHigh);
  if (!redHigh && !HasMasks(format, kBlueHigh)) return false;
  for (int bank = kBankA; bank <= kBankB; ++bank) {
    if (!bankInPaletteLayout_[bank]) continue;
    auto begin = colors32_.begin() + bank * kPaletteSize;
    if (!redHigh) std::transform(begin, begin + kPaletteSize, begin, SwapRedBlue);
    bankInPaletteLayout_[bank] = false;
  }
  return true;
}

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
  const RowKernel32 kernel = SelectRowKernel32(int64_t{rows} * columns * 4);
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

Shape::SurfaceFrame Shape::DrawOnSurface() {
  if (display_ == nullptr) return SurfaceFrame::kSkipped;
  while (!display_->FlipDone()) {
  }
  uint8_t* address = nullptr;
  int32_t pitch = 0;
  if (!display_->LockBackBuffer(address, pitch)) return SurfaceFrame::kSkipped;
  DrawInBands(height_, width_, [&](int32_t first, int32_t end) {
    for (int32_t y = first; y < end; ++y) RenderRowSurface(address + ptrdiff_t{y} * pitch, y);
  });
  return display_->FlipPage() ? SurfaceFrame::kFlipped : SurfaceFrame::kFlipFailed;
}

bool Shape::RenderToSurface() {
  const SurfaceFrame frame = DrawOnSurface();
  if (frame != SurfaceFrame::kSkipped) Advance();
  return frame == SurfaceFrame::kFlipped;
}

}  // namespace zm
