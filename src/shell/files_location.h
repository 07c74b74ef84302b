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
