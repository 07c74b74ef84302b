#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "display/display_surface.h"
#include "render/bitmap_view.h"
#include "render/height_map.h"
#include "render/pattern_descriptor.h"
#include "render/pattern_generator.h"
#include "render/row_kernel.h"

namespace zm {

// The ornament engine. It owns three height maps of the output size (the
// previous, current and next step's front times), two banks of colour ramps
// and the animation phase, turns them into one frame per call (a 32-bit
// bitmap, or a page-flipped display surface of 32, 24 or 16 bits) and hands
// one slice of work per frame to the pattern generator, which fills the next
// map meanwhile.
//
// A pixel that the colour front has passed (t >= vc) shows bank A at t - vc;
// one it has not reached continues the previous step's ramp from bank B at
// t + 3016 - vp. When the phase passes 1 the maps and the banks move up one
// place, which keeps every pixel's colour continuous across the boundary.
class Shape {
 public:
  // What the engine takes from the settings, handed over by its caller: the
  // animation's speed, the bits per pixel of a page-flipped surface and the
  // video mode's height (below 480 rows patterns draw fewer harmonics).
  struct Settings {
    double speed = 1.0;
    int32_t surfaceBits = 32;
    int32_t modeHeight = 480;
  };

  using Rgb24 = std::array<uint8_t, 3>;
  using Colors32 = std::array<uint32_t, kColorTableSize>;
  using Colors24 = std::array<Rgb24, kColorTableSize>;
  using Colors16 = std::array<uint16_t, kColorTableSize>;

  Shape();
  ~Shape();
  Shape(const Shape&) = delete;
  Shape& operator=(const Shape&) = delete;

  // The display surface of the page-flipped path; null (the default) for the
  // bitmap path, where the palette conversions do nothing.
  void SetDisplay(DisplaySurface* display) { display_ = display; }

  void Configure(const Settings& settings) { settings_ = settings; }
  const Settings& Configuration() const { return settings_; }

  // Maps and size.
  void FreeMaps();
  // Resamples the previous and current maps to the new size. The maps end up
  // one place ahead; follow it with NextStep(true), BeginWarmup or
  // PrepareNow. A non-positive size leaves the engine without maps.
  void Resize(int32_t width, int32_t height);

  // Palettes.
  void InitPalettes();
  void NextPalette();
  void ConvertPalettes();

  // Animation.
  void NextStep(bool force);
  // One frame's advance in fixed steps of 1/60 s of display time: the
  // renderer, the previews and the tests, which give a seed the same frames
  // on every machine.
  void Advance();
  // One frame's advance by the display time since the last frame, in units
  // of 1/60 s (see FrameMotion): a live run, whose motion then does not
  // follow the frame rate. A frame that stands for more than one frame of
  // the rate (a late one) also gives the generator one slice more, so that
  // the next map is ready within its step all the same.
  void AdvanceBy(double intervals);
  // The rate frames come at in a live run (60 unless set): the generator's
  // slices are spread over the frames a step has at that rate (see
  // FrameBudgetAt), from the next map on.
  void SetFrameRate(double hertz);
  double FrameRate() const { return frameRate_; }

  // Whether the display paces the frames (off by default). The generator's
  // slices that compute no rows are then not stretched to the cycle budget
  // by busy-waiting: the wait for the display's next refresh already evens
  // the frames out. The frame budget still sets the size of the slices.
  void SetPacedByDisplay(bool paced) { pacedByDisplay_ = paced; }
  bool PacedByDisplay() const { return pacedByDisplay_; }

  // Time to spare before the next frame, on a display-paced engine: computes
  // rows of the next map ahead of the frames for about `ms` milliseconds at
  // most (judged by what its last rows took, and never more than a short
  // unit, so that input waits little), and the frames that follow compute
  // that many fewer. The map and the frames are the same. False when nothing
  // was computed: no rows left before the next step, or none that fits.
  bool ComputeAhead(double ms);

  // Whether the next frame would change nothing: the speed is 0, so the
  // phase stands still and no step ends. The generator's next map is not
  // needed before a step ends, so it waits too (its slices go on when the
  // speed changes). A still picture needs drawing only once, and again when
  // the window shows it anew.
  bool IsStill() const;

