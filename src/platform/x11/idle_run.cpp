#include "platform/x11/idle_run.h"

#include <glib-unix.h>
#include <glib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/gtk/idle_starter_control_gtk.h"
#include "platform/posix/lock_file_posix.h"
#include "platform/posix/program_files_posix.h"
#include "platform/posix/standard_error_posix.h"
#include "platform/x11/idle_x11.h"
#include "platform/x11/run_signals.h"
#include "platform/x11/session_bus_idle.h"
#include "settings/idle_start_section.h"

namespace zm::x11 {

namespace {

// A saver that does not end within this after SIGTERM is killed.
constexpr guint kSaverEndLimitMs = 15000;

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool WaylandSession() { return !Variable("WAYLAND_DISPLAY").empty(); }

// The lock a saver on the session's display takes (see the program hosts).
std::string SaverLockKey(bool wayland) {
  if (wayland) return "wayland-" + Variable("WAYLAND_DISPLAY") + "-background";
  return Variable("DISPLAY") + "-screen";
}

class StarterHost : public IdleStarterHost {
 public:
  StarterHost(bool wayland, std::string locker, GMainLoop* loop)
      : wayland_(wayland), locker_(std::move(locker)), loop_(loop) {}
  ~StarterHost() override { WakeAt(-1); }

  void Attach(IdleStarter* starter, IdleWatch* watch, GDBusConnection* bus, bool gnome,
              ScreenSaverService* service) {
    starter_ = starter;
    watch_ = watch;
    bus_ = bus;
    gnome_ = gnome;
    service_ = service;
  }

  bool SaverRunsElsewhere() override {
    std::string text;
    return LockFile::HeldElsewhere(SaverLockKey(wayland_), text);
  }

  bool IdleInhibited(std::string& why) override {
    if (watch_ != nullptr && watch_->Inhibited(why)) return true;
    if (service_ != nullptr && service_->Inhibitions().Any()) {
      why = "inhibited by " + service_->Inhibitions().Describe();
      return true;
    }
    if (gnome_ && GnomeIdleInhibited(bus_)) {
      why = "the session manager says idleness is inhibited";
      return true;
    }
    return false;
  }

  bool StartSaver() override {
    std::vector<std::string> arguments = {"zelk-mirv", "/s"};
    if (wayland_) arguments.push_back("-wayland");
    if (!locker_.empty()) arguments.insert(arguments.end(), {"-locker", locker_});
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
      Say(std::string("cannot start the saver: ") + std::strerror(errno));
      return false;
    }
    if (pid == 0) {
      sigset_t none;
      sigemptyset(&none);
      sigprocmask(SIG_SETMASK, &none, nullptr);
      execv("/proc/self/exe", argv.data());
      _exit(127);
    }
    child_ = pid;
    askedToEnd_ = false;
    if (service_ != nullptr) service_->SetActive(true);
    g_child_watch_add(pid, &StarterHost::OnChildEnded, this);
    Say("the session is idle: saver started (process " + std::to_string(pid) + ")");
    return true;
  }

  void StopSaver() override {
    if (child_ <= 0) return;
    askedToEnd_ = true;
    kill(child_, SIGTERM);
    if (killTimer_ == 0)
      killTimer_ = g_timeout_add(kSaverEndLimitMs, &StarterHost::OnKillTimer, this);
  }

  bool RestartIdleCount() override { return watch_ != nullptr && watch_->Restart(); }

  void WakeAt(int64_t atMs) override {
    if (timer_ != 0) g_source_remove(timer_);
    timer_ = 0;
    if (atMs < 0) return;
    const int64_t delay = std::max<int64_t>(0, atMs - NowMs());
    timer_ = g_timeout_add(static_cast<guint>(delay), &StarterHost::OnTimer, this);
  }

  void Say(const std::string& text) override { SayOnStandardError(text); }

  void Quit(int status) {
    if (status_ == 0) status_ = status;
    g_main_loop_quit(loop_);
  }
  void SetStopping() { stopping_ = true; }
  int ExitStatus() const { return status_; }

