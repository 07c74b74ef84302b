// zm-frame-counter: counts the frames that reach an X screen, from the DAMAGE
// extension on its root window (one frame per burst of damage), for the
// measuring scripts.
//
//   zm-frame-counter count SECONDS [HZ]
//       frames, frames per second and the share of gaps between frames longer
//       than 1.5 refresh periods (HZ, default 60) over SECONDS.
//   zm-frame-counter first-frame SECONDS -- COMMAND [ARGS...]
//       starts COMMAND and prints the milliseconds until the first damage
//       after which two opposite corners of the screen are not black (a
//       window's black background or a small dialog in the middle is not a
//       frame), and COMMAND's process id. COMMAND keeps running.
//
// Output lines are "name value"; the exit status is 1 when no frame came.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

double NowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

struct Watch {
  Display* display = nullptr;
  Window root = 0;
  Damage damage = 0;
  int eventBase = 0;
};

bool Open(Watch& w) {
  w.display = XOpenDisplay(nullptr);
  if (w.display == nullptr) return false;
  int errorBase = 0;
  if (!XDamageQueryExtension(w.display, &w.eventBase, &errorBase)) return false;
  w.root = DefaultRootWindow(w.display);
  w.damage = XDamageCreate(w.display, w.root, XDamageReportNonEmpty);
  // A new damage object reports the whole window once: that is no frame.
  XDamageSubtract(w.display, w.damage, None, None);
  XSync(w.display, False);
  XEvent event;
  while (XCheckTypedEvent(w.display, w.eventBase + XDamageNotify, &event)) {
  }
  return true;
}

// Waits for the next burst of damage until `deadline`; true when one came.
bool NextDamage(Watch& w, double deadline) {
  for (;;) {
    while (XPending(w.display) > 0) {
      XEvent event;
      XNextEvent(w.display, &event);
      if (event.type == w.eventBase + XDamageNotify) {
        XDamageSubtract(w.display, w.damage, None, None);
        XFlush(w.display);
        return true;
      }
    }
    const double left = deadline - NowMs();
    if (left <= 0) return false;
    pollfd fd{ConnectionNumber(w.display), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left) + 1);
  }
}

bool Lit(Display* d, Window root, int x, int y) {
  XImage* image = XGetImage(d, root, x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  const bool lit = XGetPixel(image, 0, 0) != 0;
  XDestroyImage(image);
  return lit;
}

int Count(double seconds, double hertz) {
  Watch w;
  if (!Open(w)) return 2;
  const double period = 1000.0 / hertz;
  const double end = NowMs() + seconds * 1000.0;
  std::vector<double> times;
  while (NextDamage(w, end)) times.push_back(NowMs());
  int long_gaps = 0;
  for (size_t i = 1; i < times.size(); ++i) long_gaps += times[i] - times[i - 1] > 1.5 * period;
  const size_t gaps = times.size() > 1 ? times.size() - 1 : 0;
  std::printf("frames %zu\nfps %.2f\nlong_gaps_percent %.2f\n", times.size(),
              static_cast<double>(times.size()) / seconds,
              gaps > 0 ? 100.0 * long_gaps / static_cast<double>(gaps) : 0.0);
  return times.empty() ? 1 : 0;
}

int FirstFrame(double seconds, char** command) {
  Watch w;
  if (!Open(w)) return 2;
  const int width = DisplayWidth(w.display, DefaultScreen(w.display));
  const int height = DisplayHeight(w.display, DefaultScreen(w.display));
  const double start = NowMs();
  const pid_t child = fork();
  if (child == 0) {
    // The command's output must not hold the reader of ours open.
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, STDOUT_FILENO);
    execvp(command[0], command);
    _exit(127);
  }
  const double end = start + seconds * 1000.0;
  while (NextDamage(w, end)) {
    if (Lit(w.display, w.root, 2, 2) && Lit(w.display, w.root, width - 3, height - 3)) {
      std::printf("first_frame_ms %.1f\npid %d\n", NowMs() - start, static_cast<int>(child));
      return 0;
    }
  }
  std::printf("first_frame_ms none\npid %d\n", static_cast<int>(child));
  return 1;
}

int Usage() {
  std::fputs(
      "usage: zm-frame-counter count SECONDS [HZ]\n"
      "       zm-frame-counter first-frame SECONDS -- COMMAND [ARGS...]\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "count") == 0) {
    const double seconds = std::atof(argv[2]);
    const double hertz = argc >= 4 ? std::atof(argv[3]) : 60.0;
    if (seconds <= 0 || hertz <= 0) return Usage();
    return Count(seconds, hertz);
  }
  if (argc >= 5 && std::strcmp(argv[1], "first-frame") == 0 && std::strcmp(argv[3], "--") == 0) {
    const double seconds = std::atof(argv[2]);
    if (seconds <= 0) return Usage();
    return FirstFrame(seconds, argv + 4);
  }
  return Usage();
}
