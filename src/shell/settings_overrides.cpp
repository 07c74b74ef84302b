#include "shell/settings_overrides.h"

#include "materials/material_choice.h"
#include "settings/saver_settings.h"

namespace zm {

namespace {

void ApplyMaterialChoice(const SettingsOverrides& overrides) {
  if (overrides.allColors) {
    SelectAllColors();
  } else if (overrides.material) {
    SelectMaterial(static_cast<int8_t>(*overrides.material));
  }
}

}  // namespace

void OverriddenSettings::Apply(const SettingsOverrides& overrides) {
  applied_ = overrides;
  fileSpeed_ = SaverSettings.SHAPE_SPEED;
  fileVideoMode_ = SaverSettings.use_DirectX;
  fileLayout_ = SaverSettings.Layout;
  fileMaxFps_ = SaverSettings.Max_FPS;
  filePattern_ = ChosenMaterial;
  fileShowAll_ = AllMaterialsShown;
  if (overrides.speed) SaverSettings.SHAPE_SPEED = *overrides.speed;
  if (overrides.videoMode) SaverSettings.use_DirectX = *overrides.videoMode;
  if (overrides.layout) SaverSettings.Layout = MonitorLayoutName(*overrides.layout);
  if (overrides.maxFps) SaverSettings.Max_FPS = *overrides.maxFps;
  ApplyMaterialChoice(overrides);
}

void OverriddenSettings::PutBack() const {
  if (applied_.speed) SaverSettings.SHAPE_SPEED = fileSpeed_;
  if (applied_.videoMode) SaverSettings.use_DirectX = fileVideoMode_;
  if (applied_.layout) SaverSettings.Layout = fileLayout_;
  if (applied_.maxFps) SaverSettings.Max_FPS = fileMaxFps_;
  if (applied_.allColors || applied_.material) {
    ChosenMaterial = filePattern_;
    AllMaterialsShown = fileShowAll_;
  }
}

void ApplyPreviewOverrides(const SettingsOverrides& overrides) {
  if (overrides.speed) SaverSettings.SHAPE_SPEED = *overrides.speed;
  ApplyMaterialChoice(overrides);
}

}  // namespace zm
