#include "platform/x11/image_buffer.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#ifdef ZM_HAVE_XPRESENT
#include <X11/extensions/Xpresent.h>
#endif

#include "display/pixel_packing.h"
#include "platform/x11/run_signals.h"
#include "platform/x11/x_connection.h"

namespace zm::x11 {

namespace {

// An environment switch: set to anything but empty or 0.
bool SwitchSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' && value[0] != '0';
}

// The images that present, for the idle events to find theirs.
std::vector<ImageBuffer*>& Presenting() {
  static std::vector<ImageBuffer*> images;
  return images;
}

int PresentOpcode(Display* display) {
#ifdef ZM_HAVE_XPRESENT
  int opcode = 0;
  int eventBase = 0;
  int errorBase = 0;
  if (XPresentQueryExtension(display, &opcode, &eventBase, &errorBase)) return opcode;
#else
  (void)display;
#endif
  return 0;
}

// Whether an event is one of Present's. The opcode is passed in: an event
// predicate runs with the connection locked and may send no request.
Bool IsPresentEvent(Display*, XEvent* event, XPointer opcode) {
  return event->type == GenericEvent &&
         event->xcookie.extension == static_cast<int>(reinterpret_cast<intptr_t>(opcode));
}

XPointer PresentOpcodeArg(Display* display) {
  return reinterpret_cast<XPointer>(static_cast<intptr_t>(PresentOpcode(display)));
}

// Whether a kernel display driver stands behind the server (it offers
// direct rendering): only then do Present's refreshes come from the
// display. A virtual framebuffer (Xvfb, the dummy driver, a VNC server)
// keeps them on a timer of its own that runs late while the processors are
// busy composing, and drops a frame each time two presents meet in one
// refresh; the shared put shows every frame there.
bool HasDisplayDriver(Display* display) {
  int opcode = 0;
  int eventBase = 0;
  int errorBase = 0;
  return XQueryExtension(display, "DRI3", &opcode, &eventBase, &errorBase) ||
         XQueryExtension(display, "DRI2", &opcode, &eventBase, &errorBase);
}

}  // namespace

bool PresentWanted(Display* display) {
  if (SwitchSet("ZELK_MIRV_NO_PRESENT") || PresentOpcode(display) == 0) return false;
  return SwitchSet("ZELK_MIRV_PRESENT") || HasDisplayDriver(display);
}

bool TakePresentEvent(Display* display, XEvent& event, uint64_t* refreshUs,
                      uint64_t* refreshCount) {
#ifdef ZM_HAVE_XPRESENT
  if (event.type != GenericEvent || Presenting().empty()) return false;
  if (event.xcookie.extension != PresentOpcode(display)) return false;
  if (XGetEventData(display, &event.xcookie)) {
    if (event.xcookie.evtype == PresentIdleNotify) {
      const auto* idle = static_cast<const XPresentIdleNotifyEvent*>(event.xcookie.data);
      for (ImageBuffer* image : Presenting()) {
        if (image->pixmap_ == idle->pixmap && image->pending_ > 0) --image->pending_;
      }
    } else if (event.xcookie.evtype == PresentCompleteNotify && refreshUs != nullptr) {
      const auto* complete = static_cast<const XPresentCompleteNotifyEvent*>(event.xcookie.data);
      *refreshUs = complete->ust;
      if (refreshCount != nullptr) *refreshCount = complete->msc;
    }
    XFreeEventData(display, &event.xcookie);
  }
  return true;
#else
  (void)display;
  (void)event;
  (void)refreshUs;
  (void)refreshCount;
  return false;
#endif
}

bool SharedMemoryWanted(Display* display) {
  return !SwitchSet("ZELK_MIRV_NO_SHM") && XShmQueryExtension(display) == True;
}

ImageBuffer::ImageBuffer(Display* display, Visual* visual, int depth, int width, int height)
    : display_(display) {
  if (width <= 0 || height <= 0) return;
  if (SharedMemoryWanted(display) && CreateShared(visual, depth, width, height)) return;
  CreatePlain(visual, depth, width, height);
}

// A remote server cannot attach this machine's memory: the attach fails
// with a protocol error, and the plain image takes over.
bool ImageBuffer::CreateShared(Visual* visual, int depth, int width, int height) {
  XImage* image =
      XShmCreateImage(display_, visual, depth, ZPixmap, nullptr, &segment_, width, height);
  if (image == nullptr) return false;
  segment_.shmid =
      shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * height, IPC_CREAT | 0600);
  if (segment_.shmid < 0) {
    XDestroyImage(image);
    return false;
  }
  segment_.shmaddr = image->data = static_cast<char*>(shmat(segment_.shmid, nullptr, 0));
  segment_.readOnly = False;
  bool attached = segment_.shmaddr != reinterpret_cast<char*>(-1);
  if (attached) {
    SyncAndTakeError(display_);
    XShmAttach(display_, &segment_);
    attached = SyncAndTakeError(display_) == 0;
  }
  // Marked for removal now: it goes when both sides have detached.
  shmctl(segment_.shmid, IPC_RMID, nullptr);
  if (!attached) {
    if (segment_.shmaddr != reinterpret_cast<char*>(-1)) shmdt(segment_.shmaddr);
    image->data = nullptr;
    XDestroyImage(image);
    return false;
  }
  image_ = image;
  shared_ = true;
  completionType_ = XShmGetEventBase(display_) + ShmCompletion;
  return true;
}