 private:
  static gboolean OnTimer(gpointer self) {
    auto* host = static_cast<StarterHost*>(self);
    host->timer_ = 0;
    host->starter_->OnTimer(NowMs());
    return G_SOURCE_REMOVE;
  }

  static gboolean OnKillTimer(gpointer self) {
    auto* host = static_cast<StarterHost*>(self);
    host->killTimer_ = 0;
    if (host->child_ > 0) {
      host->Say("the saver did not end: killed");
      kill(host->child_, SIGKILL);
    }
    return G_SOURCE_REMOVE;
  }

  static void OnChildEnded(GPid pid, gint status, gpointer self) {
    auto* host = static_cast<StarterHost*>(self);
    g_spawn_close_pid(pid);
    if (pid != host->child_) return;
    host->child_ = -1;
    if (host->killTimer_ != 0) g_source_remove(host->killTimer_);
    host->killTimer_ = 0;
    if (host->service_ != nullptr) host->service_->SetActive(false);
    SaverEnd end;
    end.signalled = WIFSIGNALED(status);
    end.code = end.signalled ? WTERMSIG(status) : WEXITSTATUS(status);
    end.askedToEnd = host->askedToEnd_;
    host->starter_->OnSaverEnded(NowMs(), end);
    if (host->stopping_) g_main_loop_quit(host->loop_);
  }

  bool wayland_;
  std::string locker_;
  GMainLoop* loop_;
  IdleStarter* starter_ = nullptr;
  IdleWatch* watch_ = nullptr;
  GDBusConnection* bus_ = nullptr;
  bool gnome_ = false;
  ScreenSaverService* service_ = nullptr;
  pid_t child_ = -1;
  bool askedToEnd_ = false;
  bool stopping_ = false;
  guint timer_ = 0;
  guint killTimer_ = 0;
  int status_ = 0;
};

struct SignalContext {
  StarterHost* host;
  IdleStarter* starter;
  int signal;
  int* received;
};

gboolean OnEndingSignal(gpointer data) {
  auto* context = static_cast<SignalContext*>(data);
  if (*context->received != 0) {
    DieOfSignal(context->signal);  // a second signal: at once
  }
  *context->received = context->signal;
  context->host->SetStopping();
  if (!context->starter->Stop()) context->host->Quit(0);
  return G_SOURCE_CONTINUE;
}

IdleStartSection StoredSection() {
  IdleStartSection section;
  const ProgramFiles files = UserProgramFiles(false);
  if (files.Kept()) section.Load(files.settings);
  return section;
}

}  // namespace

int64_t IdleTimeMs(const CommandLine& line) {
  // For the tests only: an idle time in seconds.
  const std::string test = Variable("ZM_IDLE_TEST_SECONDS");
  if (!test.empty()) {
    const long seconds = std::strtol(test.c_str(), nullptr, 10);
    if (seconds >= 1 && seconds <= 3600) return seconds * 1000;
  }
  if (line.idleMinutes) return int64_t{*line.idleMinutes} * 60000;
  return int64_t{StoredSection().Minutes} * 60000;
}

std::string LockerCommand(const CommandLine& line) {
  return line.locker ? *line.locker : StoredSection().Locker;
}

