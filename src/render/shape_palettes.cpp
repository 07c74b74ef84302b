#include <algorithm>

#include "materials/material_choice.h"
#include "materials/palette.h"
#include "render/shape.h"

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
  const colorset palette;
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
    std::copy(colors32_.begin(), colors32_.begin() + kPaletteSize, colors32_.begin() + kPaletteSize);
    bankInPaletteLayout_[kBankB] = bankInPaletteLayout_[kBankA];
    TakePalette(kBankA);
  } else {
    TakePalette(kBankA);
    std::copy(colors32_.begin(), colors32_.begin() + kPaletteSize, colors32_.begin() + kPaletteSize);
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

}  // namespace zm
