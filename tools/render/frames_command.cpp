#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <new>

#include "commands.h"
#include "materials/material_choice.h"
#include "png_file.h"
#include "render/bitmap32.h"
#include "render/shape.h"
#include "settings/ini_file.h"
#include "settings/saver_settings.h"
#include "settings/settings_file.h"
#include "shell/saver_screen.h"
#include "shell/startup.h"
#include "webp_animation.h"

namespace zm::tool {

namespace {

using Clock = std::chrono::steady_clock;

// The settings a preview run draws with, then what the options ask for.
bool ApplySettings(const FramesOptions& options) {
  SaverSettings = SaverSettingsRecord{};
  SelectAllColors();
  if (!options.settings.empty()) {
    const IniFile file(options.settings);
    if (!CheckSettingsFile(file)) return false;
    // The saver's own reader; of what it reads, a frame run takes the speed and
    // the material choice and keeps the other fields of a preview run.
    ReadSettings(file);
    const double speed = SaverSettings.SHAPE_SPEED;
    SaverSettings = SaverSettingsRecord{};
    SaverSettings.SHAPE_SPEED = speed;
  }
  SaverSettings.PATTERN_MODE = 0;
  if (options.speed) SaverSettings.SHAPE_SPEED = *options.speed;
  if (options.allMaterials) SelectAllColors();
  if (options.material) SelectMaterial(static_cast<int8_t>(*options.material));
  return true;
}

// The start of a preview run, or the stored pattern of a state file.
bool StartEngine(const FramesOptions& options, Shape& shape) {
  if (options.stateIn.empty()) {
    shape.Resize(options.width, options.height);
    shape.PrepareNow();
    shape.NextStep(false);
    return true;
  }
  if (!shape.LoadState(options.stateIn)) {
    Complain("cannot use state file " + options.stateIn + ": missing, unreadable or damaged");
    return false;
  }
  if (options.sizeGiven && (options.width != shape.Width() || options.height != shape.Height())) {
    shape.Resize(options.width, options.height);
    shape.NextStep(true);
  }
  if (!options.animate.empty() && (shape.Width() > kWebpMaxSide || shape.Height() > kWebpMaxSide)) {
    Complain("the stored pattern is " + SizeText(shape.Width(), shape.Height()) +
             ": an animation takes at most 16383 x 16383");
    return false;
  }
  return true;
}

// Reports progress on standard error about once a second.
class Progress {
 public:
  explicit Progress(long total) : total_(total), last_(Clock::now()) {}
  void Frame(long done) {
    const auto now = Clock::now();
    if (now - last_ < std::chrono::seconds(1)) return;
    last_ = now;
    std::fprintf(stderr, "frame %ld of %ld\n", done, total_);
  }

 private:
  long total_;
  Clock::time_point last_;
};

void ReportBench(long frames, Clock::duration spent, int width, int height) {
  const double seconds = std::chrono::duration<double>(spent).count();
  const double pixels = static_cast<double>(frames) * width * height;
  std::printf("%ld frames of %dx%d in %.3f s: %.1f frames/s, %.3f ns/pixel\n", frames, width,
              height, seconds, frames / seconds, seconds * 1e9 / pixels);
}

bool WriteOutputs(const FramesOptions& options, Shape& shape, const Bitmap32& frame,
                  WebpAnimation* animation) {
  std::string error;
  if (!options.out.empty() &&
      !WritePng(options.out, frame.Pixels(), frame.Width(), frame.Height(), error)) {
    Complain(error);
    return false;
  }
  if (animation && !animation->Write(options.animate, error)) {
    Complain(error);
    return false;
  }
  std::string reason;
  if (!options.stateOut.empty() && !shape.SaveState(options.stateOut, &reason)) {
    Complain("cannot write state file " + options.stateOut + ": " + reason);
    return false;
  }
  return true;
}

// Runs the frames once the settings are in place; may run out of memory.
int RenderFrames(const FramesOptions& options, Shape& shape) {
  if (!StartEngine(options, shape)) return kExitUsage;

  Bitmap32 frame(shape.Width(), shape.Height());
  std::unique_ptr<WebpAnimation> animation;
  if (!options.animate.empty())
    animation = std::make_unique<WebpAnimation>(frame.Width(), frame.Height(), 40);
  Progress progress(options.frames);
  const auto start = Clock::now();
  for (long i = 1; i <= options.frames; ++i) {
    shape.RenderToBitmap(frame.View());
    if (animation) animation->AddFrame(frame.Pixels().data());
    progress.Frame(i);
  }
  if (options.bench)
    ReportBench(options.frames, Clock::now() - start, frame.Width(), frame.Height());
  return WriteOutputs(options, shape, frame, animation.get()) ? kExitOk : kExitOutput;
}

}  // namespace

int RunFrames(const FramesOptions& options) {
  if (!ApplySettings(options)) return kExitUsage;
  const uint32_t seed = options.seed ? static_cast<uint32_t>(*options.seed)
                                     : SecondsSinceMidnightUtc(std::time(nullptr));
  PrepareProgram(seed);
  Shape shape;
  shape.Configure(EngineSettingsOf(SaverSettings));
  try {
    return RenderFrames(options, shape);
  } catch (const std::bad_alloc&) {
    const bool stored = !options.stateIn.empty() && !options.sizeGiven;
    Complain("not enough memory for " + (stored ? "the stored pattern of " + options.stateIn
                                                : SizeText(options.width, options.height)));
    return kExitUsage;
  }
}

}  // namespace zm::tool
