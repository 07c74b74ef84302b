#include "platform/x11/power_source.h"

#include <gio/gio.h>

namespace zm::x11 {

namespace {
constexpr long long kAskEveryMs = 2000;
constexpr int kTimeoutMs = 300;
}  // namespace

PowerSource::PowerSource() {
  GError* error = nullptr;
  bus_ = g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, &error);
  if (error != nullptr) g_error_free(error);
}

PowerSource::~PowerSource() {
  if (bus_ != nullptr) g_object_unref(static_cast<GDBusConnection*>(bus_));
}

bool PowerSource::OnBattery(long long nowMs) {
  if (bus_ == nullptr) return false;
  if (askedMs_ < 0 || nowMs - askedMs_ >= kAskEveryMs || nowMs < askedMs_) {
    askedMs_ = nowMs;
    onBattery_ = Ask();
  }
  return onBattery_;
}

bool PowerSource::Ask() {
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_sync(
      static_cast<GDBusConnection*>(bus_), "org.freedesktop.UPower", "/org/freedesktop/UPower",
      "org.freedesktop.DBus.Properties", "Get",
      g_variant_new("(ss)", "org.freedesktop.UPower", "OnBattery"), G_VARIANT_TYPE("(v)"),
      G_DBUS_CALL_FLAGS_NO_AUTO_START, kTimeoutMs, nullptr, &error);
  if (reply == nullptr) {
    if (error != nullptr) g_error_free(error);
    return false;  // no UPower: mains power
  }
  GVariant* value = nullptr;
  g_variant_get(reply, "(v)", &value);
  const bool onBattery = value != nullptr && g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN) &&
                         g_variant_get_boolean(value);
  if (value != nullptr) g_variant_unref(value);
  g_variant_unref(reply);
  return onBattery;
}

}  // namespace zm::x11
