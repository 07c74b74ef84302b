#pragma once

#include <windows.h>

namespace zm::win32 {

// Registers a window class of this module once (later calls do nothing) and
// answers its name.
const wchar_t* RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HBRUSH background);

// The object a window was created for (its creation parameter), kept in the
// window's user data by the procedure of its class.
template <typename T>
T* WindowOwner(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* owner = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return owner;
  }
  return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// A font of the classic dialog face at a height in pixels (negative: the
// character height).
HFONT DialogFont(int height, bool bold = false);

}  // namespace zm::win32
