#pragma once

#include "shell/program_files.h"

namespace zm {

// The settings and state files in the user's configuration folder
// ($XDG_CONFIG_HOME, else the home folder's .config), which a run that may
// store them creates when it is missing.
ProgramFiles UserProgramFiles(bool create);

}  // namespace zm
