#include "platform/x11/image_buffer.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>

#include "platform/x11/run_signals.h"
#include "platform/x11/x_connection.h"

namespace zm::x11 {

bool SharedMemoryWanted(Display* display) {
  const char* off = std::getenv("ZELK_MIRV_NO_SHM");
  if (off != nullptr && off[0] != '\0' && off[0] != '0') return false;
  return XShmQueryExtension(display) == True;
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
    XShmDetach(display_, &segment_);
    XSync(display_, False);
    shmdt(segment_.shmaddr);
    image_->data = nullptr;
  }
  XDestroyImage(image_);  // frees the plain image's pixels too
}

void ImageBuffer::Put(Drawable target, GC gc) {
  if (image_ == nullptr) return;
  if (shared_) {
    XShmPutImage(display_, target, gc, image_, 0, 0, 0, 0, image_->width, image_->height, False);
  } else {
    XPutImage(display_, target, gc, image_, 0, 0, 0, 0, image_->width, image_->height);
  }
  XSync(display_, False);
}

}  // namespace zm::x11

namespace zm::x11 {

void ImageBuffer::PutAsync(Drawable target, GC gc) {
  if (image_ == nullptr || !shared_) return Put(target, gc);
  XShmPutImage(display_, target, gc, image_, 0, 0, 0, 0, image_->width, image_->height, True);
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
    if (XCheckIfEvent(display_, &event, IsCompletionOf, reinterpret_cast<XPointer>(&match))) {
      Completed(event);
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
