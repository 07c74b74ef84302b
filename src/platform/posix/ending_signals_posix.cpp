#include "platform/posix/ending_signals_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>

namespace zm {

namespace {

// How long an orderly end may take once it was asked for, while the run
// talks to a display that may not answer.
constexpr long kOrderlyEndMicroseconds = 1500 * 1000;

volatile std::sig_atomic_t endingSignal = 0;
// How deep the run is in its own work (OwnWork): no time limit then.
volatile std::sig_atomic_t ownWork = 0;
const char* displayName = "the display";
int wakePipe[2] = {-1, -1};

void ArmAlarm(long microseconds) {
  itimerval timer{};
  timer.it_value.tv_sec = microseconds / 1000000;
  timer.it_value.tv_usec = microseconds % 1000000;
  setitimer(ITIMER_REAL, &timer, nullptr);
}

void ArmLimitIfEnding() {
  if (endingSignal != 0 && ownWork == 0) ArmAlarm(kOrderlyEndMicroseconds);
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

// The orderly end did not come in time: the display does not answer, and
// nothing more can be restored without it, so the process ends as the
// signal would have ended it.
void OrderlyEndOverdue(int) {
  Say("zelk-mirv: no orderly end within 1.5 s (");
  Say(displayName);
  Say(" does not answer?): ending at once\n");
  EndNow(endingSignal != 0 ? endingSignal : SIGTERM);
}

void NoteSignal(int signal) {
  const int saved = errno;
  if (endingSignal != 0) EndNow(signal);  // a second signal ends the run at once
  endingSignal = signal;
  ArmLimitIfEnding();
  if (wakePipe[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);
  }
  errno = saved;
}

}  // namespace

void CatchEndingSignals(const char* displaySystem) {
  displayName = displaySystem;
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

OwnWork::OwnWork() {
  ownWork = ownWork + 1;
  ArmAlarm(0);
}

OwnWork::~OwnWork() {
  ownWork = ownWork - 1;
  ArmLimitIfEnding();
}

DisplayTalk::DisplayTalk() : ownWork_(ownWork) {
  ownWork = 0;
  ArmLimitIfEnding();
}

DisplayTalk::~DisplayTalk() {
  ownWork = ownWork_;
  if (ownWork != 0) ArmAlarm(0);
}

int EndingSignal() { return endingSignal; }

int EndingSignalFd() { return wakePipe[0]; }

void DieOfSignal(int signal) { EndNow(signal); }

void PollWithSignals(int fd, int timeoutMs, int otherFd) {
  pollfd fds[3] = {{fd, POLLIN, 0}, {wakePipe[0], POLLIN, 0}, {otherFd, POLLIN, 0}};
  poll(fds, 3, timeoutMs);
  char drain[16];
  while (wakePipe[0] >= 0 && read(wakePipe[0], drain, sizeof(drain)) > 0) {
  }
}

long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace zm
