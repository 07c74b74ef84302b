#include "platform/x11/run_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>

namespace zm::x11 {

namespace {

// How long an orderly end may take once it was asked for: an X server that
// does not answer keeps Xlib waiting (it retries what a signal interrupts).
constexpr long kOrderlyEndMicroseconds = 1500 * 1000;

volatile std::sig_atomic_t endingSignal = 0;
int wakePipe[2] = {-1, -1};

void ArmAlarm(long microseconds) {
  itimerval timer{};
  timer.it_value.tv_sec = microseconds / 1000000;
  timer.it_value.tv_usec = microseconds % 1000000;
  setitimer(ITIMER_REAL, &timer, nullptr);
}

void Say(const char* text) {
  std::size_t length = 0;
  while (text[length] != '\0') ++length;
  [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, text, length);
}

[[noreturn]] void EndNow(int signal) {
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  _exit(128 + signal);
}

// The orderly end did not come in time (the X server does not answer, or a
// first start's warm-up is still computing): nothing more can be restored
// without the server, so the process ends as the signal would have ended it.
void OrderlyEndOverdue(int) {
  Say("zelk-mirv: no orderly end within 1.5 s (the X display does not answer?):"
      " ending at once\n");
  EndNow(endingSignal != 0 ? endingSignal : SIGTERM);
}

void NoteSignal(int signal) {
  const int saved = errno;
  if (endingSignal != 0) EndNow(signal);  // a second signal ends the run at once
  endingSignal = signal;
  ArmAlarm(kOrderlyEndMicroseconds);
  if (wakePipe[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);
  }
  errno = saved;
}

}  // namespace

void CatchEndingSignals() {
  if (wakePipe[0] < 0 && pipe2(wakePipe, O_NONBLOCK | O_CLOEXEC) != 0) wakePipe[0] = -1;
  struct sigaction action {};
  action.sa_handler = &NoteSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
  struct sigaction overdue {};
  overdue.sa_handler = &OrderlyEndOverdue;
  sigemptyset(&overdue.sa_mask);
  sigaction(SIGALRM, &overdue, nullptr);
}

void OrderlyEndUnderWay() { ArmAlarm(0); }

int EndingSignal() { return endingSignal; }

int EndingSignalFd() { return wakePipe[0]; }

void DieOfSignal(int signal) { EndNow(signal); }

namespace {

// Sleeps until `fd` (if any) has input, an ending signal arrives or the
// timeout passes.
void PollWithSignals(int fd, int timeoutMs) {
  pollfd fds[2] = {{fd, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
  poll(fds, 2, timeoutMs);
  char drain[16];
  while (wakePipe[0] >= 0 && read(wakePipe[0], drain, sizeof(drain)) > 0) {
  }
}

}  // namespace

void WaitForEvents(Display* display, int timeoutMs) {
  if (endingSignal != 0) return;
  if (display != nullptr && XPending(display) > 0) return;
  PollWithSignals(display != nullptr ? ConnectionNumber(display) : -1, timeoutMs);
}

void WaitForMoreInput(Display* display, int timeoutMs) {
  if (endingSignal != 0) return;
  XFlush(display);
  PollWithSignals(ConnectionNumber(display), timeoutMs);
}

long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace zm::x11
