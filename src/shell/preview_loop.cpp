#include "shell/preview_loop.h"

#include <optional>

#include "render/shape.h"
#include "settings/saver_settings.h"

namespace zm {

namespace {

// Sleeps between the looks: a window that never shows costs no processor.
std::optional<PreviewEnd> WaitUntilVisible(PreviewHost& host) {
  const uint64_t start = host.Milliseconds();
  while (!host.ParentVisible()) {
    if (host.ParentGone()) return PreviewEnd::kGoneUnseen;
    if (host.Milliseconds() - start >= kPreviewShowTimeoutMs) return PreviewEnd::kNeverVisible;
    host.Sleep(kPreviewShowPollMs);
    host.ProcessMessages();
  }
  return std::nullopt;
}

}  // namespace

PreviewEnd RunPreviewLoop(PreviewHost& host, const SettingsOverrides& overrides) {
  if (const std::optional<PreviewEnd> unseen = WaitUntilVisible(host)) return *unseen;
  // One pixel more than the window each way; the extra row and column fall
  // outside it when drawn.
  const WindowRect rect = host.ParentRect();
  const int32_t width = rect.right - rect.left + 1;
  const int32_t height = rect.bottom - rect.top + 1;
  const BitmapView bitmap = host.CreateBitmap(width, height);
  SaverSettings.SHAPE_SPEED = 1.0;
  SaverSettings.PATTERN_MODE = 0;
  ApplyPreviewOverrides(overrides);

  Shape shape;
  shape.SetPacedByDisplay(host.FramesPacedByDisplay());
  shape.Resize(bitmap.width, bitmap.height);
  shape.PrepareNow();
  shape.NextStep(false);
  while (host.ParentVisible()) {
    if (!host.ParentUnseen()) {
      shape.RenderToBitmap(bitmap);
      host.DrawBitmap();
    }
    host.ProcessMessages();
    host.WaitForNextFrame();
  }
  return PreviewEnd::kHidden;
}

}  // namespace zm
