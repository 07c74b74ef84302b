#include "shell/setup_dialog.h"

#include <algorithm>

#include "materials/material_choice.h"
#include "materials/material_names.h"
#include "settings/ini_file.h"
#include "settings/monitor_layout.h"
#include "settings/saver_settings.h"
#include "settings/setup_dialog_section.h"
#include "shell/dialog_texts.h"

namespace zm {

namespace {

constexpr int32_t kPreviewWidth = 271;
constexpr int32_t kPreviewHeight = 223;
constexpr int32_t kPreviewTop = 8;
constexpr int32_t kPreviewRightMargin = 10;

// Sets `flag` for as long as it lives.
class FlagSetter {
 public:
  explicit FlagSetter(uint8_t& flag) : flag_(flag) { flag_ = 1; }
  ~FlagSetter() { flag_ = 0; }
  FlagSetter(const FlagSetter&) = delete;
  FlagSetter& operator=(const FlagSetter&) = delete;

 private:
  uint8_t& flag_;
};

// The hourglass cursor for as long as it lives.
class BusyCursor {
 public:
  explicit BusyCursor(SetupDialogView& view) : view_(view) { view_.SetBusyCursor(true); }
  ~BusyCursor() { view_.SetBusyCursor(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  SetupDialogView& view_;
};

}  // namespace

std::string_view MaterialEntryCaption(int32_t entry) {
  return kMaterialNames[kMaterialListOrder[entry]];
}

namespace {
constexpr std::string_view kFrameLimitCaptions[kFrameLimitEntryCount] = {"display", "120", "60",
                                                                         "30"};
constexpr int32_t kFrameLimits[kFrameLimitEntryCount] = {0, 120, 60, 30};
}  // namespace

std::string_view FrameLimitEntryCaption(int32_t entry) { return kFrameLimitCaptions[entry]; }
int32_t FrameLimitOfEntry(int32_t entry) { return kFrameLimits[entry]; }

ClientRect PreviewRect(int32_t clientWidth) {
  return {clientWidth - kPreviewWidth - kPreviewRightMargin, kPreviewTop, kPreviewWidth,
          kPreviewHeight};
}

void SetupDialog::FormShow() {
  SetupDialogSection section;
  section.Read(IniFile(screen_.Files().settings));
  FlagSetter loading(dialogLoading);
  // The controls hold only their own ranges; the speed itself stays as the
  // settings gave it until the user moves the trackbar.
  view_.SetSpeedPosition(std::clamp(section.ShapeSpeed, 0, kSpeedMaximum));
  view_.SelectMaterialEntry(std::clamp(section.Item, -1, kLastMaterialEntry));
  view_.CheckAllColors(section.All_Materials);
  view_.EnableMaterialEntries(!section.All_Materials);
  ShowVideoModes();
  view_.CheckUseDirectX(SaverSettings.use_DirectX);
  view_.EnableModeBox(SaverSettings.use_DirectX);
  // An unknown stored layout shows as "primary", which it counts as, and
  // stays stored until the user picks one.
  const MonitorLayout layout = ParseMonitorLayout(SaverSettings.Layout).value_or(MonitorLayout::kPrimary);
  view_.SelectMonitorsEntry(static_cast<int32_t>(layout));
  // The video mode switch changes the primary monitor only.
  view_.EnableMonitors(!SaverSettings.use_DirectX);
  int32_t frames = -1;
  for (int32_t entry = 0; entry < kFrameLimitEntryCount; ++entry) {
    if (kFrameLimits[entry] == SaverSettings.Max_FPS) frames = entry;
  }
  view_.SelectFramesEntry(frames);
}

// The box shows the stored mode's text even when the display does not offer
// it.
void SetupDialog::ShowVideoModes() {
  if (!display_.Ready()) {
    view_.SetModeText(kDirectXMissing);
    view_.CheckUseDirectX(false);
    view_.EnableUseDirectX(false);
    return;
  }
  modeEntries_ = VideoModeEntries(display_.ListModes());
  std::vector<std::string> texts;
  texts.reserve(modeEntries_.size());
  for (const VideoModeEntry& entry : modeEntries_) texts.push_back(entry.text);
  view_.SetModeEntries(texts);
  view_.SetModeText(VideoModeText(SaverSettings.Mode));
  view_.EnableUseDirectX(true);
}

void SetupDialog::ShapeSpeedChange() {
  if (dialogLoading) return;
  SaverSettings.SHAPE_SPEED = view_.SpeedPosition() * 2.0 / kSpeedMaximum;
}

void SetupDialog::UseDirectXClick() {
  if (dialogLoading) return;
  const bool checked = view_.UseDirectXChecked();
  SaverSettings.use_DirectX = checked;
  view_.EnableModeBox(checked);
  view_.EnableMonitors(!checked);
  ApplyFrameSize();
}

void SetupDialog::MonitorsChange() {
  if (dialogLoading) return;
  const int32_t entry = view_.MonitorsEntry();
  if (entry < 0 || entry > static_cast<int32_t>(MonitorLayout::kSpan)) return;
  SaverSettings.Layout = MonitorLayoutName(static_cast<MonitorLayout>(entry));
  ApplyFrameSize();
}

void SetupDialog::FramesChange() {
  if (dialogLoading) return;
  const int32_t entry = view_.FramesEntry();
  if (entry < 0 || entry >= kFrameLimitEntryCount) return;
  SaverSettings.Max_FPS = kFrameLimits[entry];
}

void SetupDialog::GraphModesListChange() {
  if (dialogLoading) return;
  const VideoModeEntry* entry = FindVideoModeEntry(modeEntries_, view_.ModeText());
  if (entry == nullptr) return;
  // The refresh rate stays as stored: the mode switch never uses it.
  DisplayMode& mode = SaverSettings.Mode;
  mode.BitPerPix = entry->mode.BitPerPix;
  mode.Width = entry->mode.Width;
  mode.Height = entry->mode.Height;
  ApplyFrameSize();
}

// Resizing the engine can take a moment.
void SetupDialog::ApplyFrameSize() {
  BusyCursor busy(view_);
  stillShownOn_ = PreviewTarget::kNone;
  screen_.ApplyFrameSize();
}

// Checking takes effect at the engine's next palette; unchecking applies the
// selected entry at once, the first one when none is selected.
void SetupDialog::All_MaterialsClick() {
  if (dialogLoading) return;
  if (view_.AllColorsChecked()) {
    view_.EnableMaterialEntries(false);
    SelectAllColors();
    return;
  }
  view_.EnableMaterialEntries(true);
  if (view_.SelectedMaterialEntry() < 0) {
    FlagSetter loading(dialogLoading);
    view_.SelectMaterialEntry(0);
  }
  MaterialsClick();
}

void SetupDialog::MaterialsClick() {
  if (dialogLoading || view_.AllColorsChecked()) return;
  const int32_t entry = view_.SelectedMaterialEntry();
  if (entry < 0 || entry > kLastMaterialEntry) return;
  SelectMaterial(static_cast<int8_t>(MaterialIndexByCaption(MaterialEntryCaption(entry))));
  // With one fixed material the new palette replaces both banks, so the
  // preview changes colour at once.
  screen_.Engine.NextPalette();
  stillShownOn_ = PreviewTarget::kNone;
}

}  // namespace zm
