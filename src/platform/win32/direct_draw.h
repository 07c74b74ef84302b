#pragma once

#include <windows.h>
// windows.h first: ddraw.h needs its types.
#include <ddraw.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "display/display_mode.h"

namespace zm::win32 {

// The display-mode control over DirectDraw: one DirectDraw object per
// process, a flipping primary surface with one back buffer while a video mode
// is set, and the desktop's mode back afterwards. Every failure is a false
// (or empty) answer; nothing here shows a message. Called from the user-
// interface thread only.

// True when the platform's DirectX library can be loaded (DINPUT.DLL on
// Windows NT, DDRAW.DLL elsewhere); the library is released at once.
bool DirectXInstalled();

// Creates the DirectDraw object and asks it for IDirectDraw2. True when the
// object is ready, created now or by an earlier call.
bool DirectDrawStartup();

// True once DirectDrawStartup has succeeded (and until DirectDrawShutdown).
bool DirectDrawReady();

// Releases the primary surface and the DirectDraw object.
void DirectDrawShutdown();

// The display's modes of 16, 24 and 32 bits per pixel, each refresh rate a
// separate entry, in the order the display reports them; empty optional when
// DirectDraw is not ready.
std::optional<std::vector<DisplayMode>> ListDisplayModes();

// Takes the display for `window` exclusively, switches to the mode and
// creates the flipping primary surface with its back buffer (at least one).
// After a failure past the cooperative level, RestoreVideoMode undoes it.
bool SetVideoMode(HWND window, int32_t width, int32_t height, int32_t bitsPerPixel,
                  int32_t refreshRate, int32_t backBuffers);

// Releases the primary surface and leaves the exclusive level, which returns
// the display to the desktop's mode.
bool RestoreVideoMode();

// True when the last flip has completed (also when no back buffer exists, so
// a caller's wait ends and its lock fails instead).
bool FlipDone();

// Locks the whole back buffer without waiting: the address of its first
// pixel and the bytes from one line to the next.
bool LockBackBuffer(uint8_t*& address, int32_t& pitch);

// Unlocks the back buffer and flips it to the front; a lost primary surface
// is restored once.
bool FlipPage();

// The primary surface of the current video mode, or null when none is set.
IDirectDrawSurface* PrimarySurface();

// Test seam: DirectDrawStartup creates its object through `create` instead
// of DDRAW.DLL's DirectDrawCreate; null goes back to the library.
using DirectDrawCreateFunction = HRESULT(WINAPI*)(GUID*, IDirectDraw**, IUnknown*);
void SetDirectDrawCreateForTesting(DirectDrawCreateFunction create);

}  // namespace zm::win32
