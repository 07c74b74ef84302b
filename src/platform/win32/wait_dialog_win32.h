#pragma once

#include <windows.h>

#include "shell/wait_dialog.h"

namespace zm::win32 {

// The first-start progress window "ZELK MIRV": no border, 380 x 70,
// centred, a raised panel with the text "Initializing...   Please wait."
// and a progress bar of 0..100. Created when first shown.
class WaitDialogWin32 : public WaitDialog {
 public:
  explicit WaitDialogWin32(HWND owner) : owner_(owner) {}
  ~WaitDialogWin32() override;

  void Show() override;
  void SetProgress(int32_t position) override;
  void Hide() override;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Create();

  HWND owner_;
  HWND window_ = nullptr;
  HWND progress_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace zm::win32
