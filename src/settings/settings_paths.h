#pragma once

#include <string>
#include <string_view>

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

// The pattern state file of a monitor other than the primary when every
// monitor shows its own ornament: beside `stateFile` (the primary's), with
// the monitor's name before the extension ("Zelk_Mirv-DP-2.par"; Windows's
// "\\.\DISPLAY2" gives "Zelk_Mirv-DISPLAY2.par"). Characters of the name
// other than ASCII letters, digits, '-' and '_' become '_', and a name longer
// than 64 characters is cut there; a name changed either way gets a short hash
// of the whole name ("A:1" gives "Zelk_Mirv-A_1-<8 hex digits>.par"), so that
// every monitor keeps a file of its own.
std::string MonitorStateFilePath(const std::string& stateFile, std::string_view monitor);

}  // namespace zm
