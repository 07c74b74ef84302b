// zm-floor-client: the least a full-screen saver must do on X11, as a floor
// for the measuring scripts. It covers the screen with a window of its own
// and puts one precomputed image on it through MIT-SHM at each slot of a
// 60 Hz grid, waiting for the server to read it as the saver does.
//
//   zm-floor-client [SECONDS]   (default: until killed)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr long kPeriodNs = 1000000000L / 60;

void AddNs(timespec& t, long ns) {
  t.tv_nsec += ns;
  while (t.tv_nsec >= 1000000000L) {
    t.tv_nsec -= 1000000000L;
    ++t.tv_sec;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 0.0;
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr || !XShmQueryExtension(d)) {
    std::fputs("zm-floor-client: no display with MIT-SHM\n", stderr);
    return 2;
  }
  const int screen = DefaultScreen(d);
  const int width = DisplayWidth(d, screen);
  const int height = DisplayHeight(d, screen);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.background_pixel = BlackPixel(d, screen);
  const Window window =
      XCreateWindow(d, RootWindow(d, screen), 0, 0, width, height, 0, CopyFromParent, InputOutput,
                    CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
  XShmSegmentInfo segment{};
  XImage* image = XShmCreateImage(d, DefaultVisual(d, screen), DefaultDepth(d, screen), ZPixmap,
                                  nullptr, &segment, width, height);
  segment.shmid =
      shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * height, IPC_CREAT | 0600);
  segment.shmaddr = image->data = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
  XShmAttach(d, &segment);
  XSync(d, False);
  shmctl(segment.shmid, IPC_RMID, nullptr);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) XPutPixel(image, x, y, (x * 7 + y * 3) & 0xFFFFFF);
  }
  const GC gc = XCreateGC(d, window, 0, nullptr);
  XMapRaised(d, window);
  XSync(d, False);

  timespec slot{};
  clock_gettime(CLOCK_MONOTONIC, &slot);
  const long frames = seconds > 0 ? static_cast<long>(seconds * 60) : -1;
  for (long i = 0; frames < 0 || i < frames; ++i) {
    XShmPutImage(d, window, gc, image, 0, 0, 0, 0, width, height, False);
    XSync(d, False);
    AddNs(slot, kPeriodNs);
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &slot, nullptr);
  }
  XShmDetach(d, &segment);
  XCloseDisplay(d);
  shmdt(segment.shmaddr);
  return 0;
}
