#pragma once

#include <optional>

#include "shell/command_line.h"

namespace zm::x11 {

// What every start of the Linux program does first: the file system, the
// command line, --help and usage errors. The exit status when the program
// ends there, else nothing and the command line in `line`.
std::optional<int> StartProgram(int argc, char** argv, CommandLine& line);

// Runs the command line's mode on the X display; answers the exit status.
int RunProgramX11(const CommandLine& line);

}  // namespace zm::x11
