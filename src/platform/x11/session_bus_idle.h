#pragma once

#include <gio/gio.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/x11/idle_run.h"
#include "shell/idle_start.h"

namespace zm::x11 {

// The session bus, where there is one (nullptr otherwise; no message).
GDBusConnection* SessionBus();

// Whether GNOME's idle monitor is on the bus.
bool GnomeOffersIdleMonitor(GDBusConnection* bus);
// GNOME's idle monitor: an idle watch of the idle time, and a user-active
// watch while idle.
std::unique_ptr<IdleWatch> WatchGnomeIdle(GDBusConnection* bus, int64_t idleTimeMs,
                                          IdleCallbacks callbacks);
// Whether GNOME's session manager says that idleness is inhibited.
bool GnomeIdleInhibited(GDBusConnection* bus);

// org.freedesktop.ScreenSaver for browsers and video players, where nobody
// else owns it: Inhibit/UnInhibit kept in `inhibitions`, the inhibitions of a
// caller that left the bus dropped; `changed` runs after each change. The
// name is released when this ends.
class ScreenSaverService {
 public:
  ScreenSaverService(GDBusConnection* bus, std::function<void()> changed);
  ~ScreenSaverService();
  ScreenSaverService(const ScreenSaverService&) = delete;
  ScreenSaverService& operator=(const ScreenSaverService&) = delete;

  // Whether the name is ours (known once the bus answered).
  bool Owned() const { return owned_; }
  const ScreenSaverInhibitions& Inhibitions() const { return inhibitions_; }
  void SetActive(bool active) { active_ = active; }

 private:
  static void OnCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                     const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation,
                     gpointer self);
  static void OnVanished(GDBusConnection*, const gchar* name, gpointer self);
  void Watch(const std::string& caller);
  void Unwatch(const std::string& caller);

  GDBusConnection* bus_;
  std::function<void()> changed_;
  ScreenSaverInhibitions inhibitions_;
  guint ownerId_ = 0;
  guint objects_[2] = {0, 0};
  std::map<std::string, guint> watches_;
  bool owned_ = false;
  bool active_ = false;
};

}  // namespace zm::x11
