#include "platform/win32/display_pacer.h"

#include <timeapi.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "platform/win32/direct_draw.h"
#include "platform/win32/system_library.h"

namespace zm::win32 {

namespace {

// Not in every SDK's headers: a timer at the full resolution of the clock.
constexpr DWORD kHighResolutionTimer = 0x00000002;
// A timer that fires this early counts as on time.
constexpr double kEarlyMs = 0.5;

using DwmIsCompositionEnabledFunction = HRESULT(WINAPI*)(BOOL*);
using DwmFlushFunction = HRESULT(WINAPI*)();

double NowMs() {
  static const double ticksPerMs = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / ticksPerMs;
}

int32_t ReportedRefreshRate() {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  if (!EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 0;
  return static_cast<int32_t>(mode.dmDisplayFrequency);
}

}  // namespace

// The compositor's clock: "dwmapi.dll" is loaded at run time, so that the
// program still starts where it is missing. A thread waits for each of the
// compositor's frames and signals it; it ends when the waits turn out to
// return at once, and it may outlive the pacer by one frame.
struct DisplayPacer::Compositor {
  SystemLibrary library{"dwmapi.dll"};
  DwmFlushFunction flush = library.Entry<DwmFlushFunction>("DwmFlush");
  HANDLE frame = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // auto reset
  std::atomic<bool> blocks{true};
  std::atomic<bool> stop{false};

  ~Compositor() {
    if (frame != nullptr) CloseHandle(frame);
  }

  bool CompositionOn() const {
    const auto enabled = library.Entry<DwmIsCompositionEnabledFunction>("DwmIsCompositionEnabled");
    BOOL on = FALSE;
    return enabled != nullptr && flush != nullptr && frame != nullptr && SUCCEEDED(enabled(&on)) &&
           on;
  }

  void Run(double periodMs) {
    CompositorWaitCheck check(periodMs);
    while (!stop) {
      const double start = NowMs();
      const bool waited = SUCCEEDED(flush());
      check.Waited(waited ? NowMs() - start : 0.0);
      if (!check.Blocks()) blocks = false;
      SetEvent(frame);
      if (!blocks) return;
    }
  }
};

DisplayPacer::DisplayPacer() : compositor_(std::make_shared<Compositor>()) {
  ReadRefreshRate();
  CreateTimer();
  compositionOn_ = compositor_->CompositionOn();
  if (!compositionOn_) return;
  std::thread([compositor = compositor_, period = PeriodMs()] {
    compositor->Run(period);
  }).detach();
}

DisplayPacer::~DisplayPacer() {
  compositor_->stop = true;
  if (timer_ != nullptr) CloseHandle(timer_);
  if (timerPeriodRaised_) timeEndPeriod(1);
}

// A timer of the clock's full resolution; where the system has none, the
// ordinary kind with the system's timer resolution raised to 1 ms meanwhile.
void DisplayPacer::CreateTimer() {
  timer_ = CreateWaitableTimerExW(nullptr, nullptr,
                                  CREATE_WAITABLE_TIMER_MANUAL_RESET | kHighResolutionTimer,
                                  TIMER_ALL_ACCESS);
  if (timer_ != nullptr) return;
  timer_ = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_MANUAL_RESET,
                                  TIMER_ALL_ACCESS);
  timerPeriodRaised_ = timeBeginPeriod(1) == TIMERR_NOERROR;
}

void DisplayPacer::ReadRefreshRate() {
  displayHz_ = RefreshRate(ReportedRefreshRate());
  grid_ = RefreshGrid{};
  grid_.SetRate(paceHz_ > 0.0 && paceHz_ < displayHz_ ? paceHz_ : displayHz_);
  nextSlotMs_ = 0.0;
}

void DisplayPacer::PaceAt(double hertz) {
  paceHz_ = hertz;
  grid_.SetRate(paceHz_ > 0.0 && paceHz_ < displayHz_ ? paceHz_ : displayHz_);
}

PaceClock DisplayPacer::Clock() const {
  return ChoosePaceClock(compositionOn_, compositor_->blocks);
}

HANDLE DisplayPacer::SlotHandle() const {
  return Clock() == PaceClock::kCompositor ? compositor_->frame : timer_;
}

bool DisplayPacer::TakeSlot() {
  const double now = NowMs();
  if (Clock() == PaceClock::kCompositor) {
    if (WaitForSingleObject(compositor_->frame, 0) != WAIT_OBJECT_0) return false;
    // Under a limit, the compositor's frames in between go by (half a
    // refresh early counts as on time).
    if (paceHz_ > 0.0 && paceHz_ < displayHz_ * 0.99 &&
        now - lastSlotMs_ < 1000.0 / paceHz_ - PeriodMs() * 0.5) {
      return false;
    }
    lastSlotMs_ = now;
    return true;
  }
  if (now + kEarlyMs < nextSlotMs_) return false;
  // A frame that goes within half a period of its slot reaches the refresh
  // the slot aims at.
  lastSlotMs_ = now - nextSlotMs_ < grid_.PeriodMs() * 0.5 ? nextSlotMs_ : now;
  grid_.FrameShown(std::max(now, nextSlotMs_));
  nextSlotMs_ = grid_.NextSlotMs();
  // Relative due time, in units of 100 ns.
  LARGE_INTEGER due;
  due.QuadPart = -static_cast<LONGLONG>((nextSlotMs_ - now) * 10000.0);
  if (timer_ != nullptr) SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE);
  return true;
}

int32_t DisplayPacer::MsUntilSlot() const {
  const double slot =
      Clock() == PaceClock::kCompositor ? lastSlotMs_ + grid_.PeriodMs() : nextSlotMs_;
  return static_cast<int32_t>(std::clamp(slot - NowMs(), 0.0, 1000.0));
}

bool DisplayPacer::RequestDue() { return PrimarySurface() != nullptr || TakeSlot(); }

void DisplayPacer::WaitForSlotOrMessage(int32_t timeoutMs) {
  const HANDLE handle = SlotHandle();
  if (handle == nullptr) return;
  MsgWaitForMultipleObjectsEx(1, &handle, timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs),
                              QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void DisplayPacer::WaitAndTakeSlot() {
  constexpr DWORD kLongestWaitMs = 100;  // a compositor that stopped giving frames
  while (!TakeSlot()) {
    const HANDLE handle = SlotHandle();
    if (handle == nullptr || WaitForSingleObject(handle, kLongestWaitMs) == WAIT_TIMEOUT) return;
  }
}

}  // namespace zm::win32
