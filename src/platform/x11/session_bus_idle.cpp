#include "platform/x11/session_bus_idle.h"

#include "platform/posix/standard_error_posix.h"

namespace zm::x11 {

namespace {

constexpr const char* kMutterName = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kMutterPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* kSessionName = "org.gnome.SessionManager";
constexpr const char* kScreenSaverName = "org.freedesktop.ScreenSaver";
constexpr int kCallTimeoutMs = 2000;
// GNOME's session manager: the flag of inhibitions of idleness.
constexpr guint32 kInhibitIdle = 8;

constexpr const char* kScreenSaverXml =
    "<node><interface name='org.freedesktop.ScreenSaver'>"
    "<method name='Inhibit'><arg type='s' direction='in'/><arg type='s' direction='in'/>"
    "<arg type='u' direction='out'/></method>"
    "<method name='UnInhibit'><arg type='u' direction='in'/></method>"
    "<method name='GetActive'><arg type='b' direction='out'/></method>"
    "<method name='SimulateUserActivity'/>"
    "</interface></node>";

GVariant* Call(GDBusConnection* bus, const char* name, const char* path, const char* interface,
               const char* method, GVariant* parameters, const char* replyType) {
  GError* error = nullptr;
  GVariant* reply =
      g_dbus_connection_call_sync(bus, name, path, interface, method, parameters,
                                  replyType != nullptr ? G_VARIANT_TYPE(replyType) : nullptr,
                                  G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, nullptr, &error);
  if (error != nullptr) g_error_free(error);
  return reply;
}

bool HasOwner(GDBusConnection* bus, const char* name) {
  GVariant* reply = Call(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                         "org.freedesktop.DBus", "NameHasOwner", g_variant_new("(s)", name), "(b)");
  if (reply == nullptr) return false;
  gboolean owned = FALSE;
  g_variant_get(reply, "(b)", &owned);
  g_variant_unref(reply);
  return owned != FALSE;
}

class GnomeIdleWatch : public IdleWatch {
 public:
  GnomeIdleWatch(GDBusConnection* bus, int64_t idleTimeMs, IdleCallbacks callbacks)
      : bus_(G_DBUS_CONNECTION(g_object_ref(bus))), callbacks_(std::move(callbacks)) {
    signal_ = g_dbus_connection_signal_subscribe(bus_, kMutterName, kMutterName, "WatchFired",
                                                 kMutterPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                                 &GnomeIdleWatch::OnFired, this, nullptr);
    idleWatch_ = Add("AddIdleWatch", g_variant_new("(t)", static_cast<guint64>(idleTimeMs)));
    if (idleWatch_ == 0) ok_ = false;
  }

  ~GnomeIdleWatch() override {
    g_dbus_connection_signal_unsubscribe(bus_, signal_);
    for (guint32 id : {idleWatch_, activeWatch_}) {
      if (id == 0) continue;
      GVariant* reply = Call(bus_, kMutterName, kMutterPath, kMutterName, "RemoveWatch",
                             g_variant_new("(u)", id), nullptr);
      if (reply != nullptr) g_variant_unref(reply);
    }
    g_object_unref(bus_);
  }

  bool Ok() const { return ok_; }

 private:
  guint32 Add(const char* method, GVariant* parameters) {
    GVariant* reply = Call(bus_, kMutterName, kMutterPath, kMutterName, method, parameters, "(u)");
    if (reply == nullptr) return 0;
    guint32 id = 0;
    g_variant_get(reply, "(u)", &id);
    g_variant_unref(reply);
    return id;
  }

  static void OnFired(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                      GVariant* parameters, gpointer self) {
    auto* watch = static_cast<GnomeIdleWatch*>(self);
    guint32 id = 0;
    g_variant_get(parameters, "(u)", &id);
    if (id == 0) return;
    if (id == watch->idleWatch_) {
      // A user-active watch fires once: one for each idle spell.
      if (watch->activeWatch_ == 0) {
        watch->activeWatch_ = watch->Add("AddUserActiveWatch", nullptr);
      }
      watch->callbacks_.idle();
    } else if (id == watch->activeWatch_) {
      watch->activeWatch_ = 0;
      watch->callbacks_.active();
    }
  }

