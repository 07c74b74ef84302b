// The Linux program with both displays: saver runs go to the Wayland
// compositor where there is one (or with -wayland), everything else to X11.
#include "platform/wayland/idle_wayland.h"
#include "platform/wayland/program_host_wayland.h"
#include "platform/x11/idle_run.h"
#include "platform/x11/program_main_x11.h"

int main(int argc, char** argv) {
  zm::CommandLine line;
  if (const std::optional<int> status = zm::x11::StartProgram(argc, argv, line)) return *status;
  if (line.idle) return zm::x11::RunIdleStarter(line, &zm::wayland::ConnectWaylandIdle);
  if (zm::wayland::ChoosesWayland(line)) return zm::wayland::RunProgramWayland(line);
  return zm::x11::RunProgramX11(line);
}
