#include "platform/gtk/idle_starter_control_gtk.h"

#include <glib.h>
#include <signal.h>

#include <cstdlib>

#include "platform/posix/lock_file_posix.h"

namespace zm {

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

std::string StarterLockKey() {
  if (!Variable("WAYLAND_DISPLAY").empty()) return "idle-wayland-" + Variable("WAYLAND_DISPLAY");
  return "idle-x11-" + Variable("DISPLAY");
}

bool IdleStarterRuns() {
  std::string text;
  return LockFile::HeldElsewhere(StarterLockKey(), text);
}

bool EndIdleStarter() {
  std::string text;
  if (!LockFile::HeldElsewhere(StarterLockKey(), text)) return false;
  const long pid = std::strtol(text.c_str(), nullptr, 10);
  if (pid <= 1) return false;
  return kill(static_cast<pid_t>(pid), SIGTERM) == 0;
}

bool IdleStarterControlGtk::Start() {
  gchar* program = g_file_read_link("/proc/self/exe", nullptr);
  if (program == nullptr) return false;
  gchar* argv[] = {program, const_cast<gchar*>("-idle"), nullptr};
  GError* error = nullptr;
  const gboolean started =
      g_spawn_async(nullptr, argv, nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, nullptr, &error);
  if (error != nullptr) g_error_free(error);
  g_free(program);
  return started != FALSE;
}

void IdleStarterControlGtk::End() {
  if (!EndIdleStarter()) return;
  // Its saver stores its pattern first; a new starter needs the lock free.
  for (int i = 0; i < 100 && IdleStarterRuns(); ++i) g_usleep(50000);
}

}  // namespace zm
