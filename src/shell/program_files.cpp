#include "shell/program_files.h"

#include "settings/settings_paths.h"

namespace zm {

ProgramFiles FilesIn(const std::string& directory) {
  return {SettingsFilePath(directory), PatternStateFilePath(directory)};
}

}  // namespace zm
