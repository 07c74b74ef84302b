#include "platform/x11/randr_output.h"

#include <cmath>

#include "platform/x11/x_connection.h"

namespace zm::x11 {

namespace {

int RefreshOf(const XRRModeInfo& mode) {
  double lines = mode.vTotal;
  if ((mode.modeFlags & RR_DoubleScan) != 0) lines *= 2;
  if ((mode.modeFlags & RR_Interlace) != 0) lines /= 2;
  if (mode.hTotal == 0 || lines == 0) return 0;
  return static_cast<int>(std::lround(static_cast<double>(mode.dotClock) / (mode.hTotal * lines)));
}

const XRRModeInfo* FindMode(const XRRScreenResources* resources, RRMode id) {
  for (int i = 0; i < resources->nmode; ++i) {
    if (resources->modes[i].id == id) return &resources->modes[i];
  }
  return nullptr;
}

// The primary output if it is active, else the first active one.
RROutput ActiveOutput(Display* display, Window root, XRRScreenResources* resources) {
  const RROutput primary = XRRGetOutputPrimary(display, root);
  RROutput chosen = 0;
  for (int i = 0; i < resources->noutput && (chosen == 0 || chosen != primary); ++i) {
    XRROutputInfo* info = XRRGetOutputInfo(display, resources, resources->outputs[i]);
    if (info == nullptr) continue;
    const bool active = info->connection == RR_Connected && info->crtc != 0;
    if (active && (chosen == 0 || resources->outputs[i] == primary)) chosen = resources->outputs[i];
    XRRFreeOutputInfo(info);
  }
  return chosen;
}

void ReadModes(XRRScreenResources* resources, XRROutputInfo* info, OutputState& state) {
  for (int i = 0; i < info->nmode; ++i) {
    const XRRModeInfo* mode = FindMode(resources, info->modes[i]);
    if (mode == nullptr) continue;
    state.modes.push_back({mode->id, static_cast<int>(mode->width), static_cast<int>(mode->height),
                           RefreshOf(*mode)});
  }
}

}  // namespace

bool RandrAvailable(Display* display) {
  int event = 0;
  int error = 0;
  int major = 0;
  int minor = 0;
  if (!XRRQueryExtension(display, &event, &error)) return false;
  if (!XRRQueryVersion(display, &major, &minor)) return false;
  return major > 1 || (major == 1 && minor >= 2);
}

std::optional<OutputState> ReadOutputState(Display* display, Window root) {
  if (!RandrAvailable(display)) return std::nullopt;
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
  if (resources == nullptr) return std::nullopt;
  std::optional<OutputState> state;
  const RROutput output = ActiveOutput(display, root, resources);
  XRROutputInfo* info = output != 0 ? XRRGetOutputInfo(display, resources, output) : nullptr;
  XRRCrtcInfo* crtc = info != nullptr ? XRRGetCrtcInfo(display, resources, info->crtc) : nullptr;
  if (crtc != nullptr) {
    state.emplace();
    state->output = output;
    state->crtc = info->crtc;
    state->mode = crtc->mode;
    state->x = crtc->x;
    state->y = crtc->y;
    state->rotation = crtc->rotation;
    state->outputs.assign(crtc->outputs, crtc->outputs + crtc->noutput);
    ReadModes(resources, info, *state);
  }
  if (crtc != nullptr) XRRFreeCrtcInfo(crtc);
  if (info != nullptr) XRRFreeOutputInfo(info);
  XRRFreeScreenResources(resources);
  return state;
}

bool SetCrtcMode(Display* display, Window root, const OutputState& state, RRMode mode) {
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
  if (resources == nullptr) return false;
  std::vector<RROutput> outputs = state.outputs;
  SyncAndTakeError(display);
  const Status status =
      XRRSetCrtcConfig(display, resources, state.crtc, CurrentTime, state.x, state.y, mode,
                       state.rotation, outputs.data(), static_cast<int>(outputs.size()));
  XRRFreeScreenResources(resources);
  return SyncAndTakeError(display) == 0 && status == RRSetConfigSuccess;
}

int CurrentRefreshRate(Display* display, Window root) {
  const std::optional<OutputState> state = ReadOutputState(display, root);
  if (!state) return 0;
  for (const OutputMode& mode : state->modes) {
    if (mode.id == state->mode) return mode.refresh;
  }
  return 0;
}

}  // namespace zm::x11