  // Drawing; all of it does nothing while the maps are absent.
  void RenderRow32(uint32_t* row, int32_t y) const;
  // One row in the display's bit depth (BitPerPix: 32, 24 or 16; any other
  // depth writes nothing).
  void RenderRowSurface(uint8_t* row, int32_t y) const;
  // Every row of the frame, without advancing; rows and columns beyond the
  // smaller of the two sizes are left alone.
  void RenderFrame(const BitmapView& bitmap) const;
  // The frame, then Advance.
  void RenderToBitmap(const BitmapView& bitmap);
  // The frame into the display's back buffer, then the flip, without
  // advancing. Skipped without a display or when the back buffer cannot be
  // locked.
  enum class SurfaceFrame { kSkipped, kFlipped, kFlipFailed };
  SurfaceFrame DrawOnSurface();
  // DrawOnSurface, then Advance unless the frame was skipped: true when it
  // was flipped.
  bool RenderToSurface();

  // Pattern generation at once and the first-start warm-up.
  // Generates `map` (width x height values, else nothing) without pacing.
  void ComputeMapNow(std::span<MapValue> map, PatternDescriptor& descriptor);
  void Reset();
  void PrepareNow();
  void BeginWarmup(int32_t steps);
  bool WarmupStep();

  // The pattern state file: the size and the previous and current maps.
  // SaveState replaces the file atomically (see WriteFileAtomically) and
  // answers false when nothing could be written (the old file is then intact;
  // `reason` says why). A file there (or a link's target) that is not a state
  // file of ours is first kept as "<path>.kept" (a link moves there itself,
  // a file is copied there), and a notice says so.
  // LoadState answers true when the maps came from the file. Nothing at the
  // path, or something that is not a regular file or cannot be opened,
  // changes nothing; an unusable file gives fresh maps at the present size
  // (none at 0 x 0).
  bool SaveState(const std::string& path, std::string* reason = nullptr) const;
  bool LoadState(const std::string& path);

  // Inspection, for the callers and the tests. Map values must stay within
  // 0..1000.
  bool HasMaps() const;
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  double Phase() const { return phase_; }
  void SetPhase(double phase) { phase_ = phase; }
  double HeightScale() const { return heightScale_; }
  int32_t WarmupCount() const { return warmupCount_; }
  std::span<MapValue> MapPrevious() { return mapPrevious_; }
  std::span<MapValue> MapCurrent() { return mapCurrent_; }
  std::span<MapValue> MapNext() { return mapNext_; }
  std::span<const MapValue> MapPrevious() const { return mapPrevious_; }
  std::span<const MapValue> MapCurrent() const { return mapCurrent_; }
  std::span<const MapValue> MapNext() const { return mapNext_; }
  Colors32& ColorTable32() { return colors32_; }
  const Colors32& ColorTable32() const { return colors32_; }
  const Colors24& ColorTable24() const { return colors24_; }
  const Colors16& ColorTable16() const { return colors16_; }
  const PatternGenerator& Generator() const { return generator_; }

 private:
  // Bank indices for the layout bookkeeping.
  enum Bank { kBankA = 0, kBankB = 1 };

  bool ConvertTo24();
  bool ConvertTo16();
  bool ConvertTo32();
  bool SurfaceFormat(uint32_t bitCount, PixelFormat& format) const;
  void TakePalette(Bank bank);

  void AllocateMaps();
  void RotateMaps();
  void StartPacedGenerator();
  void SetUpGenerator(std::span<MapValue> target, PatternDescriptor& descriptor,
                      int32_t frameBudget);
  void RunGeneratorOn(std::span<MapValue> target, PatternDescriptor& descriptor);
  bool UsesGenerator() const { return generatorSet_; }

  std::vector<MapValue> mapPrevious_;
  std::vector<MapValue> mapCurrent_;
  std::vector<MapValue> mapNext_;
  PatternDescriptor descriptor_;
  Colors32 colors32_{};
  Colors24 colors24_{};
  Colors16 colors16_{};
  double phase_ = 0.0;
  // The display time of the last frame's advance, in 1/60 s: a new step
  // starts that far in.
  double lastIntervals_ = 1.0;
  double frameRate_ = 60.0;
  // Slices that late frames have stood for and not yet been given.
  double slicesOwed_ = 0.0;
  double heightScale_ = 1.1;
  int32_t warmupSteps_ = 0;
  int32_t warmupCount_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;

  // Which banks of colors32 still hold palette entries (0x00RRGGBB) that a
  // 32-bit surface conversion has not yet put into the display's order.
  bool bankInPaletteLayout_[2] = {true, true};
  DisplaySurface* display_ = nullptr;
  bool pacedByDisplay_ = false;
  // What one row of the generator took when last computed ahead.
  double msPerRowAhead_ = 0.0;
  Settings settings_;

  // The engine's own generator, which writes into the next map. It is set
  // up on one of the maps (generatorSet_) until the maps are freed, so it
  // never writes into memory that is gone.
  PatternGenerator generator_;
  bool generatorSet_ = false;
};

}  // namespace zm
