#pragma once

#include <windows.h>

#include "display/display_control.h"

namespace zm::win32 {

// The process's display-mode control over DirectDraw; `window` is the window
// that video modes are switched for.
DisplayControl& ProgramDisplay();
void SetDisplayWindow(HWND window);

}  // namespace zm::win32
