#pragma once

#include <windows.h>

#include "display/display_control.h"

namespace zm::win32 {

class DisplayPacer;

// The process's display-mode control over DirectDraw; `window` is the window
// that video modes are switched for.
DisplayControl& ProgramDisplay();
void SetDisplayWindow(HWND window);
// The pacer whose slots the page-flipped frames wait for; null for none.
void SetDisplayPacer(DisplayPacer* pacer);

}  // namespace zm::win32
