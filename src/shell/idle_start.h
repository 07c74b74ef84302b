#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace zm {

// The idle starter (-idle): it stays in the user's session, starts the saver
// after the idle time, lets the saver end on input by its own rules and waits
// again. The platform tells it what the session offers and what happens; the
// rules are here.

// Where the starter learns that the session is idle, in the order of choice.
enum class IdleSource {
  kNone,
  kExtIdleNotify,     // Wayland: ext_idle_notifier_v1 (honours idle inhibitors)
  kKdeIdle,           // Wayland: org_kde_kwin_idle
  kGnomeIdleMonitor,  // the session bus: org.gnome.Mutter.IdleMonitor
  kX11ScreenSaver,    // X11: the MIT-SCREEN-SAVER extension's idle time
};

// What the session offers. The Wayland protocols count only on a Wayland
// session, the X extension only where the X display is the session's own
// (not an X server for the clients of a Wayland session, which sees none of
// the other clients' input).
struct SessionOffers {
  bool waylandSession = false;
  bool extIdleNotify = false;
  bool kdeIdle = false;
  bool gnomeIdleMonitor = false;
  bool x11ScreenSaver = false;
};

IdleSource ChooseIdleSource(const SessionOffers& offers);
// A short name for messages ("ext-idle-notify-v1", ...).
const char* IdleSourceName(IdleSource source);

// What the starter needs of its platform.
class IdleStarterHost {
 public:
  virtual ~IdleStarterHost() = default;
  // Whether another saver holds its lock (its own child's excepted: the
  // starter knows about that one).
  virtual bool SaverRunsElsewhere() = 0;
  // Whether a client asked that idleness start nothing now (an inhibitor
  // the idle source does not honour by itself); `why` names it.
  virtual bool IdleInhibited(std::string& why) = 0;
  // Starts the saver as a child; false (and a message) when that failed.
  virtual bool StartSaver() = 0;
  // Asks the running saver to end (stores its pattern).
  virtual void StopSaver() = 0;
  // Starts the idle source's count afresh, where it can (a new timeout from
  // the compositor, which also waits while an inhibitor is held); true when
  // it then reports idleness anew.
  virtual bool RestartIdleCount() = 0;
  // Asks for OnTimer at `atMs` (monotonic); a later call replaces it, -1 for
  // none.
  virtual void WakeAt(int64_t atMs) = 0;
  virtual void Say(const std::string& text) = 0;
};

// How a saver child ended.
struct SaverEnd {
  bool signalled = false;  // killed by `code`, else exited with status `code`
  int code = 0;
  bool askedToEnd = false;  // the starter had sent it SIGTERM
};

// The starter's rules:
// - the saver starts when the session is idle, none runs (the starter's own
//   child or another instance), nothing inhibits idleness, and a full idle
//   time has passed since the last saver ended or an inhibition or another
//   saver went away (so the end of a saver without input does not start the
//   next one at once); where the source can count afresh, it does so when a
//   saver ended, and idleness is what it reports next;
// - while idle but kept from starting, it looks again every few seconds;
// - a saver that crashed or failed is reported and the starter goes on.
class IdleStarter {
 public:
  static constexpr int64_t kRecheckMs = 2000;

  IdleStarter(IdleStarterHost& host, int64_t idleTimeMs);

  void OnIdle(int64_t nowMs);
  void OnActive(int64_t nowMs);
  void OnTimer(int64_t nowMs);
  // Something that may keep the saver from starting went away (an inhibition
  // released): looked at again now.
  void OnInhibitionChanged(int64_t nowMs);
  void OnSaverEnded(int64_t nowMs, const SaverEnd& end);
  // The starter ends: a running saver is asked to end. Answers whether one ran.
  bool Stop();

  bool SaverRunning() const { return running_; }
  bool Idle() const { return idle_; }
  int Starts() const { return starts_; }

 private:
  enum class Block { kNone, kInhibited, kElsewhere };
  void TryStart(int64_t nowMs);

  IdleStarterHost& host_;
  int64_t idleTimeMs_;
  bool idle_ = false;
  bool running_ = false;
  bool stopping_ = false;
  int64_t notBeforeMs_ = 0;
  Block block_ = Block::kNone;
  int starts_ = 0;
};

// For polled idle times (X11): when to look next, given the idle time just
// read. Never sooner than `minimumMs`; while not yet idle, at the moment the
// idle time would be reached.
int64_t NextIdlePollMs(int64_t idleMs, int64_t idleTimeMs, int64_t minimumMs);

// The inhibitions of org.freedesktop.ScreenSaver (Inhibit/UnInhibit), by the
// bus name of their caller: a cookie is the caller's to release, and all of a
// caller's inhibitions end when it leaves the bus.
class ScreenSaverInhibitions {
 public:
  struct Entry {
    std::string caller;
    std::string application;
    std::string reason;
  };

  // A new cookie (never 0, never one in use).
  uint32_t Inhibit(const std::string& caller, const std::string& application,
                   const std::string& reason);
  // False when the cookie is not one of this caller's.
  bool UnInhibit(const std::string& caller, uint32_t cookie);
  // Drops the caller's inhibitions; answers how many.
  int CallerLeft(const std::string& caller);
  // Whether the caller holds any (the platform watches those callers).
  bool Holds(const std::string& caller) const;

  bool Any() const { return !entries_.empty(); }
  // "APPLICATION: REASON" of the first inhibition, for messages.
  std::string Describe() const;

 private:
  std::map<uint32_t, Entry> entries_;
  uint32_t next_ = 1;
};

}  // namespace zm
