#pragma once

#include "shell/program_files.h"

namespace zm::win32 {

// The settings and state files of this run: beside the executable when the
// user can write there, else in "%LOCALAPPDATA%\Zelk Mirv\".
ProgramFiles FilesForThisRun();

}  // namespace zm::win32
