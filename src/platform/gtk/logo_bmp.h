#pragma once

#include <cstddef>

namespace zm {

// The About box's logo (75 x 150, made from the ornament): the bytes of the
// BMP file src/platform/win32/art/logo.bmp, built into the program.
extern const unsigned char kLogoBmp[];
extern const size_t kLogoBmpSize;

}  // namespace zm
