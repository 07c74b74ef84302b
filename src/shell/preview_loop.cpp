#include "shell/preview_loop.h"

#include "render/shape.h"
#include "settings/saver_settings.h"

namespace zm {

namespace {

bool WaitUntilVisible(PreviewHost& host) {
  const uint64_t start = host.Milliseconds();
  while (!host.ParentVisible()) {
    if (host.Milliseconds() - start >= kPreviewShowTimeoutMs) return false;
    host.ProcessMessages();
  }
  return true;
}

}  // namespace

bool RunPreviewLoop(PreviewHost& host, const SettingsOverrides& overrides) {
  if (!WaitUntilVisible(host)) return false;
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
  shape.Resize(bitmap.width, bitmap.height);
  shape.PrepareNow();
  shape.NextStep(false);
  while (host.ParentVisible()) {
    if (!host.ParentUnseen()) {
      shape.RenderToBitmap(bitmap);
      host.DrawBitmap();
    }
    host.ProcessMessages();
    host.Sleep(kPreviewFramePauseMs);
  }
  return true;
}

}  // namespace zm
