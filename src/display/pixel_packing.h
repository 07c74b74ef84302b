#pragma once

#include <cstdint>

#include "display/display_surface.h"

namespace zm {

// Whether 32-bit 0x00RRGGBB pixels are already in `format` (32 bits per pixel,
// red in bits 16..23, green in 8..15, blue in 0..7), so no packing is needed.
bool IsNativeFormat(const PixelFormat& format);

// Packs `count` pixels 0x00RRGGBB into a display's pixel format of 16, 24 or
// 32 bits per pixel, least significant byte first: each channel keeps as many
// of its high bits as its mask has, at the mask's place (so 5-6-5 keeps the
// top 5, 6 and 5 bits). Other depths write nothing.
void PackPixels(const uint32_t* source, int32_t count, const PixelFormat& format, uint8_t* out);

}  // namespace zm
