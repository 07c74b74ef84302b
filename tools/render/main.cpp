// zelk-mirv-render: the ornament without a window. Renders palettes and frames
// to image files and reports what a settings file holds.
#include <cstdio>
#include <string>
#include <vector>

#include "arguments.h"
#include "commands.h"
#include "platform/posix/file_system_posix.h"

int main(int argc, char** argv) {
  using namespace zm::tool;
  zm::UsePosixFileSystem();
  const std::vector<std::string> args(argv + 1, argv + argc);
  const Command command = ParseCommandLine(args);
  if (const auto* error = std::get_if<UsageError>(&command)) {
    std::fprintf(stderr, "zelk-mirv-render: %s\n(run with --help for usage)\n",
                 error->message.c_str());
    return kExitUsage;
  }
  if (std::holds_alternative<HelpRequest>(command)) {
    std::fputs(UsageText(), stdout);
    return kExitOk;
  }
  if (const auto* palette = std::get_if<PaletteOptions>(&command)) return RunPalette(*palette);
  if (const auto* frames = std::get_if<FramesOptions>(&command)) return RunFrames(*frames);
  return RunSettings(std::get<SettingsOptions>(command));
}
