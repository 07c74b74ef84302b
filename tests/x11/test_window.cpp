// A window for the end-to-end tests to be drawn into (or to cover another):
// made and mapped at the given size and place (40, 30 unless given), its id
// printed on standard output; destroyed when standard input reaches its end.
// A third argument may instead make a hostile one: "unmapped" (never mapped)
// or "input-only" (an InputOnly window, mapped).
//
// TEST_WINDOW_BACKGROUND (a pixel value in hexadecimal) gives the window
// that background instead of black: what the server paints into newly
// exposed parts that nobody draws.
//
// "test_window dump" writes the root window's pixels instead, as the server
// holds them: a line "WIDTH HEIGHT RED_MASK GREEN_MASK BLUE_MASK" (masks in
// hexadecimal), then each pixel as 4 bytes, least significant first.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int DumpRoot(Display* display) {
  const int screen = DefaultScreen(display);
  const int width = DisplayWidth(display, screen);
  const int height = DisplayHeight(display, screen);
  XImage* image =
      XGetImage(display, RootWindow(display, screen), 0, 0, width, height, AllPlanes, ZPixmap);
  if (image == nullptr) return 1;
  const Visual* visual = DefaultVisual(display, screen);
  std::printf("%d %d %lx %lx %lx\n", width, height, visual->red_mask, visual->green_mask,
              visual->blue_mask);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      for (int b = 0; b < 4; ++b) std::putchar(static_cast<int>((pixel >> (8 * b)) & 0xFF));
    }
  }
  XDestroyImage(image);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fputs("test_window: no X display\n", stderr);
    return 2;
  }
  if (argc > 1 && std::string(argv[1]) == "dump") return DumpRoot(display);
  const int width = argc > 1 ? std::atoi(argv[1]) : 320;
  const int height = argc > 2 ? std::atoi(argv[2]) : 240;
  const std::string third = argc > 3 ? argv[3] : "";
  const std::string kind = third == "unmapped" || third == "input-only" ? third : "";
  const int left = argc > 3 && kind.empty() ? std::atoi(argv[3]) : 40;
  const int top = argc > 4 && kind.empty() ? std::atoi(argv[4]) : 30;
  const int screen = DefaultScreen(display);
  const Window root = RootWindow(display, screen);
  const Window window =
      kind == "input-only"
          ? XCreateWindow(display, root, left, top, width, height, 0, 0, InputOnly,
                          CopyFromParent, 0, nullptr)
          : XCreateSimpleWindow(display, root, left, top, width, height, 0,
                                BlackPixel(display, screen), BlackPixel(display, screen));
  if (const char* background = std::getenv("TEST_WINDOW_BACKGROUND")) {
    XSetWindowBackground(display, window, std::strtoul(background, nullptr, 16));
  }
  XSelectInput(display, window, StructureNotifyMask);
  if (kind == "unmapped") {
    XSync(display, False);
  } else {
    XMapWindow(display, window);
    XEvent event;
    do {
      XNextEvent(display, &event);
    } while (event.type != MapNotify);
  }
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
