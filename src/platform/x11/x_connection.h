#pragma once

#include <X11/Xlib.h>

#include <stdexcept>
#include <string>

#include "display/display_surface.h"
#include "shell/program_error.h"

namespace zm::x11 {

// The connection to the X display of this run, with error handlers that
// record protocol errors (a window that vanishes is an ordinary event for a
// saver drawing into someone else's window) instead of ending the process.
class XConnection {
 public:
  // Opens $DISPLAY; throws ProgramError (status 2) when there is none.
  XConnection();
  ~XConnection();
  XConnection(const XConnection&) = delete;
  XConnection& operator=(const XConnection&) = delete;

  Display* Connection() const { return display_; }
  int screen() const { return screen_; }
  Window root() const { return RootWindow(display_, screen_); }
  int Width() const { return DisplayWidth(display_, screen_); }
  int Height() const { return DisplayHeight(display_, screen_); }

  // The server's bits per pixel for images of this depth (0 if unknown).
  int BitsPerPixel(int depth) const;
  // The pixel format of images for a visual of this depth; throws ProgramError
  // (status 2) for a visual without colour masks (PseudoColor, grey scale).
  PixelFormat FormatOf(const Visual* visual, int depth) const;

 private:
  Display* display_ = nullptr;
  int screen_ = 0;
};

// Someone else's window to draw into, as it stood when it was taken.
struct ForeignWindow {
  Visual* visual = nullptr;
  int depth = 0;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool viewable = false;
};
// Takes someone else's window to draw into, selecting only its structure and
// visibility events (another client, the daemon or the host, may hold the
// input); throws ProgramError (status 1) when there is no such window or it
// is input-only.
ForeignWindow AdoptForeignWindow(Display* display, Window window);
// Throws ProgramError (status 1), naming the X error, when the requests made
// for drawing into the window (its graphics context) were refused.
void ThrowIfWindowRefused(Display* display, Window window);

// Xlib has one error handler per process: a library that installs its own
// (GTK does when it starts) calls this afterwards, so the program's
// connection keeps its handler and the library's errors still reach it.
void ReclaimErrorHandler();

// The last protocol error since the previous call (its code, 0 if none),
// after a round trip, so that errors of requests sent before are in.
int SyncAndTakeError(Display* display);

// Whether a BadWindow, BadDrawable or BadMatch named this window since the
// last call of SyncAndTakeError.
bool WindowFailed(Window window);

}  // namespace zm::x11
