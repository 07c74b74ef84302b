#include "shell/preview_loop.h"

#include <optional>

#include "render/shape.h"
#include "settings/saver_settings.h"
#include "shell/saver_screen.h"

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

// One pixel more than the window each way; the extra row and column fall
// outside it when drawn.
BitmapView BitmapForWindow(PreviewHost& host) {
  const WindowRect rect = host.ParentRect();
  return host.CreateBitmap(rect.right - rect.left + 1, rect.bottom - rect.top + 1);
}

// A window that changed its size gets a bitmap of the new size, and the
// engine follows it as for a changed output size.
void FollowWindowSize(PreviewHost& host, Shape& shape, BitmapView& bitmap) {
  const WindowRect rect = host.ParentRect();
  if (rect.right - rect.left + 1 == bitmap.width && rect.bottom - rect.top + 1 == bitmap.height) {
    return;
  }
  bitmap = BitmapForWindow(host);
  shape.Resize(bitmap.width, bitmap.height);
  shape.NextStep(true);
}

}  // namespace

PreviewEnd RunPreviewLoop(PreviewHost& host, const SettingsOverrides& overrides,
                          PreviewLasts lasts) {
  if (const std::optional<PreviewEnd> unseen = WaitUntilVisible(host)) return *unseen;
  BitmapView bitmap = BitmapForWindow(host);
  SaverSettings.SHAPE_SPEED = 1.0;
  SaverSettings.PATTERN_MODE = 0;
  ApplyPreviewOverrides(overrides);

  Shape shape;
  shape.Configure(EngineSettingsOf(SaverSettings));
  shape.SetPacedByDisplay(host.FramesPacedByDisplay());
  shape.Resize(bitmap.width, bitmap.height);
  shape.PrepareNow();
  shape.NextStep(false);
  const bool untilDestroyed = lasts == PreviewLasts::kUntilDestroyed;
  const auto goesOn = [&] { return untilDestroyed ? !host.ParentGone() : host.ParentVisible(); };
  // A window hidden for a while, where the preview lasts until it is
  // destroyed, counts as one nobody sees.
  const auto unseen = [&] {
    return host.ParentUnseen() || (untilDestroyed && !host.ParentVisible());
  };
  while (goesOn()) {
    if (!unseen()) {
      shape.RenderToBitmap(bitmap);
      host.DrawBitmap();
    }
    host.ProcessMessages();
    FollowWindowSize(host, shape, bitmap);
    // Unseen, the loop sleeps until the window's events say something changed.
    if (unseen()) {
      host.WaitForWindowEvent(kPreviewUnseenWaitMs);
    } else {
      host.WaitForNextFrame();
    }
  }
  return PreviewEnd::kHidden;
}

}  // namespace zm
