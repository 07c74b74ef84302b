#include "platform/x11/x_connection.h"

#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace zm::x11 {

namespace {

int lastError = 0;
XID lastErrorResource = 0;
Display* ourDisplay = nullptr;
XErrorHandler othersHandler = nullptr;

// Errors on the program's own connection are recorded; those of another
// library's connection (GTK's) go to the handler that library installed.
int RecordError(Display* display, XErrorEvent* event) {
  if (display != ourDisplay && othersHandler != nullptr) return othersHandler(display, event);
  lastError = event->error_code;
  lastErrorResource = event->resourceid;
  return 0;
}

int ConnectionLost(Display*) {
  // Xlib ends the process after this handler; say why first.
  std::fputs("zelk-mirv: the connection to the X display was lost\n", stderr);
  _exit(1);
}

}  // namespace

XConnection::XConnection() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || name[0] == '\0') {
    throw ProgramError("no X display: DISPLAY is not set", 2);
  }
  display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr) {
    throw ProgramError(std::string("cannot open the X display '") + name + "'", 2);
  }
  screen_ = DefaultScreen(display_);
  ourDisplay = display_;
  XSetErrorHandler(&RecordError);
  XSetIOErrorHandler(&ConnectionLost);
}

XConnection::~XConnection() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

int XConnection::BitsPerPixel(int depth) const {
  int count = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display_, &count);
  int bits = 0;
  for (int i = 0; i < count; ++i) {
    if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
  }
  if (formats != nullptr) XFree(formats);
  return bits;
}

PixelFormat XConnection::FormatOf(const Visual* visual, int depth) const {
  if (visual->c_class != TrueColor && visual->c_class != DirectColor) {
    throw ProgramError("the X screen has " + std::to_string(depth) +
                           "-bit colours through a colour map, which is not supported: "
                           "a TrueColor or DirectColor visual (15 bits or more) is needed",
                       2);
  }
  PixelFormat format;
  format.flags = kPixelFormatRgb;
  format.rgbBitCount = static_cast<uint32_t>(BitsPerPixel(depth));
  format.redMask = static_cast<uint32_t>(visual->red_mask);
  format.greenMask = static_cast<uint32_t>(visual->green_mask);
  format.blueMask = static_cast<uint32_t>(visual->blue_mask);
  return format;
}

ForeignWindow AdoptForeignWindow(Display* display, Window window) {
  SyncAndTakeError(display);
  XWindowAttributes attributes{};
  const Status found = XGetWindowAttributes(display, window, &attributes);
  char text[120];
  if (SyncAndTakeError(display) != 0 || found == 0) {
    std::snprintf(text, sizeof(text), "there is no window 0x%lx to draw into", window);
    throw ProgramError(text, 1);
  }
  if (attributes.c_class == InputOnly) {
    std::snprintf(text, sizeof(text),
                  "the window 0x%lx is an input-only window: nothing can be drawn into it", window);
    throw ProgramError(text, 1);
  }
  XSelectInput(display, window, StructureNotifyMask | VisibilityChangeMask);
  return {attributes.visual,
          attributes.depth,
          attributes.x,
          attributes.y,
          attributes.width,
          attributes.height,
          attributes.map_state == IsViewable};
}

void ThrowIfWindowRefused(Display* display, Window window) {
  const int error = SyncAndTakeError(display);
  if (error == 0) return;
  char name[80] = "";
  XGetErrorText(display, error, name, sizeof(name));
  char text[160];
  std::snprintf(text, sizeof(text), "cannot draw into the window 0x%lx: %s", window, name);
  throw ProgramError(text, 1);
}

void ReclaimErrorHandler() {
  const XErrorHandler current = XSetErrorHandler(&RecordError);
  if (current != &RecordError) othersHandler = current;
  // A lost connection (the library's or ours) ends the run with our message.
  XSetIOErrorHandler(&ConnectionLost);
}

int SyncAndTakeError(Display* display) {
  XSync(display, False);
  const int error = lastError;
  lastError = 0;
  return error;
}

bool WindowFailed(Window window) {
  return (lastError == BadWindow || lastError == BadDrawable || lastError == BadMatch) &&
         lastErrorResource == window;
}

}  // namespace zm::x11
