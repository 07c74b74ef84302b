#pragma once

#include <windows.h>

#include "shell/setup_dialog_view.h"

namespace zm::win32 {

// A child control of `parent` at a place in client pixels, with the dialog
// font; its identifier is `id`.
HWND CreateControl(HWND parent, const wchar_t* windowClass, const char* text, DWORD style,
                   const ClientRect& place, int id, HFONT font);

// The same place as a RECT (right and bottom exclusive).
RECT ToRect(const ClientRect& place);

// Draws a bevel of one pixel: raised or lowered.
void DrawBevel(HDC dc, RECT rect, bool raised);

// The silver background of the classic dialogs.
HBRUSH SilverBrush();

}  // namespace zm::win32
