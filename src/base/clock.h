#pragma once

#include <cstdint>

#include "base/message_pump.h"

namespace zm {

// The processor's cycle counter: its time-stamp counter, or on processors
// without one (ARM) a monotonic nanosecond counter.
uint64_t CycleCount();

// Milliseconds of a monotonic clock, wrapping at 2^32 like the system's tick
// count.
uint32_t TickCount();

// Starts the clock: takes the start counter and tick, and returns at once.
// The frequency is measured over more than 100 ms of tick count from here:
// the first CurrentFrequency sleeps out whatever is left of them and keeps
// the result (MeasuredFrequency), so the measurement overlaps the rest of
// start-up instead of spinning for it. Start-up (PrepareProgram) starts it before the run mode is
// decided; CurrentFrequency starts it should anything ask earlier.
void CalibrateClock();

// Whether the clock has been started.
bool ClockCalibrated();

// Counter ticks per second, averaged over the whole time since calibration,
// rounded to the nearest integer (halves to even).
int64_t CurrentFrequency();

// Busy wait of `ms` milliseconds on the counter; `app`, when given, processes
// its pending messages on every pass.
void Delay(uint32_t ms, MessagePump* app);

// The counter frequency measured at calibration: its low 32 bits; 0 until the
// first CurrentFrequency (or Delay) has finished the measurement.
uint32_t MeasuredFrequency();

}  // namespace zm
