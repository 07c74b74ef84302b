#include "platform/win32/preview_host_win32.h"

#include "platform/win32/application.h"

namespace zm::win32 {

PreviewHostWin32::~PreviewHostWin32() {
  if (canvas_ != nullptr) ReleaseDC(parent_, canvas_);
}

WindowRect PreviewHostWin32::ParentRect() {
  RECT rect{};
  GetWindowRect(parent_, &rect);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

void PreviewHostWin32::ProcessMessages() { App().ProcessMessages(); }

BitmapView PreviewHostWin32::CreateBitmap(int32_t width, int32_t height) {
  bitmap_.Resize(width, height);
  return bitmap_.View();
}

void PreviewHostWin32::DrawBitmap() {
  if (canvas_ == nullptr) canvas_ = GetDC(parent_);
  if (canvas_ != nullptr) bitmap_.Draw(canvas_);
}

// Messages that arrive meanwhile are handled as they come.
void PreviewHostWin32::WaitForNextFrame() {
  while (!pacer_.TakeSlot()) {
    pacer_.WaitForSlotOrMessage(-1);
    App().ProcessMessages();
  }
}

}  // namespace zm::win32