void ImageBuffer::CreatePlain(Visual* visual, int depth, int width, int height) {
  XImage* image = XCreateImage(display_, visual, depth, ZPixmap, 0, nullptr, width, height, 32, 0);
  if (image == nullptr) return;
  image->data = static_cast<char*>(std::calloc(static_cast<size_t>(image->bytes_per_line), height));
  if (image->data == nullptr) {
    XDestroyImage(image);
    return;
  }
  image_ = image;
}

ImageBuffer::~ImageBuffer() {
  if (image_ == nullptr) return;
  if (shared_) {
    if (Busy()) WaitUntilFree();
    if (pixmap_ != 0) {
      XFreePixmap(display_, pixmap_);
      std::erase(Presenting(), this);
    }
    XShmDetach(display_, &segment_);
    XSync(display_, False);
    shmdt(segment_.shmaddr);
    image_->data = nullptr;
  }
  XDestroyImage(image_);  // frees the plain image's pixels too
}

void ImageBuffer::Pack(const uint32_t* pixels, int32_t width, int32_t height,
                       const PixelFormat& format) {
  for (int32_t y = 0; y < height; ++y) {
    PackPixels(pixels + static_cast<size_t>(y) * width, width, format,
               Data() + static_cast<ptrdiff_t>(y) * Pitch());
  }
}

void ImageBuffer::Put(Drawable target, GC gc, int x, int y) {
  if (image_ == nullptr) return;
  if (shared_) {
    XShmPutImage(display_, target, gc, image_, 0, 0, x, y, image_->width, image_->height, False);
  } else {
    XPutImage(display_, target, gc, image_, 0, 0, x, y, image_->width, image_->height);
  }
  XSync(display_, False);
}

}  // namespace zm::x11

namespace zm::x11 {

bool ImageBuffer::PresentOn(Window window, int depth) {
#ifdef ZM_HAVE_XPRESENT
  if (!shared_ || pixmap_ != 0 || XShmPixmapFormat(display_) != ZPixmap) return pixmap_ != 0;
  SyncAndTakeError(display_);
  const Pixmap pixmap = XShmCreatePixmap(display_, window, image_->data, &segment_, image_->width,
                                         image_->height, depth);
  if (SyncAndTakeError(display_) != 0) return false;
  pixmap_ = pixmap;
  Presenting().push_back(this);
  return true;
#else
  (void)window;
  (void)depth;
  return false;
#endif
}

void ImageBuffer::PutAsync(Drawable target, GC gc, int x, int y) {
  if (image_ == nullptr || !shared_) return Put(target, gc, x, y);
#ifdef ZM_HAVE_XPRESENT
  if (pixmap_ != 0) {
    XPresentPixmap(display_, target, pixmap_, ++presentSerial_, None, None, x, y, None, None, None,
                   PresentOptionNone, 0, 0, 0, nullptr, 0);
    XFlush(display_);
    ++pending_;
    return;
  }
#endif
  XShmPutImage(display_, target, gc, image_, 0, 0, x, y, image_->width, image_->height, True);
  XFlush(display_);
  ++pending_;
}

bool ImageBuffer::Completed(const XEvent& event) {
  if (!shared_ || event.type != completionType_) return false;
  const auto& done = reinterpret_cast<const XShmCompletionEvent&>(event);
  if (done.shmseg != segment_.shmseg) return false;
  if (pending_ > 0) --pending_;
  return true;
}

namespace {

struct Match {
  int type;
  ShmSeg segment;
};

Bool IsCompletionOf(Display*, XEvent* event, XPointer arg) {
  const auto* match = reinterpret_cast<const Match*>(arg);
  return event->type == match->type &&
         reinterpret_cast<const XShmCompletionEvent*>(event)->shmseg == match->segment;
}

}  // namespace

void ImageBuffer::WaitUntilFree() {
  Match match{completionType_, segment_.shmseg};
  const long long until = NowMs() + 500;
  XEvent event;
  while (Busy()) {
    if (pixmap_ != 0
            ? XCheckIfEvent(display_, &event, IsPresentEvent, PresentOpcodeArg(display_)) != 0
            : XCheckIfEvent(display_, &event, IsCompletionOf, reinterpret_cast<XPointer>(&match)) !=
                  0) {
      if (pixmap_ != 0) {
        TakePresentEvent(display_, event);
      } else {
        Completed(event);
      }
      continue;
    }
    const long long left = until - NowMs();
    if (left <= 0) {
      pending_ = 0;  // the drawable went away, or the server dropped the put
      return;
    }
    // Other events already queued would end the wait at once: then only
    // nap until more arrives.
    if (XPending(display_) > 0) {
      WaitForEvents(nullptr, 1);
    } else {
      WaitForEvents(display_, static_cast<int>(left));
    }
  }
}

}  // namespace zm::x11
