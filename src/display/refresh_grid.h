#pragma once

namespace zm {

// The rate frames come at on a display of `displayHz` under a limit of
// `limitFps` frames a second (0 or less: no limit, the display's own rate).
// A limit is a ceiling on the display's refresh grid: the display's rate
// divided by the smallest whole number that brings it to the limit or below
// (60 on 120 Hz, 48 on 144 Hz at a limit of 60), so that frames stay evenly
// spaced; a rate within 1% above the limit counts as keeping to it. A display
// rate that is not a positive number counts as 60.
double LimitedFrameRate(double displayHz, double limitFps);

// The limit a run keeps to: the user's (0: the display's rate), and on
// battery the battery's limit when it is lower (0 there: none).
double FrameLimitFor(double userLimitFps, double batteryLimitFps, bool onBattery);

// The slots at which frames go to a display: one every refresh period, on a
// grid that keeps its phase. A frame whose predecessor's work ran less than
// half a period past its slot goes at once (it still reaches the refresh its
// slot aims at); one later than that takes the next slot of the grid, never
// a whole period from the moment it went out.
// The rate a display shows frames at, measured from the refreshes it
// reports (their times and their running count): a virtual server may
// present at a rate of its own whatever its mode says.
class MeasuredRefresh {
 public:
  // The display reported refresh number `count` at `ms`. Reports a quarter
  // of a second apart or more give the rate; a count or a time that went
  // back starts the measure again.
  void Refreshed(double ms, unsigned long long count);
  // 0 until measured.
  double Rate() const { return rate_; }

 private:
  double firstMs_ = 0.0;
  unsigned long long firstCount_ = 0;
  bool started_ = false;
  double rate_ = 0.0;
};

class RefreshGrid {
 public:
  // Refresh rate in Hz; 0 or less (a rate the display does not report), or
  // not a number, means 60.
  void SetRate(double hertz);
  double Rate() const { return rate_; }
  double PeriodMs() const { return 1000.0 / rate_; }

  // The next slot in milliseconds of the caller's clock (0 before the first
  // frame: due at once).
  double NextSlotMs() const { return nextMs_; }
  // A frame's work ended at `nowMs`: the next slot is the grid's next one,
  // or the first after `nowMs` when that one is half a period or more gone
  // by. The first frame starts the grid.
  void FrameShown(double nowMs);
  // The display reported a refresh at `refreshMs`: the grid moves to just
  // after the display's own refreshes (keeping its period), so that each
  // frame has a whole period to be composed before the next refresh. Under a
  // limit the grid's period is several of the display's (`refreshPeriodMs`;
  // 0: the grid's own): the grid then moves by whole refreshes only, so that
  // a report of any refresh leaves its slots where they are.
  void AlignToRefresh(double refreshMs, double refreshPeriodMs = 0.0);

 private:
  double rate_ = 60.0;
  double nextMs_ = 0.0;
  bool started_ = false;
};

}  // namespace zm
