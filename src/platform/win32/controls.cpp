#include "platform/win32/controls.h"

#include "platform/win32/text_encoding.h"

namespace zm::win32 {

HWND CreateControl(HWND parent, const wchar_t* windowClass, const char* text, DWORD style,
                   const ClientRect& place, int id, HFONT font) {
  HWND control = CreateWindowExW(0, windowClass, ToWide(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                                 place.left, place.top, place.width, place.height, parent,
                                 reinterpret_cast<HMENU>(static_cast<intptr_t>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control != nullptr) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

RECT ToRect(const ClientRect& place) {
  return RECT{place.left, place.top, place.left + place.width, place.top + place.height};
}

void DrawBevel(HDC dc, RECT rect, bool raised) {
  DrawEdge(dc, &rect, raised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
}

HBRUSH SilverBrush() {
  static HBRUSH brush = CreateSolidBrush(RGB(192, 192, 192));
  return brush;
}

}  // namespace zm::win32
