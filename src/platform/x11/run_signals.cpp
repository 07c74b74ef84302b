#include "platform/x11/run_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>

namespace zm::x11 {

namespace {

volatile std::sig_atomic_t endingSignal = 0;
int wakePipe[2] = {-1, -1};

void NoteSignal(int signal) {
  const int saved = errno;
  endingSignal = signal;
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
}

int EndingSignal() { return endingSignal; }

int EndingSignalFd() { return wakePipe[0]; }

void DieOfSignal(int signal) {
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  _exit(128 + signal);
}

void WaitForEvents(Display* display, int timeoutMs) {
  if (endingSignal != 0) return;
  if (display != nullptr && XPending(display) > 0) return;
  pollfd fds[2] = {{display != nullptr ? ConnectionNumber(display) : -1, POLLIN, 0},
                   {wakePipe[0], POLLIN, 0}};
  poll(fds, 2, timeoutMs);
  char drain[16];
  while (wakePipe[0] >= 0 && read(wakePipe[0], drain, sizeof(drain)) > 0) {
  }
}

long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace zm::x11
