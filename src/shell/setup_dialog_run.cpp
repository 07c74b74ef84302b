#include "settings/ini_file.h"
#include "settings/saver_settings.h"
#include "settings/settings_file.h"
#include "settings/settings_write_error.h"
#include "settings/setup_dialog_section.h"
#include "shell/run_mode.h"
#include "shell/setup_dialog.h"

namespace zm {

// The saver window shows the ornament in place of the dialog until input
// ends it, without a password; the window then only hides.
void SetupDialog::ShowPreviewClick() {
  PreviewFromSetup = 1;
  screen_.ActivationPending = 1;
  stillShownOn_ = PreviewTarget::kNone;
  window_.ProcessMessages();
  window_.SetPresentation(SaverSettings.use_DirectX ? WindowPresentation::kNormal
                                                    : WindowPresentation::kMaximisedOnTop);
  window_.MakeVisible();
}

SetupDialog::PreviewTarget SetupDialog::CurrentPreviewTarget() const {
  if (!window_.IsVisible()) return PreviewTarget::kDialog;
  if (!view_.UseDirectXChecked()) return PreviewTarget::kSaverWindow;
  // The switched video mode: only while the saver window draws.
  return screen_.Rendering ? PreviewTarget::kSurface : PreviewTarget::kNone;
}

void SetupDialog::PreviewIdle(bool& done) {
  if (previewPaused || !screen_.Seen()) return;
  Shape& engine = screen_.Engine;
  // The dialog's controls change the speed and the video mode as it runs.
  engine.Configure(EngineSettingsOf(SaverSettings));
  const PreviewTarget target = CurrentPreviewTarget();
  // A frame drawn from a still engine is the picture every later one would
  // show there: no frames, no generator slices until something changes.
  const bool still = engine.IsStill();
  if (still && target == stillShownOn_) return;
  switch (target) {
    case PreviewTarget::kDialog:
      engine.RenderToBitmap(window_.FrameBitmap());
      view_.DrawPreview(window_.FrameBitmap(), PreviewRect(view_.ClientWidth()));
      break;
    case PreviewTarget::kSaverWindow:
      engine.RenderToBitmap(window_.FrameBitmap());
      window_.PaintFrameBitmap();
      break;
    case PreviewTarget::kSurface:
      // Straight into the back buffer. An expose there loses the picture
      // without telling the dialog, so this path draws on every pass.
      engine.RenderToSurface();
      break;
    case PreviewTarget::kNone:
      break;
  }
  const bool kept = target == PreviewTarget::kDialog || target == PreviewTarget::kSaverWindow;
  stillShownOn_ = still && kept ? target : PreviewTarget::kNone;
  done = false;
}

// While the saver window or the About box is shown, the focus moves between
// the program's own windows: that neither pauses nor resumes the preview.
bool SetupDialog::PreviewCovered() const { return window_.IsVisible() || about_.IsVisible(); }

void SetupDialog::AppDeactivated() {
  if (!PreviewCovered()) previewPaused = 1;
}

void SetupDialog::AppActivated() {
  if (!PreviewCovered()) previewPaused = 0;
}

void SetupDialog::AboutClick() {
  previewPaused = 1;
  about_.ShowModal();
}

void SetupDialog::OkClick() {
  const ProgramFiles& files = screen_.Files();
  if (!files.Kept()) return view_.Close();  // nowhere to store: said at start
  // A state file that cannot be written is not reported; the next run then
  // starts afresh.
  screen_.Engine.SaveState(files.state);
  try {
    StoreSettings(files.settings);
  } catch (const SettingsWriteError& error) {
    view_.ShowError(error.what());
    return;
  }
  // Both are stored now: the saver screen's destruction need not store.
  screen_.StateChanged = 0;
  view_.Close();
}

// Section SETUP_DIALOG first, so that a file the dialog creates starts with
// it, then the saver's own sections.
void SetupDialog::StoreSettings(const std::string& path) const {
  SetupDialogSection section;
  section.ShapeSpeed = view_.SpeedPosition();
  section.UseDirectX = view_.UseDirectXChecked();
  section.Item = view_.SelectedMaterialEntry();
  section.All_Materials = view_.AllColorsChecked();
  IniFile file(path);
  section.Write(file);
  file.Flush();
  SaveSettingsFile(path);
}

void SetupDialog::CancelClick() { view_.Close(); }

bool SetupDialog::FormCloseQuery() {
  previewPaused = 1;
  return true;
}

}  // namespace zm
