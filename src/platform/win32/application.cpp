#include "platform/win32/application.h"

#include <utility>

#include "platform/win32/display_pacer.h"

namespace zm::win32 {

Application& App() {
  static Application application;
  return application;
}

bool Application::Dispatch(MSG& message) {
  if (message.message == WM_QUIT) return false;
  if (dialog_ != nullptr && IsDialogMessageW(dialog_, &message)) return true;
  TranslateMessage(&message);
  DispatchMessageW(&message);
  return true;
}

void Application::ProcessMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (!Dispatch(message)) {
      // Leave the quit message for the loop that waits for it.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
  }
}

bool Application::DispatchWaiting() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (!Dispatch(message)) return false;
  }
  return true;
}

void Application::Run() {
  MSG message;
  for (;;) {
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (!Dispatch(message)) break;
      continue;
    }
    if (pacer_ != nullptr && !pacer_->RequestDue()) {
      pacer_->WaitForSlotOrMessage(-1);
      continue;
    }
    const int32_t waitMs = idle_ ? idle_() : -1;
    if (waitMs != 0) WaitForMessage(waitMs);
  }
  RethrowKeptError();
}

void Application::RethrowKeptError() {
  if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
}

void WaitForMessage(int32_t timeoutMs) {
  MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs),
                              QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Application::KeepError(std::exception_ptr error) {
  if (!error_) error_ = error;
  PostQuitMessage(0);
}

}  // namespace zm::win32
