#pragma once

#include <string>

namespace zm {

// The files kept in the program directory (see ProgramDirectory). These are
// the only places that spell their names.

// The settings file: sections BASIC_PARAMETERS and PATTERNS.
std::string SettingsFilePath(const std::string& programDirectory);

// The file holding the setup dialog's section SETUP_DIALOG. The dialog names
// it "Zelk_Mirv.ini", which on a case-insensitive file system is the settings
// file; so that a case-sensitive file system also keeps all three sections in
// one file, this is the settings file's lower-case path.
std::string SetupDialogFilePath(const std::string& programDirectory);

// The pattern state file, which keeps the two maps on screen between runs.
std::string PatternStateFilePath(const std::string& programDirectory);

}  // namespace zm
