// The Linux/X11 program: the run modes of the saver (/s, /p ID, /c, /a) and
// the conventions of desktop screen-saver daemons (-root, -window-id ID, ...).
#include "platform/x11/idle_run.h"
#include "platform/x11/program_main_x11.h"

int main(int argc, char** argv) {
  zm::CommandLine line;
  if (const std::optional<int> status = zm::x11::StartProgram(argc, argv, line)) return *status;
  if (line.idle) return zm::x11::RunIdleStarter(line, nullptr);
  return zm::x11::RunProgramX11(line);
}
