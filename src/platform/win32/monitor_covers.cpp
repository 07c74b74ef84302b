#include "platform/win32/monitor_covers.h"

#include "platform/win32/window_class.h"

namespace zm::win32 {

BOOL CALLBACK MonitorCovers::AddCover(HMONITOR monitor, HDC, LPRECT, LPARAM self) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(monitor, &info) || (info.dwFlags & MONITORINFOF_PRIMARY) != 0) return TRUE;
  const RECT& r = info.rcMonitor;
  const wchar_t* name = RegisterWindowClass(L"ZelkMirvCover", &DefWindowProcW,
                                            static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  HWND cover = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, name, L"", WS_POPUP | WS_VISIBLE,
                               r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (cover != nullptr) reinterpret_cast<MonitorCovers*>(self)->covers_.push_back(cover);
  return TRUE;
}

void MonitorCovers::Cover() {
  if (!covers_.empty()) return;
  EnumDisplayMonitors(nullptr, nullptr, &AddCover, reinterpret_cast<LPARAM>(this));
}

void MonitorCovers::Remove() {
  for (HWND cover : covers_) DestroyWindow(cover);
  covers_.clear();
}

}  // namespace zm::win32
