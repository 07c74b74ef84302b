#include "platform/wayland/idle_wayland.h"

#include <glib-unix.h>
#include <glib.h>
#include <wayland-client.h>

#include <cstring>

#include "platform/wayland/protocols/ext-idle-notify-v1-client-protocol.h"
#include "platform/wayland/protocols/idle-client-protocol.h"

namespace zm::wayland {

namespace {

class Compositor;

// One idle timeout of either protocol; both have the same two events.
class WaylandIdleWatch : public x11::IdleWatch {
 public:
  WaylandIdleWatch(Compositor& compositor, IdleSource source, int64_t idleTimeMs,
                   x11::IdleCallbacks callbacks);
  ~WaylandIdleWatch() override;

  void Idle() { callbacks_.idle(); }
  void Active() { callbacks_.active(); }
  // A new timeout object: the compositor counts from now, and not at all
  // while an inhibitor is held.
  bool Restart() override;

 private:
  void Create();
  void Release();
  static gboolean OnInput(gint, GIOCondition condition, gpointer self);

  Compositor& compositor_;
  IdleSource source_kind_;
  uint32_t ms_;
  x11::IdleCallbacks callbacks_;
  ext_idle_notification_v1* notification_ = nullptr;
  org_kde_kwin_idle_timeout* timeout_ = nullptr;
  guint source_ = 0;
};

class Compositor : public x11::WaylandIdle {
 public:
  explicit Compositor(wl_display* display) : display_(display) {
    registry_ = wl_display_get_registry(display_);
    static const wl_registry_listener listener = {&Compositor::OnGlobal, &Compositor::OnRemoved};
    wl_registry_add_listener(registry_, &listener, this);
    wl_display_roundtrip(display_);
  }

  ~Compositor() override {
    if (notifier_ != nullptr) ext_idle_notifier_v1_destroy(notifier_);
    if (kdeIdle_ != nullptr) org_kde_kwin_idle_destroy(kdeIdle_);
    if (seat_ != nullptr) wl_seat_destroy(seat_);
    wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
  }

  void Offer(SessionOffers& offers) override {
    offers.extIdleNotify = notifier_ != nullptr && seat_ != nullptr;
    offers.kdeIdle = kdeIdle_ != nullptr && seat_ != nullptr;
  }

  std::unique_ptr<x11::IdleWatch> Watch(IdleSource source, int64_t idleTimeMs,
                                        x11::IdleCallbacks callbacks) override {
    return std::make_unique<WaylandIdleWatch>(*this, source, idleTimeMs, std::move(callbacks));
  }

  wl_display* display() const { return display_; }
  wl_seat* seat() const { return seat_; }
  ext_idle_notifier_v1* notifier() const { return notifier_; }
  org_kde_kwin_idle* kdeIdle() const { return kdeIdle_; }

 private:
  static void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
                       uint32_t) {
    auto* self = static_cast<Compositor*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && self->seat_ == nullptr) {
      self->seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0) {
      self->notifier_ = static_cast<ext_idle_notifier_v1*>(
          wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
    } else if (std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0) {
      self->kdeIdle_ = static_cast<org_kde_kwin_idle*>(
          wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
    }
  }
  static void OnRemoved(void*, wl_registry*, uint32_t) {}

  wl_display* display_;
  wl_registry* registry_ = nullptr;
  wl_seat* seat_ = nullptr;
  ext_idle_notifier_v1* notifier_ = nullptr;
  org_kde_kwin_idle* kdeIdle_ = nullptr;
};

const ext_idle_notification_v1_listener kNotificationListener = {
    [](void* self, ext_idle_notification_v1*) { static_cast<WaylandIdleWatch*>(self)->Idle(); },
    [](void* self, ext_idle_notification_v1*) { static_cast<WaylandIdleWatch*>(self)->Active(); },
};

const org_kde_kwin_idle_timeout_listener kTimeoutListener = {
    [](void* self, org_kde_kwin_idle_timeout*) { static_cast<WaylandIdleWatch*>(self)->Idle(); },
    [](void* self, org_kde_kwin_idle_timeout*) { static_cast<WaylandIdleWatch*>(self)->Active(); },
};

WaylandIdleWatch::WaylandIdleWatch(Compositor& compositor, IdleSource source, int64_t idleTimeMs,
                                   x11::IdleCallbacks callbacks)
    : compositor_(compositor),
      source_kind_(source),
      ms_(static_cast<uint32_t>(idleTimeMs)),
      callbacks_(std::move(callbacks)) {
  Create();
  wl_display_flush(compositor_.display());
  source_ = g_unix_fd_add(wl_display_get_fd(compositor_.display()),
                          static_cast<GIOCondition>(G_IO_IN | G_IO_ERR | G_IO_HUP),
                          &WaylandIdleWatch::OnInput, this);
}

WaylandIdleWatch::~WaylandIdleWatch() {
  if (source_ != 0) g_source_remove(source_);
  Release();
  wl_display_flush(compositor_.display());
}

bool WaylandIdleWatch::Restart() {
  Release();
  Create();
  wl_display_flush(compositor_.display());
  return true;
}

void WaylandIdleWatch::Create() {
  if (source_kind_ == IdleSource::kExtIdleNotify) {
    notification_ =
        ext_idle_notifier_v1_get_idle_notification(compositor_.notifier(), ms_, compositor_.seat());
    ext_idle_notification_v1_add_listener(notification_, &kNotificationListener, this);
  } else {
    timeout_ = org_kde_kwin_idle_get_idle_timeout(compositor_.kdeIdle(), compositor_.seat(), ms_);
    org_kde_kwin_idle_timeout_add_listener(timeout_, &kTimeoutListener, this);
  }
}

void WaylandIdleWatch::Release() {
  if (notification_ != nullptr) ext_idle_notification_v1_destroy(notification_);
  if (timeout_ != nullptr) org_kde_kwin_idle_timeout_release(timeout_);
  notification_ = nullptr;
  timeout_ = nullptr;
}

gboolean WaylandIdleWatch::OnInput(gint, GIOCondition condition, gpointer data) {
  auto* self = static_cast<WaylandIdleWatch*>(data);
  wl_display* display = self->compositor_.display();
  if ((condition & G_IO_IN) == 0 || wl_display_dispatch(display) < 0) {
    self->source_ = 0;
    self->callbacks_.lost("the connection to the Wayland compositor was lost");
    return G_SOURCE_REMOVE;
  }
  wl_display_flush(display);
  return G_SOURCE_CONTINUE;
}

}  // namespace

std::unique_ptr<x11::WaylandIdle> ConnectWaylandIdle() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return nullptr;
  return std::make_unique<Compositor>(display);
}

}  // namespace zm::wayland
