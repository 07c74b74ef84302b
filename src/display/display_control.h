#pragma once

#include <cstdint>
#include <vector>

#include "display/display_mode.h"
#include "display/display_surface.h"

namespace zm {

// The display-mode control of one process: start-up and shut-down of the
// display service, the list of the display's video modes, switching into a
// mode with a page-flipped primary surface and restoring the desktop's mode.
// Every operation answers false (or an empty list) on failure and shows
// nothing; the callers report. The platform implements it (DirectDraw on
// Windows, XRandR on X11); the window a mode is switched for is the
// platform's business.
class DisplayControl : public DisplaySurface {
 public:
  // True if the display service is ready (started now or before).
  virtual bool Startup() = 0;
  virtual bool Ready() const = 0;
  // The last call of a process: releases the surfaces and the service.
  virtual void Shutdown() = 0;
  // The display's modes of 16, 24 and 32 bits per pixel in the service's
  // order; modes that differ only in refresh rate are separate entries.
  // Empty when not ready.
  virtual std::vector<DisplayMode> ListModes() = 0;
  // Switches into the mode with a flipping primary surface and
  // `backBuffers` back buffers (at least 1). A failure may leave the display
  // switched: the caller then calls RestoreVideoMode.
  virtual bool SetVideoMode(int32_t width, int32_t height, int32_t bitsPerPixel,
                            int32_t refreshRate, int32_t backBuffers) = 0;
  // Releases the surfaces and gives the display back its desktop mode.
  virtual bool RestoreVideoMode() = 0;
};

}  // namespace zm
