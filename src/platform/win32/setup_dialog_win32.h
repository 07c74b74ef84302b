#pragma once

#include <windows.h>

#include <array>

#include "shell/setup_dialog.h"
#include "shell/setup_dialog_view.h"

namespace zm::win32 {

// The setup dialog ("Zelk Mirv Screen Saver" and the version): its
// controls, laid out and ordered as the dialog's design says, with every
// event forwarded to the dialog's rules.
class SetupDialogWin32 : public SetupDialogView {
 public:
  SetupDialogWin32();
  ~SetupDialogWin32() override;

  HWND Handle() const { return window_; }
  void Attach(SetupDialog* dialog) { dialog_ = dialog; }
  void Show();

  int32_t ClientWidth() const override;
  void SetSpeedPosition(int32_t position) override;
  int32_t SpeedPosition() const override;
  void SelectMaterialEntry(int32_t entry) override;
  int32_t SelectedMaterialEntry() const override;
  void EnableMaterialEntries(bool enabled) override;
  void CheckAllColors(bool checked) override;
  bool AllColorsChecked() const override;
  void SetModeEntries(const std::vector<std::string>& texts) override;
  void SetModeText(const std::string& text) override;
  std::string ModeText() const override;
  void EnableModeBox(bool enabled) override;
  void CheckUseDirectX(bool checked) override;
  bool UseDirectXChecked() const override;
  void EnableUseDirectX(bool enabled) override;
  void SelectMonitorsEntry(int32_t entry) override;
  int32_t MonitorsEntry() const override;
  void EnableMonitors(bool enabled) override;
  void SelectFramesEntry(int32_t entry) override;
  int32_t FramesEntry() const override;
  void SetBusyCursor(bool busy) override;
  void DrawPreview(const BitmapView& frame, const ClientRect& target) override;
  void Close() override;
  void ShowError(const std::string& message) override;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void CreateColorGroup();
  void CreateMonitorsBox();
  void Command(int id, int code);
  void Paint();
  void RestoreFocus();

  HWND window_ = nullptr;
  SetupDialog* dialog_ = nullptr;
  HFONT font_ = nullptr;
  HWND speed_ = nullptr;
  HWND allColors_ = nullptr;
  HWND colorFrame_ = nullptr;
  std::array<HWND, 9> colors_{};
  HWND modes_ = nullptr;
  HWND useDirectX_ = nullptr;
  HWND monitors_ = nullptr;
  HWND frames_ = nullptr;
  HWND focus_ = nullptr;  // the control that had the focus last
};

}  // namespace zm::win32
