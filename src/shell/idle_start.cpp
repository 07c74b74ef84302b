#include "shell/idle_start.h"

#include <algorithm>

namespace zm {

namespace {

// The POSIX numbers of the ending signals (the same on every Linux).
constexpr int kSigHup = 1;
constexpr int kSigInt = 2;
constexpr int kSigTerm = 15;

}  // namespace

IdleSource ChooseIdleSource(const SessionOffers& offers) {
  if (offers.waylandSession && offers.extIdleNotify) return IdleSource::kExtIdleNotify;
  if (offers.waylandSession && offers.kdeIdle) return IdleSource::kKdeIdle;
  if (offers.gnomeIdleMonitor) return IdleSource::kGnomeIdleMonitor;
  if (!offers.waylandSession && offers.x11ScreenSaver) return IdleSource::kX11ScreenSaver;
  return IdleSource::kNone;
}

const char* IdleSourceName(IdleSource source) {
  switch (source) {
    case IdleSource::kExtIdleNotify:
      return "ext-idle-notify-v1";
    case IdleSource::kKdeIdle:
      return "org_kde_kwin_idle";
    case IdleSource::kGnomeIdleMonitor:
      return "org.gnome.Mutter.IdleMonitor";
    case IdleSource::kX11ScreenSaver:
      return "MIT-SCREEN-SAVER";
    case IdleSource::kNone:
      break;
  }
  return "none";
}

IdleStarter::IdleStarter(IdleStarterHost& host, int64_t idleTimeMs)
    : host_(host), idleTimeMs_(idleTimeMs) {}

void IdleStarter::OnIdle(int64_t nowMs) {
  idle_ = true;
  TryStart(nowMs);
}

void IdleStarter::OnActive(int64_t) {
  idle_ = false;
  if (block_ != Block::kNone) block_ = Block::kNone;
  if (!running_) host_.WakeAt(-1);
}

void IdleStarter::OnTimer(int64_t nowMs) { TryStart(nowMs); }

void IdleStarter::OnInhibitionChanged(int64_t nowMs) { TryStart(nowMs); }

void IdleStarter::OnSaverEnded(int64_t nowMs, const SaverEnd& end) {
  running_ = false;
  if (end.signalled && !end.askedToEnd) {
    // Ending signals come from someone who meant it; any other is a crash.
    const bool ended = end.code == kSigHup || end.code == kSigInt || end.code == kSigTerm;
    host_.Say(std::string(ended ? "the saver was ended by signal " : "the saver crashed (signal ") +
              std::to_string(end.code) + (ended ? "" : ")") + "; waiting again");
  } else if (!end.signalled && end.code != 0) {
    host_.Say("the saver ended with exit status " + std::to_string(end.code) + "; waiting again");
  }
  notBeforeMs_ = nowMs + idleTimeMs_;
  if (!stopping_ && host_.RestartIdleCount()) idle_ = false;
  TryStart(nowMs);
}

bool IdleStarter::Stop() {
  stopping_ = true;
  host_.WakeAt(-1);
  if (running_) host_.StopSaver();
  return running_;
}

void IdleStarter::TryStart(int64_t nowMs) {
  if (stopping_ || running_ || !idle_) return;
  std::string why;
  Block block = Block::kNone;
  // Another saver holds the keyboard too: it is named as itself.
  if (host_.SaverRunsElsewhere()) {
    block = Block::kElsewhere;
    why = "another saver runs";
  } else if (host_.IdleInhibited(why)) {
    block = Block::kInhibited;
  }
  if (block != Block::kNone) {
    if (block != block_) host_.Say("idle, but not starting: " + why);
    block_ = block;
    host_.WakeAt(nowMs + kRecheckMs);
    return;
  }
  if (block_ != Block::kNone) {
    // What kept the saver from starting is gone: a full idle time from now.
    block_ = Block::kNone;
    notBeforeMs_ = std::max(notBeforeMs_, nowMs + idleTimeMs_);
  }
  if (nowMs < notBeforeMs_) {
    host_.WakeAt(notBeforeMs_);
    return;
  }
  host_.WakeAt(-1);
  if (host_.StartSaver()) {
    running_ = true;
    ++starts_;
  } else {
    notBeforeMs_ = nowMs + idleTimeMs_;
    host_.WakeAt(notBeforeMs_);
  }
}

int64_t NextIdlePollMs(int64_t idleMs, int64_t idleTimeMs, int64_t minimumMs) {
  if (idleMs >= idleTimeMs) return minimumMs;
  return std::max(minimumMs, idleTimeMs - idleMs);
}

uint32_t ScreenSaverInhibitions::Inhibit(const std::string& caller, const std::string& application,
                                         const std::string& reason) {
  while (next_ == 0 || entries_.count(next_) != 0) ++next_;
  const uint32_t cookie = next_++;
  entries_[cookie] = Entry{caller, application, reason};
  return cookie;
}

bool ScreenSaverInhibitions::UnInhibit(const std::string& caller, uint32_t cookie) {
  const auto found = entries_.find(cookie);
  if (found == entries_.end() || found->second.caller != caller) return false;
  entries_.erase(found);
  return true;
}

int ScreenSaverInhibitions::CallerLeft(const std::string& caller) {
  return static_cast<int>(
      std::erase_if(entries_, [&](const auto& entry) { return entry.second.caller == caller; }));
}

bool ScreenSaverInhibitions::Holds(const std::string& caller) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const auto& entry) { return entry.second.caller == caller; });
}

std::string ScreenSaverInhibitions::Describe() const {
  if (entries_.empty()) return "";
  const Entry& first = entries_.begin()->second;
  return first.application + ": " + first.reason;
}

}  // namespace zm
