#pragma once

#include <cstdint>

namespace zm {

// How SHAPE_SPEED drives the animation. A speed outside 0..2 (only a
// hand-edited settings file holds one) is clamped here, where it is used, so
// that one frame never moves the phase past a whole step and the colour index
// never leaves the tables; NaN counts as 0 (a still picture).
double EffectiveShapeSpeed(double speed);

// Phase advance per frame: speed x 0.003.
double PhaseIncrement(double speed);

// Frames of one animation step, the generator's frame budget: the integer
// part of 1 / (speed x 0.003), 500 for a speed of 0. Tiny speeds whose
// quotient does not fit get the largest 32-bit value.
int32_t FrameBudget(double speed);

// The animation's time unit: the phase moves on by PhaseIncrement for every
// 1/kMotionUnitHz s of display time (one frame of a 60 Hz display).
constexpr double kMotionUnitHz = 60.0;

// Frames of one step when frames come `frameRate` times a second and each
// moves the phase on by its share of display time: FrameBudget at 60 (the
// fixed steps of the renderer and the tests), four times as many at 240,
// half as many at 30. A rate that is not a positive number counts as 60.
int32_t FrameBudgetAt(double speed, double frameRate);

// The integer part of phase x 1000, held to 0..1000 (NaN gives 0): the time
// within the step that the colour index is computed from.
int32_t PhaseToTime(double phase);

}  // namespace zm
