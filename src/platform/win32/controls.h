#pragma once

#include <windows.h>

namespace zm::win32 {

// A child control of `parent` at a position in client pixels, with the
// dialog font; its identifier is `id`.
HWND CreateControl(HWND parent, const wchar_t* windowClass, const char* text, DWORD style, int x,
                   int y, int width, int height, int id, HFONT font);

// Draws a bevel of one pixel: raised or lowered.
void DrawBevel(HDC dc, RECT rect, bool raised);

// The silver background of the classic dialogs.
HBRUSH SilverBrush();

}  // namespace zm::win32
