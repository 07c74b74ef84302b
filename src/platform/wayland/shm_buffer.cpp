#include "platform/wayland/shm_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

namespace zm::wayland {

namespace {

void OnRelease(void* data, wl_buffer*) { static_cast<ShmBuffer*>(data)->busy = false; }

const wl_buffer_listener kBufferListener = {OnRelease};

}  // namespace

bool ShmBuffer::Make(wl_shm* shm, int32_t width, int32_t height) {
  Release();
  if (width <= 0 || height <= 0) return false;
  bytes_ = static_cast<size_t>(width) * height * 4;
  const int fd = memfd_create("zelk-mirv-frame", MFD_CLOEXEC);
  if (fd < 0) return false;
  void* memory = MAP_FAILED;
  if (ftruncate(fd, static_cast<off_t>(bytes_)) == 0) {
    memory = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  }
  if (memory == MAP_FAILED) {
    close(fd);
    return false;
  }
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<int32_t>(bytes_));
  buffer_ = wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  wl_buffer_add_listener(buffer_, &kBufferListener, this);
  pixels_ = static_cast<uint32_t*>(memory);
  width_ = width;
  height_ = height;
  return true;
}

void ShmBuffer::Release() {
  if (buffer_ != nullptr) wl_buffer_destroy(buffer_);
  if (pixels_ != nullptr) munmap(pixels_, bytes_);
  buffer_ = nullptr;
  pixels_ = nullptr;
  busy = false;
  width_ = height_ = 0;
}

}  // namespace zm::wayland
