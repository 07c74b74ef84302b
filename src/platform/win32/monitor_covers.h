#pragma once

#include <windows.h>

#include <vector>

namespace zm::win32 {

// Black topmost windows over every monitor but the primary one, so that a
// saver run in a switched video mode, whose window covers only the primary
// monitor, leaves no part of the desktop visible.
class MonitorCovers {
 public:
  ~MonitorCovers() { Remove(); }
  void Cover();
  void Remove();

 private:
  static BOOL CALLBACK AddCover(HMONITOR monitor, HDC, LPRECT, LPARAM self);
  std::vector<HWND> covers_;
};

}  // namespace zm::win32
