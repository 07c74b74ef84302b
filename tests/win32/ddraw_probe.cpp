// Drives the DirectDraw layer on a live display: lists the video modes,
// switches to 640x480 at 32 bits and then at 16 bits (when listed), draws the
// ornament into the back buffer through the engine's page-flipped path, and
// restores the desktop. The end-to-end script checks the X screen meanwhile.
//
// Usage: ddraw_probe.exe HANDSHAKE_DIR
// For each depth the probe draws a short animation, writes the picture of its
// last frame to HANDSHAKE_DIR/frame-B.bgra, prints "holding WxHxB" and keeps
// that frame on screen until HANDSHAKE_DIR/next-B exists (the script creates
// it after its checks) or 60 seconds pass. Every result is one line on
// standard output; the exit status is 0 when every step succeeded.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32/direct_draw.h"
#include "platform/win32/direct_draw_display.h"
#include "render/bitmap32.h"
#include "render/shape.h"
#include "settings/saver_settings.h"
#include "shell/startup.h"

namespace {

using namespace zm;
using Clock = std::chrono::steady_clock;

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
constexpr uint32_t kSeed = 20261208;

int failures = 0;

void Report(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

void Check(bool ok, const std::string& what) {
  Report(what + (ok ? " ok" : " FAILED"));
  if (!ok) ++failures;
}

// The display layer, counting what the engine asked of it.
class CountingDisplay : public win32::DirectDrawDisplay {
 public:
  bool LockBackBuffer(uint8_t*& address, int32_t& pitch) override {
    const bool ok = win32::DirectDrawDisplay::LockBackBuffer(address, pitch);
    if (ok) lastPitch = pitch;
    ++(ok ? locks : failedLocks);
    return ok;
  }
  bool FlipPage() override {
    const bool ok = win32::DirectDrawDisplay::FlipPage();
    ++(ok ? flips : failedFlips);
    return ok;
  }
  int locks = 0, failedLocks = 0, flips = 0, failedFlips = 0;
  int32_t lastPitch = 0;
};

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

HWND CreateProbeWindow() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "ZelkMirvProbe";
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  RegisterClassA(&windowClass);
  return CreateWindowExA(WS_EX_TOPMOST, windowClass.lpszClassName, "Zelk Mirv DirectDraw probe",
                         WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                         GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, windowClass.hInstance,
                         nullptr);
}

std::string ModeName(const DisplayMode& mode) {
  return std::to_string(mode.Width) + "x" + std::to_string(mode.Height) + "x" +
         std::to_string(mode.BitPerPix) + "@" + std::to_string(mode.RefreshRate);
}

void ReportPixelFormat(const DisplaySurface& display) {
  PixelFormat format;
  if (!display.GetPixelFormat(format)) {
    Check(false, "pixel format");
    return;
  }
  char line[160];
  std::snprintf(
      line, sizeof line, "format flags=0x%lx bits=%lu red=0x%lx green=0x%lx blue=0x%lx",
      static_cast<unsigned long>(format.flags), static_cast<unsigned long>(format.rgbBitCount),
      static_cast<unsigned long>(format.redMask), static_cast<unsigned long>(format.greenMask),
      static_cast<unsigned long>(format.blueMask));
  Report(line);
}

// Writes a 32-bit image as raw bytes (blue, green, red, 0 per pixel).
void WriteRaw(const Bitmap32& image, const std::filesystem::path& path) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(image.Pixels().data()),
             static_cast<std::streamsize>(image.Pixels().size() * sizeof(uint32_t)));
}

