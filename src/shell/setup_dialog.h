#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "display/display_control.h"
#include "shell/about_box_view.h"
#include "shell/saver_screen.h"
#include "shell/saver_window.h"
#include "shell/setup_dialog_view.h"
#include "shell/video_mode_list.h"

namespace zm {

// The speed trackbar's maximum; SHAPE_SPEED is position * 2 / maximum.
constexpr int32_t kSpeedMaximum = 20;
// The colour list's entries run from 0 to this; -1 selects none.
constexpr int32_t kLastMaterialEntry = 8;

// The caption of colour entry `entry` (0..8), in the order the list shows
// them ("Gold and white silk", "Gold and red silk", ...).
std::string_view MaterialEntryCaption(int32_t entry);

// The entries of "Frames:": "display" (the display's rate, Max_FPS=0), then
// at most 120, 60 and 30 frames a second.
constexpr int32_t kFrameLimitEntryCount = 4;
std::string_view FrameLimitEntryCaption(int32_t entry);
int32_t FrameLimitOfEntry(int32_t entry);

// Where the preview is drawn: 271 x 223 pixels, 8 pixels from the top and
// 10 from the right edge of the client area ((294, 8) at width 575).
ClientRect PreviewRect(int32_t clientWidth);

// The rules of the setup dialog of a configure run: what its handlers do to
// the settings record, the material choice, the settings file and the saver
// screen's engine, and how its idle handler draws the live preview. The
// saver screen is created (FormCreate) before the dialog is shown, and
// lives as long as the dialog.
//
// The platform forwards the controls' events to the handlers of the same
// names, calls FormShow when the dialog is shown and FormCloseQuery before
// it closes, and from the show on routes the application's idle,
// deactivation and activation events to PreviewIdle, AppDeactivated and
// AppActivated.
class SetupDialog {
 public:
  SetupDialog(SetupDialogView& view, AboutBoxView& about, SaverScreen& screen, SaverWindow& window,
              DisplayControl& display)
      : view_(view), about_(about), screen_(screen), window_(window), display_(display) {}
  SetupDialog(const SetupDialog&) = delete;
  SetupDialog& operator=(const SetupDialog&) = delete;

  // Fills the controls from section SETUP_DIALOG, the settings record and
  // the display's modes; changes no state.
  void FormShow();
  // Control events; each does nothing while the dialog fills its controls.
  void ShapeSpeedChange();
  void UseDirectXClick();
  // A text that names no entry (typed by hand) changes nothing.
  void GraphModesListChange();
  // A layout chosen in "Monitors:" holds from now on (stored at Ok).
  void MonitorsChange();
  // A limit chosen in "Frames:" holds from now on (stored at Ok).
  void FramesChange();
  void All_MaterialsClick();
  void MaterialsClick();
  // Buttons.
  void ShowPreviewClick();
  void AboutClick();
  // Stores the pattern state, section SETUP_DIALOG and the saver's sections,
  // then closes. A settings file that cannot be written is reported and the
  // dialog stays open.
  void OkClick();
  // Closes without storing; the saver screen's destruction stores what it
  // must.
  void CancelClick();
  // Before every closing: pauses the preview. Always allows closing.
  bool FormCloseQuery();

  // The application's idle event: draws one frame, into the preview
  // rectangle or into the shown saver window, and sets `done` to false so
  // that it is called again as soon as no message waits. While the preview
  // is paused, or nobody can see the screen (SaverScreen::Seen), or a still
  // picture (Shape::IsStill) is already shown where it would draw, it draws
  // nothing and leaves `done` alone, so the application waits for the next
  // message.
  void PreviewIdle(bool& done);
  // The platform could not keep the preview it showed (a repaint of the
  // dialog): a still picture is drawn once more.
  void PreviewLost() { stillShownOn_ = PreviewTarget::kNone; }
  // The application lost or got back the focus: pauses or resumes the
  // preview, unless the saver window or the About box is shown.
  void AppDeactivated();
  void AppActivated();
  // Called by the About box whenever it hides.
  void ResumePreview() { previewPaused = 0; }

  // Set while the dialog fills its controls: their change events are then
  // ignored.
  uint8_t dialogLoading = 1;
  // Set while the preview draws nothing.
  uint8_t previewPaused = 0;

 private:
  // Where the preview draws; a still picture is drawn once per target.
  enum class PreviewTarget { kNone, kDialog, kSaverWindow, kSurface };

  PreviewTarget CurrentPreviewTarget() const;
  void ShowVideoModes();
  void ApplyFrameSize();
  void StoreSettings(const std::string& path) const;
  bool PreviewCovered() const;

  SetupDialogView& view_;
  AboutBoxView& about_;
  SaverScreen& screen_;
  SaverWindow& window_;
  DisplayControl& display_;
  std::vector<VideoModeEntry> modeEntries_;
  PreviewTarget stillShownOn_ = PreviewTarget::kNone;
};

}  // namespace zm
