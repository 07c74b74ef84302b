// Parses arbitrary bytes as the settings file, reads every key the program
// knows, writes the values back and checks that the rewritten file reads the
// same values, that an unchanged model serialises to the bytes it came from,
// and that writing the same values again changes nothing.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "materials/material_choice.h"
#include "settings/ini_file.h"
#include "settings/ini_values.h"
#include "settings/saver_settings.h"
#include "settings/settings_file.h"
#include "settings/setup_dialog_section.h"

namespace {

struct Values {
  zm::SaverSettingsRecord settings;
  int8_t pattern = 0;
  bool show_all = true;
  zm::SetupDialogSection dialog;
};

Values ReadAll(const zm::IniFile& file) {
  zm::ReadSettings(file);
  Values values;
  values.settings = zm::SaverSettings;
  values.pattern = zm::ChosenMaterial;
  values.show_all = zm::AllMaterialsShown;
  values.dialog.Read(file);
  return values;
}

void WriteAll(zm::IniFile& file, const Values& values) {
  zm::SaverSettings = values.settings;
  zm::ChosenMaterial = values.pattern;
  zm::AllMaterialsShown = values.show_all;
  zm::WriteSettings(file);
  values.dialog.Write(file);
}

void Check(bool condition) {
  if (!condition) std::abort();
}

bool SameRead(const Values& a, const Values& b) {
  const zm::SaverSettingsRecord& x = a.settings;
  const zm::SaverSettingsRecord& y = b.settings;
  return x.PATTERN_MODE == y.PATTERN_MODE && x.SHAPE_SPEED == y.SHAPE_SPEED &&
         x.use_DirectX == y.use_DirectX && x.Mode == y.Mode && a.pattern == b.pattern &&
         a.show_all == b.show_all && a.dialog.ShapeSpeed == b.dialog.ShapeSpeed &&
         a.dialog.Item == b.dialog.Item && a.dialog.All_Materials == b.dialog.All_Materials;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  zm::IniFile file("", bytes);
  Check(file.Text() == bytes);

  Values values = ReadAll(file);
  // Also write a speed taken from the input's first bytes, to reach doubles
  // that no short text spells.
  if (size >= sizeof(double)) {
    double speed;
    std::memcpy(&speed, data, sizeof speed);
    if (std::isfinite(speed)) values.settings.SHAPE_SPEED = speed;
  }
  WriteAll(file, values);
  const std::string written = file.Text();

  // What is read back is the written value as its text gives it.
  std::optional<double> speed = zm::ParseIniFloat(zm::FormatIniFloat(values.settings.SHAPE_SPEED));
  Check(speed.has_value());
  values.settings.SHAPE_SPEED = *speed;

  zm::IniFile reread("", written);
  Check(SameRead(ReadAll(reread), values));
  WriteAll(reread, values);
  Check(reread.Text() == written);
  return 0;
}
