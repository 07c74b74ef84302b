// The Linux/X11 program: the run modes of the saver (/s, /p ID, /c, /a) and
// the conventions of desktop screen-saver daemons (-root, -window-id ID, ...).
#include <cstdio>
#include <string>
#include <vector>

#include "base/notice.h"
#include "platform/posix/posix_file_system.h"
#include "platform/x11/program_host_x11.h"
#include "platform/x11/run_signals.h"
#include "shell/command_line.h"
#include "shell/program_entry.h"
#include "shell/program_error.h"
#include "shell/run_mode.h"
#include "shell/window_handle.h"

namespace {

void PrintNotice(const std::string& text) { std::fprintf(stderr, "zelk-mirv: %s\n", text.c_str()); }

int UsageError(const std::string& message) {
  std::fprintf(stderr, "zelk-mirv: %s\nTry 'zelk-mirv --help'.\n", message.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  zm::UsePosixFileSystem();
  zm::SetNoticeSink(&PrintNotice);
  const zm::CommandLine line =
      zm::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!line.error.empty()) return UsageError(line.error);
  if (line.help) {
    std::fputs(zm::CommandLineUsage("zelk-mirv").c_str(), stdout);
    return 0;
  }
  if (zm::ParseRunMode(line.firstArgument) == zm::rmPreview) {
    try {
      const int64_t id = zm::ParseWindowHandle(line.secondArgument);
      // X window ids have 32 bits: a larger number would name another window.
      if (id <= 0 || id > 0xFFFFFFFF) {
        return UsageError("the preview needs a window: '" + line.secondArgument +
                          "' is not a window id");
      }
    } catch (const zm::ProgramError& error) {
      return UsageError(std::string("the preview needs a window: ") + error.what());
    }
  }
  zm::x11::CatchEndingSignals();
  zm::x11::ProgramHostX11 host(line);
  zm::RunProgram(host, line.firstArgument, line.secondArgument,
                 line.seed.value_or(zm::StartupSeed()));
  if (zm::x11::EndingSignal() != 0) zm::x11::DieOfSignal(zm::x11::EndingSignal());
  return host.ExitStatus();
}
