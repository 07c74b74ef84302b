#include "platform/win32/program_host_win32.h"

#include <exception>

#include "platform/win32/application.h"
#include "platform/win32/configure_host_win32.h"
#include "platform/win32/display_control_win32.h"
#include "platform/win32/saver_window_win32.h"
#include "platform/win32/password_services_win32.h"
#include "platform/win32/preview_host_win32.h"
#include "platform/win32/program_folders.h"
#include "platform/win32/text_encoding.h"
#include "shell/program_error.h"
#include "shell/run_mode.h"
#include "shell/saver_screen.h"

namespace zm::win32 {

namespace {

using PwdChangePassword = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);

HWND ToWindow(int64_t handle) { return reinterpret_cast<HWND>(static_cast<intptr_t>(handle)); }

}  // namespace

ProgramHostWin32::~ProgramHostWin32() { CloseInstanceLock(); }

bool ProgramHostWin32::LoadPasswordChanger() {
  passwordLibrary_ = std::make_unique<SystemLibrary>("MPR.DLL");
  return passwordLibrary_->Entry<PwdChangePassword>("PwdChangePasswordA") != nullptr;
}

void ProgramHostWin32::ChangePassword(int64_t parentWindow) {
  const auto change = passwordLibrary_->Entry<PwdChangePassword>("PwdChangePasswordA");
  if (change != nullptr) change("SCRSAVE", ToWindow(parentWindow), 0, 0);
}

ProgramHost::InstanceLock ProgramHostWin32::CreateInstanceLock() {
  semaphore_ = CreateSemaphoreA(nullptr, 0, 1, "SimpleSaverSemaphore");
  if (semaphore_ == nullptr) return InstanceLock::kUnavailable;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseInstanceLock();
    return InstanceLock::kAlreadyRunning;
  }
  return InstanceLock::kCreated;
}

void ProgramHostWin32::CloseInstanceLock() {
  if (semaphore_ != nullptr) CloseHandle(semaphore_);
  semaphore_ = nullptr;
}

void ProgramHostWin32::RunPreview(int64_t parentWindow) {
  PreviewHostWin32 host(ToWindow(parentWindow));
  RunPreviewLoop(host);
}

void ProgramHostWin32::RunSaver() {
  SaverWindowWin32 window;
  SetDisplayWindow(window.Handle());
  SetDisplayPacer(&window.Pacer());
  PasswordServicesWin32 passwords(window.Handle());
  SaverScreen screen(window, ProgramDisplay(), passwords, FilesForThisRun());
  window.Attach(&screen);
  screen.FormCreate();
  // The saver window is the main window: shown as the loop starts, and the
  // run ends when it is destroyed.
  window.MakeVisible();
  window.RunLoop();
  // A save that failed is reported once the window and the pacer are let go.
  std::exception_ptr failedSave;
  try {
    screen.FormDestroy();
  } catch (const ProgramError&) {
    failedSave = std::current_exception();
  }
  SetDisplayPacer(nullptr);
  window.Attach(nullptr);
  if (failedSave) std::rethrow_exception(failedSave);
}

void ProgramHostWin32::RunConfigure() {
  ConfigureHostWin32 host;
  PasswordServicesWin32 passwords(nullptr);  // a configure run asks for no password
  ConfigureRun(host, ProgramDisplay(), passwords, FilesForThisRun());
}

void ProgramHostWin32::RestoreVideoMode() { ProgramDisplay().RestoreVideoMode(); }

void ProgramHostWin32::ShowErrorReport(const std::string& message) {
  // A configure run shows its errors under the application's title.
  const char* caption = RunMode == rmConfigure ? kApplicationTitle : "Zelk Mirv";
  MessageBoxW(nullptr, ToWide(message).c_str(), ToWide(caption).c_str(), MB_ICONERROR | MB_OK);
}

}  // namespace zm::win32
