#include "platform/x11/image_buffer.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>

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
