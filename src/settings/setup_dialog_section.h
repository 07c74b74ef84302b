#pragma once

#include <cstdint>
#include <string>

namespace zm {

class IniFile;

// The setup dialog's controls as stored in section SETUP_DIALOG. The values
// are kept as read; fitting them to the controls' ranges is the dialog's job.
struct SetupDialogSection {
  int32_t ShapeSpeed = 17;    // speed trackbar position, 0..20
  bool UseDirectX = false;    // written for the record, never read back
  int32_t Item = 0;           // selected colour entry, 0..8; -1 for none
  bool All_Materials = true;  // the "All colors" check box

  // Reads ShapeSpeed, Item and All_Materials; UseDirectX keeps its value,
  // since the dialog shows the settings' use_DirectX instead.
  void Read(const IniFile& file);
  // Writes ShapeSpeed, UseDirectX, Item and All_Materials in this order.
  void Write(IniFile& file) const;

  // Read or store the section in the settings file beside the executable;
  // Save throws SettingsWriteError when the file cannot be written.
  void Load(const std::string& executablePath);
  void Save(const std::string& executablePath) const;
};

}  // namespace zm
