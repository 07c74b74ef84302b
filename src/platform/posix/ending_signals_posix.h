#pragma once

namespace zm {

// SIGTERM, SIGINT and SIGHUP end a run in order (the video mode restored, the
// state stored) instead of killing it: the handlers only note the signal and
// wake the event loop through a pipe. While the run talks to the display
// (`displaySystem`, "the X display" or "the Wayland compositor", named if it
// does not answer), it has 1.5 seconds to reach its orderly end, since a
// display that never answers would keep it waiting for ever (Xlib and
// libwayland retry what a signal interrupts); after that, or at a second
// signal, the process ends at once. The run's own work (OwnWork) goes on to
// its end.
void CatchEndingSignals(const char* displaySystem);

// While one lives, the time limit does not run: computing a first pattern,
// storing the files. Each file is written whole or not at all, however long
// that takes; a second signal still ends the run at once.
class OwnWork {
 public:
  OwnWork();
  ~OwnWork();
  OwnWork(const OwnWork&) = delete;
  OwnWork& operator=(const OwnWork&) = delete;
};

// Talking to the display in the middle of own work (a wait dialog's
// repaint): the time limit runs meanwhile.
class DisplayTalk {
 public:
  DisplayTalk();
  ~DisplayTalk();
  DisplayTalk(const DisplayTalk&) = delete;
  DisplayTalk& operator=(const DisplayTalk&) = delete;

 private:
  int ownWork_;
};

// The signal that asked the run to end, or 0.
int EndingSignal();
// A descriptor that becomes readable when an ending signal arrives (-1 if
// none could be made), for loops that poll descriptors of their own.
int EndingSignalFd();
// Ends the process as the signal would have, once the run has been wound up.
[[noreturn]] void DieOfSignal(int signal);

// Sleeps until `fd` or `otherFd` (each ignored when -1) has input, an ending
// signal arrives or `timeoutMs` passes (-1: no limit).
void PollWithSignals(int fd, int timeoutMs, int otherFd = -1);

// Monotonic milliseconds.
long long NowMs();

}  // namespace zm
