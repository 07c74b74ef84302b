#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <optional>
#include <vector>

namespace zm::x11 {

// One mode of an output, as XRandR lists it.
struct OutputMode {
  RRMode id = 0;
  int width = 0;
  int height = 0;
  int refresh = 0;  // Hz, rounded; 0 when the server does not say
};

// The output that shows the screen (the primary one, else the first
// connected output with a CRTC) and how its CRTC stands: enough to switch it
// into another mode and to put it back exactly.
struct OutputState {
  RROutput output = 0;
  RRCrtc crtc = 0;
  RRMode mode = 0;
  int x = 0;
  int y = 0;
  Rotation rotation = RR_Rotate_0;
  std::vector<RROutput> outputs;  // every output the CRTC drives
  std::vector<OutputMode> modes;  // the output's modes, in the server's order
};

// Whether the server speaks XRandR 1.2 or later.
bool RandrAvailable(Display* display);

// The state of the screen's main output; nothing without XRandR 1.2 or an
// active output.
std::optional<OutputState> ReadOutputState(Display* display, Window root);

// Sets the CRTC to `mode` at the state's place, rotation and outputs; true
// on success.
bool SetCrtcMode(Display* display, Window root, const OutputState& state, RRMode mode);

// The refresh rate of the mode the screen's main output shows (0 if unknown).
int CurrentRefreshRate(Display* display, Window root);

}  // namespace zm::x11
