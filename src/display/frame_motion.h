#pragma once

namespace zm {

// Turns the times at which frames reach the display into how far the
// animation moves on with each, in units of 1/60 s of display time, so that
// the ornament moves as fast on every display whatever its rate. A frame
// that comes late moves on by its real interval (no slow motion under
// load); a gap longer than a quarter of a second (a stopped process, a
// suspend, a display that was off, a covered window) counts as one ordinary
// interval, so that nothing jumps.
class FrameMotion {
 public:
  // The rate frames come at (the display's, or the limit's); anything but a
  // positive number means 60.
  void SetRate(double hertz);
  double Rate() const { return rate_; }
  // The display time one frame at the rate stands for, in 1/60 s.
  double OrdinaryInterval() const;

  // The frame that reaches the display at `shownMs` (milliseconds of a
  // monotonic clock): the display time since the last one, in 1/60 s. The
  // first frame, one after a long gap and one whose time is not a number
  // give the ordinary interval; a time before the last one gives 0.
  double Interval(double shownMs);

  static constexpr double kLongGapMs = 250.0;

 private:
  double rate_ = 60.0;
  double lastMs_ = 0.0;
  bool started_ = false;
};

}  // namespace zm