int RunIdleStarter(const CommandLine& line, const WaylandIdleConnector& wayland) {
  const bool waylandSession = WaylandSession();
  std::string display;
  if (!waylandSession && X11DaemonRuns(display)) {
    SayOnStandardError("xscreensaver's daemon already runs on display " + display +
                       " and starts the savers there: not starting");
    return 0;
  }
  LockFile lock;
  switch (lock.Acquire(StarterLockKey())) {
    case LockFile::Result::kAlreadyRunning:
      SayOnStandardError("the idle starter already runs (" + lock.Path() + " is held)");
      return 0;
    case LockFile::Result::kCreated:
      lock.Record(std::to_string(getpid()) + "\n");
      break;
    default:
      SayOnStandardError("running without the lock " + lock.Path() + ": " + lock.Problem());
      break;
  }
  const int64_t idleTimeMs = IdleTimeMs(line);
  const std::string locker = LockerCommand(line);

  SessionOffers offers;
  offers.waylandSession = waylandSession;
  std::unique_ptr<WaylandIdle> compositor;
  if (waylandSession && wayland) compositor = wayland();
  if (compositor) compositor->Offer(offers);
  GDBusConnection* bus = SessionBus();
  offers.gnomeIdleMonitor = GnomeOffersIdleMonitor(bus);
  if (!waylandSession) offers.x11ScreenSaver = X11OffersIdleTime();
  const IdleSource source = ChooseIdleSource(offers);
  if (source == IdleSource::kNone) {
    SayOnStandardError(
        "this session tells no program when it is idle (no ext-idle-notify-v1 or "
        "org_kde_kwin_idle on Wayland, no org.gnome.Mutter.IdleMonitor, no MIT-SCREEN-SAVER on "
        "X11): the idle starter cannot run here");
    if (bus != nullptr) g_object_unref(bus);
    return 2;
  }

  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  StarterHost host(waylandSession, locker, loop);
  IdleStarter starter(host, idleTimeMs);
  IdleCallbacks callbacks;
  callbacks.idle = [&] { starter.OnIdle(NowMs()); };
  callbacks.active = [&] { starter.OnActive(NowMs()); };
  callbacks.lost = [&](const std::string& why) {
    SayOnStandardError(why);
    host.SetStopping();
    if (!starter.Stop()) host.Quit(1);
  };
  std::unique_ptr<IdleWatch> watch;
  if (source == IdleSource::kExtIdleNotify || source == IdleSource::kKdeIdle) {
    watch = compositor->Watch(source, idleTimeMs, callbacks);
  } else if (source == IdleSource::kGnomeIdleMonitor) {
    watch = WatchGnomeIdle(bus, idleTimeMs, callbacks);
  } else {
    watch = WatchX11Idle(idleTimeMs, callbacks);
  }
  if (!watch) {
    SayOnStandardError(std::string("cannot watch idleness through ") + IdleSourceName(source));
    if (bus != nullptr) g_object_unref(bus);
    g_main_loop_unref(loop);
    return 2;
  }
  std::unique_ptr<ScreenSaverService> service;
  if (bus != nullptr) {
    service =
        std::make_unique<ScreenSaverService>(bus, [&] { starter.OnInhibitionChanged(NowMs()); });
    if (!service->Owned()) service.reset();
  }
  host.Attach(&starter, watch.get(), bus, source == IdleSource::kGnomeIdleMonitor, service.get());

  int received = 0;
  SignalContext contexts[3] = {{&host, &starter, SIGTERM, &received},
                               {&host, &starter, SIGINT, &received},
                               {&host, &starter, SIGHUP, &received}};
  guint signalSources[3];
  for (int i = 0; i < 3; ++i) {
    signalSources[i] = g_unix_signal_add(contexts[i].signal, &OnEndingSignal, &contexts[i]);
  }
  SayOnStandardError(
      "idle starter: the saver starts after " + std::to_string(idleTimeMs / 1000) +
      " s without input (" + IdleSourceName(source) +
      (service ? "; org.freedesktop.ScreenSaver taken" : "") + ")" +
      (locker.empty() ? "" : "; input hands it over to the locker '" + locker + "'"));
  g_main_loop_run(loop);

  for (guint id : signalSources) g_source_remove(id);
  host.Attach(&starter, nullptr, bus, false, nullptr);
  service.reset();
  watch.reset();
  compositor.reset();
  if (bus != nullptr) g_object_unref(bus);
  g_main_loop_unref(loop);
  lock.Release();
  if (received != 0) DieOfSignal(received);
  return host.ExitStatus();
}

}  // namespace zm::x11
