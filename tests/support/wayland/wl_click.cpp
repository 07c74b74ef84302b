// zm-wl-click: a pointer for the Wayland end-to-end tests. A headless
// compositor has no pointer device, so nothing can click a dialog's button;
// this client makes one through the compositor's virtual-pointer protocol,
// moves it to a place on the output and clicks the left button there.
//
// Usage: zm-wl-click [--move] X Y [OUTPUT_WIDTH OUTPUT_HEIGHT]
//        zm-wl-click --hold
// X and Y are pixels of the output; its size, when not given, is the first
// output's. --move moves without a click. --hold keeps a pointer until
// SIGTERM: the seat has a pointer for as long as one exists, and a client
// that sees the seat lose it lets its own pointer go, so a test keeps one
// for the whole session (and starts it before the program under test).
// Exit status: 0 when the compositor took the requests, 1 on bad usage, 2
// when there is no compositor or it has no virtual pointers.
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

struct Globals {
  wl_seat* seat = nullptr;
  wl_output* output = nullptr;
  zwlr_virtual_pointer_manager_v1* pointers = nullptr;
  int32_t outputWidth = 0;  // the current mode, in output pixels
  int32_t outputHeight = 0;
  int32_t outputScale = 1;
};

void OnGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                const char*, int32_t) {}
void OnMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
  auto& globals = *static_cast<Globals*>(data);
  if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
  globals.outputWidth = width;
  globals.outputHeight = height;
}
void OnDone(void*, wl_output*) {}
void OnScale(void* data, wl_output*, int32_t factor) {
  static_cast<Globals*>(data)->outputScale = factor > 0 ? factor : 1;
}
const wl_output_listener kOutputListener = {OnGeometry, OnMode, OnDone, OnScale, nullptr, nullptr};

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  auto& globals = *static_cast<Globals*>(data);
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && globals.seat == nullptr) {
    globals.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (std::strcmp(interface, wl_output_interface.name) == 0 && globals.output == nullptr) {
    globals.output =
        static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 2));
    wl_output_add_listener(globals.output, &kOutputListener, &globals);
  } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
    globals.pointers = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  }
}
void OnGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

uint32_t NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

std::optional<uint32_t> Number(const char* text) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 0 || value > 1 << 16) return std::nullopt;
  return static_cast<uint32_t>(value);
}

struct Request {
  bool hold = false;
  bool click = true;
  uint32_t x = 0;
  uint32_t y = 0;
  uint32_t width = 0;  // 0: the output's
  uint32_t height = 0;
};

std::optional<Request> ParseArguments(int argc, char** argv) {
  Request request;
  int first = 1;
  if (argc == 2 && std::strcmp(argv[1], "--hold") == 0) {
    request.hold = true;
    return request;
  }
  if (argc > 1 && std::strcmp(argv[1], "--move") == 0) {
    request.click = false;
    first = 2;
  }
  const int count = argc - first;
  if (count != 2 && count != 4) return std::nullopt;
  std::optional<uint32_t> values[4];
  for (int i = 0; i < count; ++i) {
    values[i] = Number(argv[first + i]);
    if (!values[i]) return std::nullopt;
  }
  request.x = *values[0];
  request.y = *values[1];
  if (count == 4) {
    request.width = *values[2];
    request.height = *values[3];
    if (request.width == 0 || request.height == 0) return std::nullopt;
  }
  return request;
}

void Click(zwlr_virtual_pointer_v1* pointer) {
  for (const auto state : {WL_POINTER_BUTTON_STATE_PRESSED, WL_POINTER_BUTTON_STATE_RELEASED}) {
    zwlr_virtual_pointer_v1_button(pointer, NowMs(), BTN_LEFT, state);
    zwlr_virtual_pointer_v1_frame(pointer);
  }
}

int Run(const Request& request) {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "zm-wl-click: no Wayland compositor\n");
    return 2;
  }
  Globals globals;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, &globals);
  wl_display_roundtrip(display);  // the globals
  wl_display_roundtrip(display);  // the output's mode
  if (globals.pointers == nullptr) {
    std::fprintf(stderr, "zm-wl-click: the compositor offers no virtual pointer\n");
    return 2;
  }
  uint32_t width = request.width;
  uint32_t height = request.height;
  if (width == 0 && !request.hold) {
    if (globals.outputWidth <= 0 || globals.outputHeight <= 0) {
      std::fprintf(stderr, "zm-wl-click: no output size; give it\n");
      return 2;
    }
    width = static_cast<uint32_t>(globals.outputWidth / globals.outputScale);
    height = static_cast<uint32_t>(globals.outputHeight / globals.outputScale);
  }
  zwlr_virtual_pointer_v1* pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.pointers, globals.seat);
  if (request.hold) {
    while (wl_display_dispatch(display) != -1) {
    }
    return 0;  // the compositor went away
  }
  // The motion's extent maps it onto the output (the only one in the
  // layout): the position is X / width of the way across it.
  zwlr_virtual_pointer_v1_motion_absolute(pointer, NowMs(), request.x, request.y, width, height);
  zwlr_virtual_pointer_v1_frame(pointer);
  if (request.click) Click(pointer);
  zwlr_virtual_pointer_v1_destroy(pointer);
  // The compositor has handled everything once it answers.
  const bool taken = wl_display_roundtrip(display) != -1;
  wl_display_disconnect(display);
  if (!taken) std::fprintf(stderr, "zm-wl-click: the compositor refused the requests\n");
  return taken ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Request> request = ParseArguments(argc, argv);
  if (!request) {
    std::fprintf(stderr,
                 "usage: zm-wl-click [--move] X Y [OUTPUT_WIDTH OUTPUT_HEIGHT]\n"
                 "       zm-wl-click --hold\n");
    return 1;
  }
  return Run(*request);
}
