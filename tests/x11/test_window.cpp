// A window for the end-to-end tests to be drawn into (or to cover another):
// made and mapped at the given size and place (40, 30 unless given), its id printed on standard
// output; destroyed when standard input reaches its end.
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fputs("test_window: no X display\n", stderr);
    return 2;
  }
  const int width = argc > 1 ? std::atoi(argv[1]) : 320;
  const int height = argc > 2 ? std::atoi(argv[2]) : 240;
  const int left = argc > 3 ? std::atoi(argv[3]) : 40;
  const int top = argc > 4 ? std::atoi(argv[4]) : 30;
  const int screen = DefaultScreen(display);
  const Window window =
      XCreateSimpleWindow(display, RootWindow(display, screen), left, top, width, height, 0,
                          BlackPixel(display, screen), BlackPixel(display, screen));
  XSelectInput(display, window, StructureNotifyMask);
  XMapWindow(display, window);
  XEvent event;
  do {
    XNextEvent(display, &event);
  } while (event.type != MapNotify);
  std::printf("0x%lx\n", window);
  std::fflush(stdout);
  char buffer[64];
  while (read(0, buffer, sizeof(buffer)) > 0) {
  }
  XDestroyWindow(display, window);
  XSync(display, False);
  XCloseDisplay(display);
  return 0;
}
