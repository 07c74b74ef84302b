/* Counts the frames that reach an X screen: watches the root window with the
 * DAMAGE extension for SECONDS and prints one line,
 *   frames=N seconds=S fps=F long_gaps=P reports=R
 * where a frame is one report of damage (with GAP_MS above 0, drawing that
 * follows the last by less than that counts as the same frame), long_gaps is
 * the share of gaps between frames longer than 1.5 periods of the rate
 * HERTZ (60 unless given), and reports counts every report.
 *
 * Usage: damage_frames SECONDS [HERTZ] [GAP_MS]   (on $DISPLAY) */
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s SECONDS [HERTZ] [GAP_MS]\n", argv[0]);
    return 2;
  }
  const double seconds = atof(argv[1]);
  const double period = 1000.0 / (argc > 2 ? atof(argv[2]) : 60.0);
  const double gap = argc > 3 ? atof(argv[3]) : 0.0;
  Display* display = XOpenDisplay(NULL);
  int event_base = 0, error_base = 0;
  if (display == NULL || !XDamageQueryExtension(display, &event_base, &error_base)) {
    fprintf(stderr, "damage_frames: no X display with the DAMAGE extension\n");
    return 1;
  }
  Damage damage = XDamageCreate(display, DefaultRootWindow(display), XDamageReportNonEmpty);
  XSync(display, False);
  const double start = now_ms(), end = start + seconds * 1000.0;
  double last_event = -1e9, last_frame = -1.0;
  long frames = 0, gaps = 0, long_gaps = 0, reports = 0;
  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type != event_base + XDamageNotify) continue;
      const double t = now_ms();
      XDamageSubtract(display, damage, None, None);
      if (t < end) ++reports;
      if (t - last_event >= gap && t < end) {
        if (last_frame >= 0.0) {
          ++gaps;
          if (t - last_frame > 1.5 * period) ++long_gaps;
        }
        last_frame = t;
        ++frames;
      }
      last_event = t;
    }
    const double left = end - now_ms();
    if (left <= 0.0) break;
    struct pollfd fd = {ConnectionNumber(display), POLLIN, 0};
    poll(&fd, 1, (int)left + 1);
    XFlush(display);
  }
  printf("frames=%ld seconds=%.2f fps=%.1f long_gaps=%.3f reports=%ld\n", frames, seconds,
         frames / seconds, gaps > 0 ? (double)long_gaps / gaps : 0.0, reports);
  XDamageDestroy(display, damage);
  XCloseDisplay(display);
  return 0;
}