  GDBusConnection* bus_;
  IdleCallbacks callbacks_;
  guint signal_ = 0;
  guint32 idleWatch_ = 0;
  guint32 activeWatch_ = 0;
  bool ok_ = true;
};

}  // namespace

GDBusConnection* SessionBus() {
  GError* error = nullptr;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (error != nullptr) g_error_free(error);
  return bus;
}

bool GnomeOffersIdleMonitor(GDBusConnection* bus) {
  return bus != nullptr && HasOwner(bus, kMutterName);
}

std::unique_ptr<IdleWatch> WatchGnomeIdle(GDBusConnection* bus, int64_t idleTimeMs,
                                          IdleCallbacks callbacks) {
  auto watch = std::make_unique<GnomeIdleWatch>(bus, idleTimeMs, std::move(callbacks));
  if (!watch->Ok()) return nullptr;
  return watch;
}

bool GnomeIdleInhibited(GDBusConnection* bus) {
  if (bus == nullptr) return false;
  GVariant* reply = Call(bus, kSessionName, "/org/gnome/SessionManager", kSessionName,
                         "IsInhibited", g_variant_new("(u)", kInhibitIdle), "(b)");
  if (reply == nullptr) return false;
  gboolean inhibited = FALSE;
  g_variant_get(reply, "(b)", &inhibited);
  g_variant_unref(reply);
  return inhibited != FALSE;
}

ScreenSaverService::ScreenSaverService(GDBusConnection* bus, std::function<void()> changed)
    : bus_(G_DBUS_CONNECTION(g_object_ref(bus))), changed_(std::move(changed)) {
  if (HasOwner(bus_, kScreenSaverName)) return;
  GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kScreenSaverXml, nullptr);
  static const GDBusInterfaceVTable vtable = {&ScreenSaverService::OnCall, nullptr, nullptr, {}};
  // Clients call either path.
  const char* paths[2] = {"/org/freedesktop/ScreenSaver", "/ScreenSaver"};
  for (int i = 0; i < 2; ++i) {
    objects_[i] = g_dbus_connection_register_object(bus_, paths[i], node->interfaces[0], &vtable,
                                                    this, nullptr, nullptr);
  }
  g_dbus_node_info_unref(node);
  GVariant* reply =
      Call(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
           "RequestName", g_variant_new("(su)", kScreenSaverName, 4u /* do not queue */), "(u)");
  if (reply != nullptr) {
    guint32 result = 0;
    g_variant_get(reply, "(u)", &result);
    g_variant_unref(reply);
    owned_ = result == 1;  // the primary owner
  }
  if (!owned_) {
    for (guint& id : objects_) {
      if (id != 0) g_dbus_connection_unregister_object(bus_, id);
      id = 0;
    }
  }
}

ScreenSaverService::~ScreenSaverService() {
  for (auto& [caller, id] : watches_) g_bus_unwatch_name(id);
  for (guint id : objects_) {
    if (id != 0) g_dbus_connection_unregister_object(bus_, id);
  }
  if (owned_) {
    GVariant* reply =
        Call(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
             "ReleaseName", g_variant_new("(s)", kScreenSaverName), "(u)");
    if (reply != nullptr) g_variant_unref(reply);
    g_dbus_connection_flush_sync(bus_, nullptr, nullptr);
  }
  g_object_unref(bus_);
}

void ScreenSaverService::OnCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                                const gchar* method, GVariant* parameters,
                                GDBusMethodInvocation* invocation, gpointer self) {
  auto* service = static_cast<ScreenSaverService*>(self);
  const std::string caller = sender != nullptr ? sender : "";
  const std::string name = method;
  if (name == "Inhibit") {
    const gchar* application = nullptr;
    const gchar* reason = nullptr;
    g_variant_get(parameters, "(&s&s)", &application, &reason);
    const uint32_t cookie = service->inhibitions_.Inhibit(caller, application, reason);
    service->Watch(caller);
    SayOnStandardError("inhibited by " + std::string(application) + " (" + reason + ")");
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", cookie));
    service->changed_();
  } else if (name == "UnInhibit") {
    guint32 cookie = 0;
    g_variant_get(parameters, "(u)", &cookie);
    if (!service->inhibitions_.UnInhibit(caller, cookie)) {
      g_dbus_method_invocation_return_dbus_error(
          invocation, "org.freedesktop.DBus.Error.InvalidArgs", "no such inhibition of yours");
      return;
    }
    if (!service->inhibitions_.Holds(caller)) service->Unwatch(caller);
    g_dbus_method_invocation_return_value(invocation, nullptr);
    service->changed_();
  } else if (name == "GetActive") {
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(b)", service->active_));
  } else {
    g_dbus_method_invocation_return_value(invocation, nullptr);
  }
}

void ScreenSaverService::Watch(const std::string& caller) {
  if (watches_.count(caller) != 0) return;
  watches_[caller] =
      g_bus_watch_name_on_connection(bus_, caller.c_str(), G_BUS_NAME_WATCHER_FLAGS_NONE, nullptr,
                                     &ScreenSaverService::OnVanished, this, nullptr);
}

void ScreenSaverService::Unwatch(const std::string& caller) {
  const auto found = watches_.find(caller);
  if (found == watches_.end()) return;
  g_bus_unwatch_name(found->second);
  watches_.erase(found);
}

void ScreenSaverService::OnVanished(GDBusConnection*, const gchar* name, gpointer self) {
  auto* service = static_cast<ScreenSaverService*>(self);
  const std::string caller = name;
  const int dropped = service->inhibitions_.CallerLeft(caller);
  // Unwatching inside the watcher's own callback is allowed by GIO.
  service->Unwatch(caller);
  if (dropped > 0) {
    SayOnStandardError(std::to_string(dropped) + " inhibition(s) ended: " + caller +
                       " left the bus");
    service->changed_();
  }
}

}  // namespace zm::x11
