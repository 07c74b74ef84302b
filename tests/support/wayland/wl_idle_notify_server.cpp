// zm-wl-idle-notify-server: a Wayland server that offers only a seat and
// ext-idle-notify-v1, for the idle starter's test where no compositor of the
// test hosts has that protocol. Every idle notification becomes idle its
// timeout after it was asked for (nobody types here); "resumed" is sent
// when SIGUSR1 comes (the user is back). Each request and client is logged
// on standard output, one line each.
//
// Usage: zm-wl-idle-notify-server SOCKET_NAME (in $XDG_RUNTIME_DIR)
#include <wayland-server-core.h>
#include <wayland-server-protocol.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <list>

#include "ext-idle-notify-v1-server-protocol.h"

namespace {

wl_display* display = nullptr;

struct Notification {
  wl_resource* resource = nullptr;
  wl_event_source* timer = nullptr;
  bool idle = false;
};
std::list<Notification> notifications;

void Log(const char* text, long value) {
  std::printf("%s %ld\n", text, value);
  std::fflush(stdout);
}

int BecomeIdle(void* data) {
  auto* notification = static_cast<Notification*>(data);
  notification->idle = true;
  ext_idle_notification_v1_send_idled(notification->resource);
  Log("idled", 0);
  return 0;
}

void NotificationGone(wl_resource* resource) {
  notifications.remove_if([resource](Notification& n) {
    if (n.resource != resource) return false;
    wl_event_source_remove(n.timer);
    return true;
  });
  Log("notification destroyed", 0);
}

void DestroyResource(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }

const struct ext_idle_notification_v1_interface kNotificationImplementation = {DestroyResource};

void GetIdleNotification(wl_client* client, wl_resource* notifier, uint32_t id, uint32_t timeoutMs,
                         wl_resource* /*seat*/) {
  wl_resource* resource = wl_resource_create(client, &ext_idle_notification_v1_interface,
                                             wl_resource_get_version(notifier), id);
  if (resource == nullptr) {
    wl_client_post_no_memory(client);
    return;
  }
  Notification& notification = notifications.emplace_back();
  notification.resource = resource;
  wl_resource_set_implementation(resource, &kNotificationImplementation, nullptr,
                                 &NotificationGone);
  notification.timer =
      wl_event_loop_add_timer(wl_display_get_event_loop(display), &BecomeIdle, &notification);
  wl_event_source_timer_update(notification.timer, static_cast<int>(timeoutMs));
  Log("idle notification ms", static_cast<long>(timeoutMs));
}

const struct ext_idle_notifier_v1_interface kNotifierImplementation = {DestroyResource,
                                                                       GetIdleNotification};

void BindNotifier(wl_client* client, void*, uint32_t version, uint32_t id) {
  wl_resource* resource =
      wl_resource_create(client, &ext_idle_notifier_v1_interface, static_cast<int>(version), id);
  if (resource == nullptr) return;
  wl_resource_set_implementation(resource, &kNotifierImplementation, nullptr, nullptr);
  pid_t pid = 0;
  wl_client_get_credentials(client, &pid, nullptr, nullptr);
  Log("notifier bound by process", static_cast<long>(pid));
}

void ReleaseSeat(wl_client*, wl_resource* resource) { wl_resource_destroy(resource); }
void NoDevice(wl_client*, wl_resource*, uint32_t) {}
const struct wl_seat_interface kSeatImplementation = {NoDevice, NoDevice, NoDevice, ReleaseSeat};

void BindSeat(wl_client* client, void*, uint32_t version, uint32_t id) {
  wl_resource* resource =
      wl_resource_create(client, &wl_seat_interface, static_cast<int>(version), id);
  if (resource == nullptr) return;
  wl_resource_set_implementation(resource, &kSeatImplementation, nullptr, nullptr);
  wl_seat_send_capabilities(resource, 0);
}

void ClientCreated(wl_listener*, void* data) {
  pid_t pid = 0;
  wl_client_get_credentials(static_cast<wl_client*>(data), &pid, nullptr, nullptr);
  Log("client connected, process", static_cast<long>(pid));
}
wl_listener clientListener{{}, &ClientCreated};

int Resume(int, void*) {
  for (Notification& notification : notifications) {
    if (!notification.idle) continue;
    notification.idle = false;
    ext_idle_notification_v1_send_resumed(notification.resource);
    Log("resumed", 0);
  }
  return 0;
}

int Stop(int, void*) {
  wl_display_terminate(display);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s SOCKET_NAME\n", argv[0]);
    return 2;
  }
  display = wl_display_create();
  if (display == nullptr || wl_display_add_socket(display, argv[1]) != 0) {
    std::fprintf(stderr, "cannot serve on %s\n", argv[1]);
    return 1;
  }
  wl_global_create(display, &wl_seat_interface, 1, nullptr, &BindSeat);
  wl_global_create(display, &ext_idle_notifier_v1_interface, 1, nullptr, &BindNotifier);
  wl_display_add_client_created_listener(display, &clientListener);
  wl_event_loop* loop = wl_display_get_event_loop(display);
  wl_event_loop_add_signal(loop, SIGUSR1, &Resume, nullptr);
  wl_event_loop_add_signal(loop, SIGTERM, &Stop, nullptr);
  wl_event_loop_add_signal(loop, SIGINT, &Stop, nullptr);
  Log("serving", 0);
  wl_display_run(display);
  wl_display_destroy_clients(display);
  wl_display_destroy(display);
  return 0;
}
