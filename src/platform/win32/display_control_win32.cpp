#include "platform/win32/display_control_win32.h"

#include "platform/win32/direct_draw.h"
#include "platform/win32/direct_draw_display.h"

namespace zm::win32 {

namespace {

// The core's display-mode control over the process's DirectDraw module,
// switching modes for the saver window.
class DirectDrawControl final : public DisplayControl {
 public:
  bool Startup() override { return DirectDrawStartup(); }
  bool Ready() const override { return DirectDrawReady(); }
  void Shutdown() override { DirectDrawShutdown(); }
  std::vector<DisplayMode> ListModes() override {
    return ListDisplayModes().value_or(std::vector<DisplayMode>{});
  }
  bool SetVideoMode(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t refreshRate,
                    int32_t backBuffers) override {
    return win32::SetVideoMode(window_, width, height, bitsPerPixel, refreshRate, backBuffers);
  }
  bool RestoreVideoMode() override { return win32::RestoreVideoMode(); }

  bool HasPrimarySurface() const override { return surface_.HasPrimarySurface(); }
  bool GetPixelFormat(PixelFormat& format) const override {
    return surface_.GetPixelFormat(format);
  }
  bool FlipDone() override { return surface_.FlipDone(); }
  bool LockBackBuffer(uint8_t*& address, int32_t& pitch) override {
    return surface_.LockBackBuffer(address, pitch);
  }
  bool FlipPage() override { return surface_.FlipPage(); }

  void SetWindow(HWND window) { window_ = window; }
  void SetPacer(DisplayPacer* pacer) { surface_.SetPacer(pacer); }

 private:
  HWND window_ = nullptr;
  DirectDrawDisplay surface_;
};

DirectDrawControl& Control() {
  static DirectDrawControl control;
  return control;
}

}  // namespace

DisplayControl& ProgramDisplay() { return Control(); }

void SetDisplayWindow(HWND window) { Control().SetWindow(window); }

void SetDisplayPacer(DisplayPacer* pacer) { Control().SetPacer(pacer); }

}  // namespace zm::win32
