#include "platform/win32/dib_bitmap.h"

namespace zm::win32 {

DibBitmap::DibBitmap() : memory_(CreateCompatibleDC(nullptr)) {}

DibBitmap::~DibBitmap() {
  Release();
  if (memory_ != nullptr) DeleteDC(memory_);
}

void DibBitmap::Release() {
  if (bitmap_ == nullptr) return;
  SelectObject(memory_, original_);
  DeleteObject(bitmap_);
  bitmap_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
}

bool DibBitmap::Resize(int32_t width, int32_t height) {
  if (width == width_ && height == height_ && bitmap_ != nullptr) return true;
  Release();
  if (width <= 0 || height <= 0 || memory_ == nullptr) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down: row 0 comes first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap_ == nullptr) return false;
  original_ = SelectObject(memory_, bitmap_);
  bits_ = static_cast<uint8_t*>(bits);
  width_ = width;
  height_ = height;
  return true;
}

BitmapView DibBitmap::View() const {
  return BitmapView{bits_, ptrdiff_t{width_} * 4, width_, height_};
}

void DibBitmap::Draw(HDC target, int x, int y) const {
  if (bitmap_ == nullptr) return;
  BitBlt(target, x, y, width_, height_, memory_, 0, 0, SRCCOPY);
}

void DibBitmap::DrawStretched(HDC target, int x, int y, int width, int height) const {
  if (bitmap_ == nullptr) return;
  SetStretchBltMode(target, COLORONCOLOR);
  StretchBlt(target, x, y, width, height, memory_, 0, 0, width_, height_, SRCCOPY);
}

}  // namespace zm::win32
