#include "platform/wayland/wayland_connection.h"

#include <poll.h>

#include <algorithm>
#include <cstring>

#include "platform/wayland/protocols/wlr-layer-shell-unstable-v1-client-protocol.h"
#include "platform/wayland/protocols/xdg-activation-v1-client-protocol.h"
#include "platform/wayland/protocols/xdg-shell-client-protocol.h"
#include "platform/posix/ending_signals_posix.h"
#include "shell/program_error.h"

namespace zm::wayland {

namespace {

void OnGlobal(void* data, wl_registry*, uint32_t name, const char* interface, uint32_t version) {
  static_cast<WaylandConnection*>(data)->Global(name, interface, version);
}

void OnGlobalRemove(void* data, wl_registry*, uint32_t name) {
  static_cast<WaylandConnection*>(data)->GlobalRemoved(name);
}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

void OnPing(void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }

const xdg_wm_base_listener kWmBaseListener = {OnPing};

void OnCapabilities(void* data, wl_seat*, uint32_t capabilities) {
  static_cast<WaylandConnection*>(data)->SetSeatCapabilities(capabilities);
}
void OnSeatName(void*, wl_seat*, const char*) {}

const wl_seat_listener kSeatListener = {OnCapabilities, OnSeatName};

void OnGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                const char*, int32_t) {}
void OnMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height,
            int32_t refresh) {
  if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
  static_cast<WaylandOutput*>(data)->width = width;
  static_cast<WaylandOutput*>(data)->height = height;
  static_cast<WaylandOutput*>(data)->refreshMilliHz = refresh;
}
void OnDescription(void*, wl_output*, const char*) {}

void OnDone(void* data, wl_output*) {
  auto* output = static_cast<WaylandOutput*>(data);
  output->connection->OutputDescribed(*output);
}

void OnScale(void* data, wl_output*, int32_t factor) {
  static_cast<WaylandOutput*>(data)->scale = std::max(1, factor);
}

void OnName(void* data, wl_output*, const char* name) {
  static_cast<WaylandOutput*>(data)->name = name;
}

const wl_output_listener kOutputListener = {OnGeometry, OnMode, OnDone,
                                            OnScale,    OnName, OnDescription};

template <typename T>
T* Bind(wl_registry* registry, uint32_t name, const wl_interface* interface, uint32_t offered,
        uint32_t wanted) {
  return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

}  // namespace

WaylandConnection::WaylandConnection() {
  display_ = wl_display_connect(nullptr);
  if (display_ == nullptr) throw ProgramError("cannot connect to the Wayland compositor", 2);
  registry_ = wl_display_get_registry(display_);
  wl_registry_add_listener(registry_, &kRegistryListener, this);
  // The globals, then the outputs' descriptions.
  Roundtrip();
  Roundtrip();
}

WaylandConnection::~WaylandConnection() {
  for (const auto& output : outputs_) wl_output_release(output->output);
  if (seat_ != nullptr) wl_seat_release(seat_);
  if (wmBase_ != nullptr) xdg_wm_base_destroy(wmBase_);
  if (activation_ != nullptr) xdg_activation_v1_destroy(activation_);
  if (layerShell_ != nullptr) zwlr_layer_shell_v1_destroy(layerShell_);
  if (shm_ != nullptr) wl_shm_destroy(shm_);
  if (compositor_ != nullptr) wl_compositor_destroy(compositor_);
  wl_registry_destroy(registry_);
  wl_display_disconnect(display_);
}

void WaylandConnection::Global(uint32_t name, const char* interface, uint32_t version) {
  const std::string_view kind = interface;
  if (kind == wl_compositor_interface.name) {
    compositor_ = Bind<wl_compositor>(registry_, name, &wl_compositor_interface, version, 4);
  } else if (kind == wl_shm_interface.name) {
    shm_ = Bind<wl_shm>(registry_, name, &wl_shm_interface, version, 1);
  } else if (kind == zwlr_layer_shell_v1_interface.name) {
    layerShell_ =
        Bind<zwlr_layer_shell_v1>(registry_, name, &zwlr_layer_shell_v1_interface, version, 3);
  } else if (kind == xdg_wm_base_interface.name) {
    wmBase_ = Bind<xdg_wm_base>(registry_, name, &xdg_wm_base_interface, version, 1);
    xdg_wm_base_add_listener(wmBase_, &kWmBaseListener, this);
  } else if (kind == xdg_activation_v1_interface.name) {
    activation_ =
        Bind<xdg_activation_v1>(registry_, name, &xdg_activation_v1_interface, version, 1);
  } else if (kind == wl_seat_interface.name && seat_ == nullptr) {
    seat_ = Bind<wl_seat>(registry_, name, &wl_seat_interface, version, 5);
    wl_seat_add_listener(seat_, &kSeatListener, this);
  } else if (kind == wl_output_interface.name && version >= 2) {
    auto output = std::make_unique<WaylandOutput>();
    output->connection = this;
    output->globalName = name;
    output->output = Bind<wl_output>(registry_, name, &wl_output_interface, version, 4);
    wl_output_add_listener(output->output, &kOutputListener, output.get());
    outputs_.push_back(std::move(output));
  }
}

void WaylandConnection::GlobalRemoved(uint32_t name) {
  const auto found = std::find_if(outputs_.begin(), outputs_.end(), [name](const auto& output) {
    return output->globalName == name;
  });
  if (found == outputs_.end()) return;
  if (removed_) removed_(**found);
  wl_output_release((*found)->output);
  outputs_.erase(found);
}

void WaylandConnection::OutputDescribed(WaylandOutput& output) {
  const bool first = !output.described;
  output.described = true;
  if (first && described_) described_(output);
}

void WaylandConnection::OnOutputs(std::function<void(WaylandOutput&)> described,
                                  std::function<void(WaylandOutput&)> removed) {
  described_ = std::move(described);
  removed_ = std::move(removed);
}

bool WaylandConnection::Dispatch(int timeoutMs, int otherFd) {
  while (wl_display_prepare_read(display_) != 0) {
    if (wl_display_dispatch_pending(display_) < 0) return false;
  }
  wl_display_flush(display_);
  pollfd fds[3] = {{wl_display_get_fd(display_), POLLIN, 0},
                   {EndingSignalFd(), POLLIN, 0},
                   {otherFd, POLLIN, 0}};
  const bool wait = EndingSignal() == 0;
  // A hang-up is read too: the compositor's last words say why.
  if (wait && poll(fds, 3, timeoutMs) > 0 && fds[0].revents != 0) {
    if (wl_display_read_events(display_) < 0) return false;
  } else {
    wl_display_cancel_read(display_);
  }
  return wl_display_dispatch_pending(display_) >= 0 && wl_display_get_error(display_) == 0;
}

}  // namespace zm::wayland
