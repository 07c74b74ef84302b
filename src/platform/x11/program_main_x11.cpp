#include "platform/x11/program_main_x11.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/notice.h"
#include "platform/gtk/gtk_widgets.h"
#include "platform/posix/file_system_posix.h"
#include "platform/posix/standard_error_posix.h"
#include "platform/x11/program_host_x11.h"
#include "platform/x11/run_signals.h"
#include "platform/x11/x_connection.h"
#include "shell/program_entry.h"
#include "shell/program_error.h"
#include "shell/run_mode.h"
#include "shell/window_handle.h"

namespace zm::x11 {

namespace {

void PrintNotice(const std::string& text) { SayOnStandardError(text); }

int UsageError(const std::string& message) {
  SayOnStandardError(message);
  std::fputs("Try 'zelk-mirv --help'.\n", stderr);
  return 2;
}

}  // namespace

std::optional<int> StartProgram(int argc, char** argv, CommandLine& line) {
  UsePosixFileSystem();
  SetNoticeSink(&PrintNotice);
  // GTK sets an Xlib error handler of its own as it starts.
  OnGtkStartedOnX11(&ReclaimErrorHandler);
  line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!line.error.empty()) return UsageError(line.error);
  if (line.help) {
    std::fputs(CommandLineUsage("zelk-mirv").c_str(), stdout);
    return 0;
  }
  if (ParseRunMode(line.firstArgument) == rmPreview) {
    try {
      const int64_t id = ParseWindowHandle(line.secondArgument);
      // X window ids have 32 bits: a larger number would name another window.
      if (id <= 0 || id > 0xFFFFFFFF) {
        return UsageError("the preview needs a window: '" + line.secondArgument +
                          "' is not a window id");
      }
    } catch (const ProgramError& error) {
      return UsageError(std::string("the preview needs a window: ") + error.what());
    }
  }
  return std::nullopt;
}

int RunProgramX11(const CommandLine& line) {
  CatchEndingSignals("the X display");
  ProgramHostX11 host(line);
  RunProgram(host, line.firstArgument, line.secondArgument, line.seed.value_or(StartupSeed()));
  if (EndingSignal() != 0) DieOfSignal(EndingSignal());
  return host.ExitStatus();
}

}  // namespace zm::x11
