#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <utility>

namespace zm::win32 {

class DisplayPacer;

// The program's message loop. When the queue is empty it calls the idle
// handler, which answers whether it is done (then the loop waits for the next
// message) or wants to be called again at once. With a pacer, the idle
// handler (which requests or draws the frames) is called at most once per
// display frame; the loop waits for the next one with the messages, so input
// is handled at once.
class Application {
 public:
  using IdleHandler = std::function<bool()>;
  // Given the milliseconds until the pacer's next slot, uses some of them;
  // false when it has nothing to do (the loop then waits for the slot).
  using SpareTimeHandler = std::function<bool(int32_t)>;

  void SetIdleHandler(IdleHandler handler) { idle_ = std::move(handler); }
  void SetSpareTimeHandler(SpareTimeHandler handler) { spare_ = std::move(handler); }
  void SetPacer(DisplayPacer* pacer) { pacer_ = pacer; }
  // The window whose keys move the focus between its controls (Tab, the
  // arrows) and reach its default button; null for none.
  void SetDialog(HWND dialog) { dialog_ = dialog; }
  HWND Dialog() const { return dialog_; }

  // Handles every message that is waiting, then returns.
  void ProcessMessages();

  // Runs until the quit message; rethrows an error that a window handler
  // kept with KeepError.
  void Run();

  // A window procedure must not let an exception cross the system's frames:
  // it keeps the error here and ends the loop, which rethrows it.
  void KeepError(std::exception_ptr error);

 private:
  bool Dispatch(MSG& message);

  IdleHandler idle_;
  SpareTimeHandler spare_;
  DisplayPacer* pacer_ = nullptr;
  HWND dialog_ = nullptr;
  std::exception_ptr error_;
};

// The one application object of the process.
Application& App();

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