// Draws an animation of kFrames frames, then one more whose picture it also
// renders into a 32-bit image (HANDSHAKE_DIR/frame-B.bgra), and holds that
// frame on screen until the script has looked at it.
void DrawThenHold(Shape& shape, CountingDisplay& display, int32_t bits,
                  const std::filesystem::path& handshake) {
  constexpr int kFrames = 30;
  int frames = 0;
  for (int i = 0; i < kFrames; ++i) {
    PumpMessages();
    if (shape.RenderToSurface()) ++frames;
  }
  Bitmap32 expected(kWidth, kHeight);
  shape.RenderFrame(expected.View());
  if (shape.RenderToSurface()) ++frames;
  const std::string depth = std::to_string(bits);
  WriteRaw(expected, handshake / ("frame-" + depth + ".bgra"));
  Report("frames " + std::to_string(frames) + " locks " + std::to_string(display.locks) +
         " failed-locks " + std::to_string(display.failedLocks) + " flips " +
         std::to_string(display.flips) + " failed-flips " + std::to_string(display.failedFlips) +
         " pitch " + std::to_string(display.lastPitch));
  Check(frames == kFrames + 1 && display.lastPitch >= kWidth * bits / 8, "frames at " + depth);
  Report("holding " + std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x" + depth);

  const auto start = Clock::now();
  while (!std::filesystem::exists(handshake / ("next-" + depth)) &&
         Clock::now() - start < std::chrono::seconds(60)) {
    PumpMessages();
    Sleep(10);
  }
}

bool Listed(const std::vector<DisplayMode>& modes, int32_t bits) {
  for (const DisplayMode& mode : modes) {
    if (mode.Width == kWidth && mode.Height == kHeight && mode.BitPerPix == bits) return true;
  }
  return false;
}

void RunDepth(HWND window, Shape& shape, int32_t bits, const std::filesystem::path& handshake) {
  CountingDisplay display;
  shape.SetDisplay(&display);
  SaverSettings.Mode = DisplayMode{kHeight, kWidth, 0, bits};
  shape.Configure({.surfaceBits = bits, .modeHeight = kHeight});
  const bool set = win32::SetVideoMode(window, kWidth, kHeight, bits, 0, 1);
  Check(set, "set " + std::to_string(bits));
  if (set) {
    Check(win32::PrimarySurface() != nullptr, "primary surface");
    ReportPixelFormat(display);
    shape.ConvertPalettes();
    DrawThenHold(shape, display, bits, handshake);
  }
  Check(win32::RestoreVideoMode(), "restore " + std::to_string(bits));
  Check(win32::PrimarySurface() == nullptr, "no primary surface after restore");
  shape.SetDisplay(nullptr);
  PumpMessages();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ddraw_probe HANDSHAKE_DIR\n");
    return 2;
  }
  const std::filesystem::path handshake = argv[1];
  _setmode(_fileno(stdout), _O_BINARY);  // lines end in "\n" for the script

  Check(win32::ListDisplayModes() == std::nullopt, "no mode list before start-up");
  Check(!win32::SetVideoMode(nullptr, kWidth, kHeight, 32, 0, 1), "no mode switch before start-up");
  Check(win32::DirectXInstalled(), "directx installed");
  Check(win32::DirectDrawStartup() && win32::DirectDrawStartup() && win32::DirectDrawReady(),
        "start-up twice");
  const std::vector<DisplayMode> modes =
      win32::ListDisplayModes().value_or(std::vector<DisplayMode>{});
  for (const DisplayMode& mode : modes) Report("mode " + ModeName(mode));
  Check(Listed(modes, 32), "640x480x32 listed");

  PrepareProgram(kSeed);
  Shape shape;
  shape.Resize(kWidth, kHeight);
  shape.PrepareNow();
  shape.NextStep(false);

  const HWND window = CreateProbeWindow();
  Check(window != nullptr, "window");
  PumpMessages();
  for (const int32_t bits : {32, 16}) {
    if (Listed(modes, bits)) {
      RunDepth(window, shape, bits, handshake);
    } else {
      Report("not listed " + std::to_string(bits));
    }
  }
  DestroyWindow(window);
  win32::DirectDrawShutdown();
  Check(!win32::DirectDrawReady() && win32::PrimarySurface() == nullptr, "shutdown");
  Report(failures == 0 ? "probe passed" : "probe failed");
  return failures == 0 ? 0 : 1;
}
