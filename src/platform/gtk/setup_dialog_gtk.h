#pragma once

#include <array>
#include <functional>
#include <memory>

#include "shell/setup_dialog.h"
#include "shell/setup_dialog_view.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _cairo_surface cairo_surface_t;

namespace zm {

// The setup dialog ("Zelk Mirv Screen Saver" and the version) in GTK 3: a
// fixed-size window (the size in dialog_layout.h) whose controls stand where
// the dialog's design puts them, in its tab order, with every user event forwarded to the dialog's
// rules. Setting a control from the program raises no event. The preview is
// a drawing area over the preview rectangle, showing the last frame scaled.
class SetupDialogGtk : public SetupDialogView {
 public:
  SetupDialogGtk();
  ~SetupDialogGtk() override;
  SetupDialogGtk(const SetupDialogGtk&) = delete;
  SetupDialogGtk& operator=(const SetupDialogGtk&) = delete;

  GtkWidget* Window() const { return window_; }
  void Attach(SetupDialog* dialog) { dialog_ = dialog; }
  // Called once the dialog has closed (the run's loop ends there).
  void OnClosed(std::function<void()> closed) { closed_ = std::move(closed); }
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
  void SelectMonitorsEntry(int32_t entry) override;
  int32_t MonitorsEntry() const override;
  void EnableMonitors(bool enabled) override;
  void SelectFramesEntry(int32_t entry) override;
  int32_t FramesEntry() const override;
  void CheckUseDirectX(bool checked) override;
  bool UseDirectXChecked() const override;
  void EnableUseDirectX(bool enabled) override;
  void SetBusyCursor(bool busy) override;
  void DrawPreview(const BitmapView& frame, const ClientRect& target) override;
  void Close() override;
  void ShowError(const std::string& message) override;

 private:
  // Counts the program's own settings of the controls, whose signals are
  // then not forwarded.
  class Quiet {
   public:
    explicit Quiet(SetupDialogGtk& view) : view_(view) { ++view_.quiet_; }
    ~Quiet() { --view_.quiet_; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

   private:
    SetupDialogGtk& view_;
  };

  void CreateControls();
  void CreateColorGroup();
  void SetFocusOrder();
  // The dialog to forward a user event to, or null while the program sets
  // the controls itself.
  SetupDialog* Target() const { return quiet_ == 0 ? dialog_ : nullptr; }
  void Connect(GtkWidget* widget, const char* signal, void (SetupDialog::*handler)());

  GtkWidget* window_ = nullptr;
  GtkWidget* fixed_ = nullptr;
  GtkWidget* preview_ = nullptr;
  GtkWidget* previewButton_ = nullptr;
  GtkWidget* speed_ = nullptr;
  GtkWidget* allColors_ = nullptr;
  GtkWidget* colorFrame_ = nullptr;
  std::array<GtkWidget*, 9> colors_{};
  GtkWidget* noColor_ = nullptr;  // the hidden entry that is active when none is chosen
  GtkWidget* ok_ = nullptr;
  GtkWidget* cancel_ = nullptr;
  GtkWidget* about_ = nullptr;
  GtkWidget* modes_ = nullptr;
  GtkWidget* useDirectX_ = nullptr;
  GtkWidget* monitors_ = nullptr;
  GtkWidget* frames_ = nullptr;
  cairo_surface_t* picture_ = nullptr;  // the preview as last drawn, at the rectangle's size
  SetupDialog* dialog_ = nullptr;
  std::function<void()> closed_;
  std::unique_ptr<class IdleStartBoxGtk> idleStart_;  // "Start after" (Linux only)
  int quiet_ = 0;
  bool open_ = false;
};

}  // namespace zm
