#pragma once

#include <cstdint>

#include "base/message_pump.h"

namespace zm {

// The processor's time-stamp counter. On processors without one (ARM) a
// monotonic nanosecond counter stands in for it.
uint64_t RDTSC();

// Milliseconds of a monotonic clock, wrapping at 2^32 like the system's tick
// count.
uint32_t TickCount();

// Starts the clock: takes the start counter and tick, then busy-waits until
// more than 100 ms of tick count have passed and stores CPU_Frq. Start-up
// (PrepareProgram) calls it before the run mode is decided; CurrentFrequency
// calls it on first use should anything ask earlier.
void CalibrateClock();

// Counter ticks per second, averaged over the whole time since calibration,
// rounded to the nearest integer (halves to even).
int64_t CurrentFrequency();

// Busy wait of `ms` milliseconds on the counter; `app`, when given, processes
// its pending messages on every pass.
void Delay(uint32_t ms, MessagePump* app);

// The counter frequency measured at calibration: its low 32 bits.
extern uint32_t CPU_Frq;

}  // namespace zm
