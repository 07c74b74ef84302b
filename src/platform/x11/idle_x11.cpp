#include "platform/x11/idle_x11.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#include <glib.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace zm::x11 {

namespace {

constexpr int64_t kPollMs = 2000;
// The server's saver comes on at the idle time; later than this it is held off.
constexpr int64_t kServerGraceMs = 1500;

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

class X11IdleWatch : public IdleWatch {
 public:
  X11IdleWatch(Display* display, int64_t idleTimeMs, IdleCallbacks callbacks)
      : display_(display), idleTimeMs_(idleTimeMs), callbacks_(std::move(callbacks)) {
    root_ = DefaultRootWindow(display_);
    XGetScreenSaver(display_, &oldTimeout_, &oldInterval_, &oldBlanking_, &oldExposures_);
    XSetWindowAttributes attributes{};
    XScreenSaverSetAttributes(display_, root_, 0, 0, 1, 1, 0, 0, InputOnly, CopyFromParent, 0,
                              &attributes);
    seconds_ = static_cast<int>(std::max<int64_t>(1, (idleTimeMs_ + 999) / 1000));
    XSetScreenSaver(display_, seconds_, 0, DontPreferBlanking, AllowExposures);
    XFlush(display_);
    info_ = XScreenSaverAllocInfo();
    Schedule(0);
  }

  ~X11IdleWatch() override {
    if (source_ != 0) g_source_remove(source_);
    XScreenSaverUnsetAttributes(display_, root_);
    XSetScreenSaver(display_, oldTimeout_, oldInterval_, oldBlanking_, oldExposures_);
    XSync(display_, False);
    XFree(info_);
    XCloseDisplay(display_);
  }

  bool Inhibited(std::string& why) override {
    if (suspended_) {
      why = "another X client holds the screen saver suspended";
      return true;
    }
    if (KeyboardGrabbedElsewhere()) {
      why = "another X client holds the keyboard (a screen lock, an open menu)";
      return true;
    }
    return false;
  }

 private:
  void Schedule(int64_t delayMs) {
    source_ = g_timeout_add(static_cast<guint>(delayMs), &X11IdleWatch::Tick, this);
  }

  static gboolean Tick(gpointer self) {
    auto* watch = static_cast<X11IdleWatch*>(self);
    watch->source_ = 0;
    watch->Poll();
    return G_SOURCE_REMOVE;
  }

  void Poll() {
    if (XScreenSaverQueryInfo(display_, root_, info_) == 0) {
      callbacks_.lost("the X display no longer answers");
      return;
    }
    const int64_t idleMs = static_cast<int64_t>(info_->idle);
    const bool serverSaverOn = info_->state == ScreenSaverOn;
    int64_t next = NextIdlePollMs(idleMs, idleTimeMs_, kPollMs);
    bool idle = idleMs >= idleTimeMs_;
    suspended_ = false;
    if (idle && !serverSaverOn) {
      if (idleMs < idleTimeMs_ + kServerGraceMs) {
        idle = false;  // the server's saver may be about to come on
        next = kServerGraceMs;
      } else if (ServerSaverIsOurs()) {
        suspended_ = true;
      } else {
        // Someone changed the server's saver (xset s): set it again and look
        // once more before calling it held off.
        XSetScreenSaver(display_, seconds_, 0, DontPreferBlanking, AllowExposures);
        XFlush(display_);
        idle = false;
        next = kServerGraceMs;
      }
    }
    Schedule(next);
    if (idle && !reportedIdle_) {
      reportedIdle_ = true;
      callbacks_.idle();
    } else if (!idle && reportedIdle_ && idleMs < idleTimeMs_) {
      reportedIdle_ = false;
      callbacks_.active();
    } else if (idle) {
      callbacks_.idle();  // looked at again: a suspension may have ended
    }
  }

  // A locker that has locked (i3lock, a daemonised one), or a menu that is
  // open, holds the keyboard: a saver started now would cover it and never
  // see a key. A grab of our own that succeeds is let go at once.
  bool KeyboardGrabbedElsewhere() {
    const int status =
        XGrabKeyboard(display_, root_, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (status == GrabSuccess) XUngrabKeyboard(display_, CurrentTime);
    XFlush(display_);
    return status == AlreadyGrabbed || status == GrabFrozen;
  }

  bool ServerSaverIsOurs() {
    int timeout = 0, interval = 0, blanking = 0, exposures = 0;
    XGetScreenSaver(display_, &timeout, &interval, &blanking, &exposures);
    return timeout == seconds_;
  }

  Display* display_;
  Window root_ = 0;
  int seconds_ = 1;
  int64_t idleTimeMs_;
  IdleCallbacks callbacks_;
  XScreenSaverInfo* info_ = nullptr;
  guint source_ = 0;
  bool reportedIdle_ = false;
  bool suspended_ = false;
  int oldTimeout_ = 0, oldInterval_ = 0, oldBlanking_ = 0, oldExposures_ = 0;
};

Display* OpenDisplay() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || name[0] == '\0') return nullptr;
  return XOpenDisplay(name);
}

}  // namespace

bool X11OffersIdleTime() {
  Display* display = OpenDisplay();
  if (display == nullptr) return false;
  int event = 0, error = 0;
  const bool offered = XScreenSaverQueryExtension(display, &event, &error) != 0;
  XCloseDisplay(display);
  return offered;
}

bool X11DaemonRuns(std::string& displayName) {
  Display* display = OpenDisplay();
  if (display == nullptr) return false;
  displayName = DisplayString(display);
  XErrorHandler old = XSetErrorHandler(&IgnoreErrors);
  const Atom version = XInternAtom(display, "_SCREENSAVER_VERSION", True);
  bool runs = false;
  if (version != None) {
    // The daemon marks a window of its own among the root's children (older
    // versions the root itself); a window that is gone answers nothing.
    const Window root = DefaultRootWindow(display);
    Window unused = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> windows = {root};
    if (XQueryTree(display, root, &unused, &unused, &children, &count) != 0) {
      windows.insert(windows.end(), children, children + count);
      if (children != nullptr) XFree(children);
    }
    for (const Window window : windows) {
      Atom type = None;
      int format = 0;
      unsigned long items = 0, after = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(display, window, version, 0, 64, False, XA_STRING, &type, &format,
                             &items, &after, &data) == Success &&
          type != None) {
        runs = true;
      }
      if (data != nullptr) XFree(data);
      if (runs) break;
    }
  }
  XSync(display, False);
  XSetErrorHandler(old);
  XCloseDisplay(display);
  return runs;
}

std::unique_ptr<IdleWatch> WatchX11Idle(int64_t idleTimeMs, IdleCallbacks callbacks) {
  Display* display = OpenDisplay();
  if (display == nullptr) return nullptr;
  return std::make_unique<X11IdleWatch>(display, idleTimeMs, std::move(callbacks));
}

}  // namespace zm::x11
