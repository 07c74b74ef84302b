#include "png_file.h"

#include <png.h>

#include "settings/atomic_file.h"

namespace zm::tool {

namespace {

// libpng's output goes into memory; the file is written whole afterwards.
void AppendToString(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))
      ->append(reinterpret_cast<const char*>(data), length);
}

void NoFlush(png_structp) {}

std::vector<png_byte> RgbRow(const uint32_t* pixels, int width) {
  std::vector<png_byte> row(static_cast<size_t>(width) * 3);
  for (int x = 0; x < width; ++x) {
    row[3 * x] = static_cast<png_byte>(pixels[x] >> 16);
    row[3 * x + 1] = static_cast<png_byte>(pixels[x] >> 8);
    row[3 * x + 2] = static_cast<png_byte>(pixels[x]);
  }
  return row;
}

}  // namespace

bool WritePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height,
              std::string& error) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    error = "out of memory writing " + path;
    return false;
  }
  std::string bytes;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    error = "cannot encode " + path;
    return false;
  }
  png_set_write_fn(png, &bytes, AppendToString, NoFlush);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    std::vector<png_byte> row = RgbRow(&pixels[static_cast<size_t>(y) * width], width);
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::string reason;
  if (!WriteFileAtomically(path, bytes, &reason)) {
    error = "cannot write " + path + ": " + reason;
    return false;
  }
  return true;
}

}  // namespace zm::tool
