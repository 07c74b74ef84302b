#pragma once

#include <memory>

#include "platform/posix/lock_file_posix.h"
#include "platform/x11/x_connection.h"
#include "shell/command_line.h"
#include "shell/program_entry.h"

namespace zm::x11 {

// The X11 side of the main entry: no password-change service (the screen
// locker owns passwords), a lock file per display and target, the saver in
// its window, the preview in someone else's, and errors on standard error.
class ProgramHostX11 : public ProgramHost {
 public:
  explicit ProgramHostX11(const CommandLine& line) : line_(line) {}

  bool LoadPasswordChanger() override { return false; }
  void ChangePassword(int64_t) override {}
  void ReleasePasswordChanger() override {}
  InstanceLock CreateInstanceLock() override;
  void CloseInstanceLock() override { lock_.Release(); }
  void RunPreview(int64_t parentWindow) override;
  void RunConfigure() override;
  void RunSaver() override;
  // The display control restores the mode itself when an error unwinds the run.
  void RestoreVideoMode() override {}
  void ShowErrorReport(const std::string& message) override;

  // The process's exit status: 0, or what the first failure asked for.
  int ExitStatus() const { return status_; }

 private:
  XConnection& Connection();
  unsigned long ForeignWindow();
  void Fail(const ProgramError& failure);

  CommandLine line_;
  std::unique_ptr<XConnection> connection_;
  LockFile lock_;
  int status_ = 0;
};

}  // namespace zm::x11
