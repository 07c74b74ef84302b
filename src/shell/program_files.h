#pragma once

#include <string>

namespace zm {

// Where a run keeps its files: the settings file (all three sections) and
// the pattern state file.
// Both empty: a run with nowhere to keep them, which reads and stores none.
struct ProgramFiles {
  std::string settings;
  std::string state;

  bool Kept() const { return !settings.empty() && !state.empty(); }
};

// The files in `directory` (a prefix ending in a separator, or "").
ProgramFiles FilesIn(const std::string& directory);

}  // namespace zm
