#include "platform/win32/direct_draw_display.h"

#include "platform/win32/direct_draw.h"
#include "platform/win32/display_pacer.h"

namespace zm::win32 {

bool DirectDrawDisplay::HasPrimarySurface() const { return PrimarySurface() != nullptr; }

bool DirectDrawDisplay::GetPixelFormat(PixelFormat& format) const {
  IDirectDrawSurface* primary = PrimarySurface();
  if (primary == nullptr) return false;
  DDPIXELFORMAT surfaceFormat{};
  surfaceFormat.dwSize = sizeof surfaceFormat;
  if (FAILED(primary->GetPixelFormat(&surfaceFormat))) return false;
  format = {static_cast<uint32_t>(surfaceFormat.dwFlags),
            static_cast<uint32_t>(surfaceFormat.dwRGBBitCount),
            static_cast<uint32_t>(surfaceFormat.dwRBitMask),
            static_cast<uint32_t>(surfaceFormat.dwGBitMask),
            static_cast<uint32_t>(surfaceFormat.dwBBitMask)};
  return true;
}

// The last flip was queued for the vertical blank; by the next slot it has
// normally happened, and only then is the surface asked.
bool DirectDrawDisplay::FlipDone() {
  if (pacer_ != nullptr && !slotTaken_) {
    pacer_->WaitAndTakeSlot();
    slotTaken_ = true;
  }
  return win32::FlipDone();
}

bool DirectDrawDisplay::LockBackBuffer(uint8_t*& address, int32_t& pitch) {
  return win32::LockBackBuffer(address, pitch);
}

bool DirectDrawDisplay::FlipPage() {
  slotTaken_ = false;
  return win32::FlipPage();
}

}  // namespace zm::win32
