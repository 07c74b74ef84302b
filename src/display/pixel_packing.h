#pragma once

#include <cstdint>

#include "display/display_surface.h"

namespace zm {

// Whether 32-bit 0x00RRGGBB pixels are already in `format` (32 bits per pixel,
// red in bits 16..23, green in 8..15, blue in 0..7), so no packing is needed.
bool IsNativeFormat(const PixelFormat& format);

// Whether the engine's colour tables can be converted to a page-flipped
// surface of this format: 5-6-5 or 5-5-5 at 16 bits, or 8-bit channels (red
// or blue high) at 24 and 32 bits.
bool IsPageFlipFormat(const PixelFormat& format);

// Packs `count` pixels 0x00RRGGBB into a display's pixel format of 16, 24 or
// 32 bits per pixel, least significant byte first, each channel at its mask's
// place: a field of fewer than 8 bits keeps the channel's high bits (5-6-5
// keeps the top 5, 6 and 5), a wider one is filled by repeating them (10 bits
// of 0xFF are 0x3FF). Other depths write nothing.
void PackPixels(const uint32_t* source, int32_t count, const PixelFormat& format, uint8_t* out);

}  // namespace zm
