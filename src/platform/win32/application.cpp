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

void Application::Run() {
  MSG message;
  for (;;) {
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (!Dispatch(message)) break;
      continue;
    }
    if (pacer_ != nullptr && !pacer_->RequestDue()) {
      if (!spare_ || !spare_(pacer_->MsUntilSlot())) pacer_->WaitForSlotOrMessage();
      continue;
    }
    const bool done = idle_ ? idle_() : true;
    if (done) WaitMessage();
  }
  if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
}

void Application::KeepError(std::exception_ptr error) {
  if (!error_) error_ = error;
  PostQuitMessage(0);
}

}  // namespace zm::win32
