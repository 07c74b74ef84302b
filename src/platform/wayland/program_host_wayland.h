#pragma once

#include "platform/posix/lock_file_posix.h"
#include "shell/command_line.h"
#include "shell/program_entry.h"

namespace zm::wayland {

// The Wayland side of the main entry for saver and configure runs: the
// ornament on the background layer of each output (or one output), or in a
// toplevel (-window); the setup dialog on GTK's Wayland backend; a lock
// file per compositor and target; errors on standard error with an exit
// status (2: no compositor or no layer shell, 1: no such output).
class ProgramHostWayland : public ProgramHost {
 public:
  explicit ProgramHostWayland(const CommandLine& line) : line_(line) {}

  bool LoadPasswordChanger() override { return false; }
  void ChangePassword(int64_t) override {}
  void ReleasePasswordChanger() override {}
  InstanceLock CreateInstanceLock() override;
  void CloseInstanceLock() override { lock_.Release(); }
  void RunPreview(int64_t parentWindow) override;
  void RunConfigure() override;
  void RunSaver() override;
  void RestoreVideoMode() override {}
  void ShowErrorReport(const std::string& message) override;

  int ExitStatus() const { return status_; }

 private:
  void Fail(const char* message, int status);

  CommandLine line_;
  LockFile lock_;
  int status_ = 0;
};

// Whether this command line runs on the Wayland compositor: a saver or
// configure run with -wayland, or where a compositor is named and no X display.
bool ChoosesWayland(const CommandLine& line);

// Runs the command line's saver or configure run on the compositor; answers the exit
// status.
int RunProgramWayland(const CommandLine& line);

}  // namespace zm::wayland
