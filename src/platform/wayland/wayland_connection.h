#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct zwlr_layer_shell_v1;
struct xdg_wm_base;
struct xdg_activation_v1;

namespace zm::wayland {

// One output of the compositor as its wl_output describes it.
class WaylandConnection;

struct WaylandOutput {
  WaylandConnection* connection = nullptr;
  uint32_t globalName = 0;
  wl_output* output = nullptr;
  std::string name;
  int32_t scale = 1;
  int32_t width = 0;  // its current mode, in pixels
  int32_t height = 0;
  int32_t refreshMilliHz = 0;  // of its current mode; 0 when it does not say
  bool described = false;      // its first "done" has come
};

// The connection to the compositor and the globals the program uses: the
// compositor, shared memory, the layer shell, the xdg window manager base,
// the seat and the outputs (which may come and go while it runs).
class WaylandConnection {
 public:
  // Throws ProgramError (status 2) when no compositor answers.
  WaylandConnection();
  ~WaylandConnection();
  WaylandConnection(const WaylandConnection&) = delete;
  WaylandConnection& operator=(const WaylandConnection&) = delete;

  wl_display* Connection() const { return display_; }
  wl_compositor* compositor() const { return compositor_; }
  wl_shm* shm() const { return shm_; }
  zwlr_layer_shell_v1* layerShell() const { return layerShell_; }
  xdg_wm_base* wmBase() const { return wmBase_; }
  // xdg-activation, where the compositor offers it (nullptr otherwise).
  xdg_activation_v1* activation() const { return activation_; }
  wl_seat* seat() const { return seat_; }
  // WL_SEAT_CAPABILITY_* of the seat: which devices it has.
  uint32_t seatCapabilities() const { return seatCapabilities_; }
  void SetSeatCapabilities(uint32_t capabilities) { seatCapabilities_ = capabilities; }
  const std::vector<std::unique_ptr<WaylandOutput>>& outputs() const { return outputs_; }

  // Told when an output has been described, and when one goes (before its
  // wl_output is released).
  void OnOutputs(std::function<void(WaylandOutput&)> described,
                 std::function<void(WaylandOutput&)> removed);
  // Handles what has arrived, then waits until the compositor sends more,
  // an ending signal arrives, `otherFd` (if not -1) has input or `timeoutMs`
  // passes (-1: no limit). False
  // when the connection is lost.
  bool Dispatch(int timeoutMs, int otherFd = -1);
  bool Roundtrip() { return wl_display_roundtrip(display_) >= 0; }

  // Registry callbacks.
  void Global(uint32_t name, const char* interface, uint32_t version);
  void GlobalRemoved(uint32_t name);
  void OutputDescribed(WaylandOutput& output);

 private:
  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_compositor* compositor_ = nullptr;
  wl_shm* shm_ = nullptr;
  zwlr_layer_shell_v1* layerShell_ = nullptr;
  xdg_wm_base* wmBase_ = nullptr;
  xdg_activation_v1* activation_ = nullptr;
  wl_seat* seat_ = nullptr;
  uint32_t seatCapabilities_ = 0;
  std::vector<std::unique_ptr<WaylandOutput>> outputs_;
  std::function<void(WaylandOutput&)> described_;
  std::function<void(WaylandOutput&)> removed_;
};

}  // namespace zm::wayland
