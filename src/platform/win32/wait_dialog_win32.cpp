#include "platform/win32/wait_dialog_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "platform/win32/text_encoding.h"
#include "platform/win32/window_class.h"
#include "shell/dialog_layout.h"
#include "shell/dialog_texts.h"

namespace zm::win32 {

namespace {

constexpr int kBevelWidth = 2;

// The label's size for its caption in its font, as an auto-sized label
// takes it, and never below the size at design. NOTE: where the system
// substitutes a wider face for "MS Sans Serif" (Wine without its fonts), a
// label of the design width would wrap the caption and lose its last word.
SIZE LabelSize(HWND window, HFONT font) {
  SIZE text{0, 0};
  if (HDC dc = GetDC(window)) {
    const HGDIOBJ old = SelectObject(dc, font);
    const std::wstring caption = ToWide(kWaitCaption);
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
  }
  const ClientRect& design = dialog_layout::kWaitLabel;
  return {std::max<LONG>(text.cx, design.width), std::max<LONG>(text.cy, design.height)};
}

}  // namespace

WaitDialogWin32::~WaitDialogWin32() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (font_ != nullptr) DeleteObject(font_);
}

LRESULT CALLBACK WaitDialogWin32::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    // The panel: a raised bevel of two pixels around the client area.
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT rect;
    GetClientRect(window, &rect);
    FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
    for (int i = 0; i < kBevelWidth; ++i) {
      DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
      InflateRect(&rect, -1, -1);
    }
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void WaitDialogWin32::Create() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  const wchar_t* name =
      RegisterWindowClass(L"ZelkMirvWait", &Procedure, GetSysColorBrush(COLOR_BTNFACE));
  const int width = dialog_layout::kWaitWidth;
  const int height = dialog_layout::kWaitHeight;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  window_ = CreateWindowExW(0, name, L"ZELK MIRV", WS_POPUP, left, top, width, height,
                            owner_, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window_ == nullptr) return;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  font_ = DialogFont(-13);
  const SIZE labelSize = LabelSize(window_, font_);
  const ClientRect& labelPlace = dialog_layout::kWaitLabel;
  HWND label = CreateWindowExW(0, L"STATIC", ToWide(kWaitCaption).c_str(),
                               WS_CHILD | WS_VISIBLE | SS_NOPREFIX, labelPlace.left, labelPlace.top,
                               labelSize.cx, labelSize.cy, window_, nullptr, instance, nullptr);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  const ClientRect& bar = dialog_layout::kWaitBar;
  progress_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, bar.left, bar.top,
                              bar.width, bar.height, window_, nullptr, instance, nullptr);
  SendMessageW(progress_, PBM_SETRANGE32, 0, 100);
  SendMessageW(progress_, PBM_SETPOS, 0, 0);
}

void WaitDialogWin32::Show() {
  if (window_ == nullptr) Create();
  if (window_ == nullptr) return;
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
}

void WaitDialogWin32::SetProgress(int32_t position) {
  if (progress_ == nullptr) return;
  // Under visual styles the bar glides towards a higher position on timers,
  // which never run during the warm-up; a step back is shown at once.
  SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(position) + 1, 0);
  SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  // No messages are processed during the warm-up: paint the bar now.
  UpdateWindow(progress_);
}

void WaitDialogWin32::Hide() {
  if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
}

}  // namespace zm::win32
