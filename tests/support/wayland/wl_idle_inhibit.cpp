// zm-wl-idle-inhibit: a window that holds an idle inhibitor, as a video player
// does, for the idle starter's tests. It maps a small toplevel (an inhibitor
// counts only while its surface is seen), creates a zwp_idle_inhibitor_v1 on
// it, says "inhibiting" on standard output and holds it until a signal ends
// it. Exit status 2 when there is no compositor, it lacks a protocol or it
// goes away.
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>

#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace {

constexpr int kSize = 64;

struct Globals {
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  xdg_wm_base* shell = nullptr;
  zwp_idle_inhibit_manager_v1* inhibitors = nullptr;
  bool configured = false;
};

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  auto& g = *static_cast<Globals*>(data);
  if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
    g.compositor =
        static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 1));
  } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
    g.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
    g.shell =
        static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
  } else if (std::strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0) {
    g.inhibitors = static_cast<zwp_idle_inhibit_manager_v1*>(
        wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1));
  }
}
void OnGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

void OnPing(void*, xdg_wm_base* shell, uint32_t serial) { xdg_wm_base_pong(shell, serial); }
const xdg_wm_base_listener kShellListener = {OnPing};

void OnConfigure(void* data, xdg_surface* surface, uint32_t serial) {
  xdg_surface_ack_configure(surface, serial);
  static_cast<Globals*>(data)->configured = true;
}
const xdg_surface_listener kSurfaceListener = {OnConfigure};

void OnToplevelConfigure(void*, xdg_toplevel*, int32_t, int32_t, wl_array*) {}
void OnClose(void*, xdg_toplevel*) {}
const xdg_toplevel_listener kToplevelListener = {OnToplevelConfigure, OnClose, nullptr, nullptr};

wl_buffer* GreyBuffer(wl_shm* shm) {
  const int stride = kSize * 4;
  const int bytes = stride * kSize;
  const int fd = memfd_create("zm-inhibit", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, bytes) != 0) return nullptr;
  void* pixels = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (pixels != MAP_FAILED) {
    std::memset(pixels, 0x80, bytes);
    munmap(pixels, bytes);
  }
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, bytes);
  wl_buffer* buffer =
      wl_shm_pool_create_buffer(pool, 0, kSize, kSize, stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  return buffer;
}

}  // namespace

int main() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "zm-wl-idle-inhibit: no Wayland compositor\n");
    return 2;
  }
  Globals g;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, &g);
  wl_display_roundtrip(display);
  if (g.compositor == nullptr || g.shm == nullptr || g.shell == nullptr ||
      g.inhibitors == nullptr) {
    std::fprintf(stderr, "zm-wl-idle-inhibit: the compositor lacks a protocol\n");
    return 2;
  }
  xdg_wm_base_add_listener(g.shell, &kShellListener, nullptr);
  wl_surface* surface = wl_compositor_create_surface(g.compositor);
  xdg_surface* shellSurface = xdg_wm_base_get_xdg_surface(g.shell, surface);
  xdg_surface_add_listener(shellSurface, &kSurfaceListener, &g);
  xdg_toplevel* toplevel = xdg_surface_get_toplevel(shellSurface);
  xdg_toplevel_add_listener(toplevel, &kToplevelListener, nullptr);
  xdg_toplevel_set_app_id(toplevel, "zm-idle-inhibit");
  wl_surface_commit(surface);
  while (!g.configured && wl_display_dispatch(display) >= 0) {
  }
  wl_surface_attach(surface, GreyBuffer(g.shm), 0, 0);
  wl_surface_commit(surface);
  zwp_idle_inhibit_manager_v1_create_inhibitor(g.inhibitors, surface);
  wl_surface_commit(surface);
  wl_display_roundtrip(display);
  std::printf("inhibiting\n");
  std::fflush(stdout);
  // Until a signal ends the process: the compositor then drops the inhibitor
  // with the client.
  while (wl_display_dispatch(display) >= 0) {
  }
  return 2;
}
