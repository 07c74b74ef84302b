#pragma once

#include <windows.h>

#include <memory>

#include "platform/win32/system_library.h"
#include "shell/program_entry.h"

namespace zm::win32 {

// The Windows side of the main entry: "PwdChangePasswordA" of "MPR.DLL",
// the semaphore "SimpleSaverSemaphore", the run modes' windows and the
// error report.
class ProgramHostWin32 : public ProgramHost {
 public:
  ~ProgramHostWin32() override;

  bool LoadPasswordChanger() override;
  void ChangePassword(int64_t parentWindow) override;
  void ReleasePasswordChanger() override { passwordLibrary_.reset(); }
  InstanceLock CreateInstanceLock() override;
  void CloseInstanceLock() override;
  void RunPreview(int64_t parentWindow) override;
  void RunConfigure() override;
  void RunSaver() override;
  void RestoreVideoMode() override;
  void ShowErrorReport(const std::string& message) override;

 private:
  std::unique_ptr<SystemLibrary> passwordLibrary_;
  HANDLE semaphore_ = nullptr;
};

}  // namespace zm::win32
