#pragma once

#include "shell/program_files.h"

namespace zm {

// The settings and state files in the user's configuration folder
// ($XDG_CONFIG_HOME, else the home folder's .config), which a run that may
// store them creates when it is missing. Without a home folder: none at all
// (the run stores nothing), and a notice says why.
ProgramFiles UserProgramFiles(bool create);

}  // namespace zm
