#pragma once

#include <string>

namespace zm {

// Where a run keeps its files: the settings file (all three sections) and
// the pattern state file.
struct ProgramFiles {
  std::string settings;
  std::string state;
};

// The files in `directory` (a prefix ending in a separator, or "").
ProgramFiles FilesIn(const std::string& directory);

}  // namespace zm
