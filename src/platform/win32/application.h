#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <utility>

namespace zm::win32 {

class DisplayPacer;

// The configure run's message loop (a saver run's is the saver window's
// SaverLoop). When the queue is empty it calls the idle handler, which
// answers how long the loop may wait for the next message: 0 to be called
// again at once, -1 for as long as no message comes. With a pacer, the idle
// handler (which draws the preview's frames) is called at most once per
// display frame; the loop waits for the next one with the messages, so input
// is handled at once.
class Application {
 public:
  using IdleHandler = std::function<int32_t()>;

  void SetIdleHandler(IdleHandler handler) { idle_ = std::move(handler); }
  void SetPacer(DisplayPacer* pacer) { pacer_ = pacer; }
  // The window whose keys move the focus between its controls (Tab, the
  // arrows) and reach its default button; null for none.
  void SetDialog(HWND dialog) { dialog_ = dialog; }
  HWND Dialog() const { return dialog_; }

  // Handles every message that is waiting, then returns.
  void ProcessMessages();
  // Handles every message that is waiting; false when the quit message came
  // (it is taken from the queue, so that a message box shown afterwards
  // still waits for its answer).
  bool DispatchWaiting();

  // Runs until the quit message; rethrows an error that a window handler
  // kept with KeepError.
  void Run();
  // Rethrows the error a window handler kept, if one did.
  void RethrowKeptError();

  // A window procedure must not let an exception cross the system's frames:
  // it keeps the error here and ends the loop, which rethrows it.
  void KeepError(std::exception_ptr error);

 private:
  bool Dispatch(MSG& message);

  IdleHandler idle_;
  DisplayPacer* pacer_ = nullptr;
  HWND dialog_ = nullptr;
  std::exception_ptr error_;
};

// The one application object of the process.
Application& App();

// Sleeps until a message comes or `timeoutMs` has passed (-1: no limit).
void WaitForMessage(int32_t timeoutMs);

// Runs a window procedure's handler so that no exception crosses the
// system's frames: it is kept for the message loop, which rethrows it.
template <typename Handler>
LRESULT Guarded(Handler&& handler) {
  try {
    return handler();
  } catch (...) {
    App().KeepError(std::current_exception());
    return 0;
  }
}

}  // namespace zm::win32
