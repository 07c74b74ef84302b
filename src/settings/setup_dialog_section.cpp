#include "settings/setup_dialog_section.h"

#include "settings/ini_file.h"
#include "settings/program_directory.h"
#include "settings/settings_paths.h"

namespace zm {
namespace {

constexpr const char* kSection = "SETUP_DIALOG";

std::string FilePathFor(const std::string& executablePath) {
  return SetupDialogFilePath(ProgramDirectory(executablePath));
}

}  // namespace

void SetupDialogSection::Read(const IniFile& file) {
  ShapeSpeed = file.ReadInteger(kSection, "ShapeSpeed", 17);
  Item = file.ReadInteger(kSection, "Item", 0);
  All_Materials = file.ReadBool(kSection, "All_Materials", true);
}

void SetupDialogSection::Write(IniFile& file) const {
  file.WriteInteger(kSection, "ShapeSpeed", ShapeSpeed);
  file.WriteBool(kSection, "UseDirectX", UseDirectX);
  file.WriteInteger(kSection, "Item", Item);
  file.WriteBool(kSection, "All_Materials", All_Materials);
}

void SetupDialogSection::Load(const std::string& executablePath) {
  Read(IniFile(FilePathFor(executablePath)));
}

void SetupDialogSection::Save(const std::string& executablePath) const {
  IniFile file(FilePathFor(executablePath));
  Write(file);
  file.Flush();
}

}  // namespace zm
