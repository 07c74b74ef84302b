#pragma once

#include <string>

namespace zm {

class FileSystem;

// The folder that holds the settings and the pattern state: the program's own
// directory when the user can write there (a portable copy), otherwise the
// per-user folder (created when missing), so that an installed saver can
// store its files. Reading and writing both use the folder chosen. Both
// arguments and the result end in a separator; an empty per-user folder
// means there is none.
std::string ChooseFilesFolder(const std::string& programDirectory, const std::string& userFolder,
                              FileSystem& files);

}  // namespace zm

namespace zm {

// The per-user folder of the program's files on a desktop that follows the
// XDG base directories: "$XDG_CONFIG_HOME/zelk-mirv/", or
// "$HOME/.config/zelk-mirv/" when XDG_CONFIG_HOME is unset, empty or not an
// absolute path. Takes the two environment values (null when unset); "" when
// neither gives a folder.
std::string XdgFilesFolder(const char* xdgConfigHome, const char* home);

}  // namespace zm
