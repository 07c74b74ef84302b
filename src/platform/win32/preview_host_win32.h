#pragma once

#include <windows.h>

#include "platform/win32/dib_bitmap.h"
#include "platform/win32/display_pacer.h"
#include "shell/preview_loop.h"

namespace zm::win32 {

// The system's preview window, given by its handle: the preview loop draws
// into it through a device context of that window.
class PreviewHostWin32 : public PreviewHost {
 public:
  explicit PreviewHostWin32(HWND parent) : parent_(parent) {}
  ~PreviewHostWin32() override;

  bool ParentVisible() override { return IsWindowVisible(parent_) != FALSE; }
  bool ParentGone() override { return IsWindow(parent_) == FALSE; }
  WindowRect ParentRect() override;
  void ProcessMessages() override;
  BitmapView CreateBitmap(int32_t width, int32_t height) override;
  void DrawBitmap() override;
  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
  void WaitForNextFrame() override;
  bool FramesPacedByDisplay() override { return true; }
  uint64_t Milliseconds() override { return GetTickCount64(); }

 private:
  HWND parent_;
  HDC canvas_ = nullptr;
  DibBitmap bitmap_;
  DisplayPacer pacer_;
};

}  // namespace zm::win32
