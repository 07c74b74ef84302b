#include <optional>
#include <utility>

#include "base/file_system.h"
#include "base/notice.h"
#include "render/pattern_state_file.h"
#include "render/shape.h"
#include "render/shape_timing.h"
#include "settings/atomic_file.h"

namespace zm {

namespace {

// How many names "<path>.kept", "<path>.kept-2", ... a kept file may take.
constexpr int kKeptNames = 9;

// A file at `path` (or the file a link there names) that is not a state file
// of ours is someone's data: it is kept under a free name of its own before
// the state is written. A link moves aside itself, so its target stays where
// it is; a file is copied, unless it is too large to read. NOTE: under Wine a
// Unix link does not show as one, and renaming it would move its target.
// False when it could not be kept.
bool KeepForeignFile(const std::string& path, std::string* reason) {
  FileSystem& files = Files();
  const ReadResult file = files.ReadFile(path, static_cast<std::size_t>(kStateFileMaxBytes));
  if (file.status != ReadStatus::kTooLarge &&
      (file.status != ReadStatus::kOk || IsOwnStateFile(file.bytes))) {
    return true;  // ours, nothing there, or refused by the write itself
  }
  const std::optional<std::string> target = files.ResolveLinks(path);
  if (!target || !files.CanWriteFile(*target)) return true;  // the write refuses it
  const bool moveAside = *target != path || file.status == ReadStatus::kTooLarge;
  for (int i = 1; i <= kKeptNames; ++i) {
    // Built by appending: GCC 12 warns falsely (-Wrestrict) on "-" + string.
    std::string aside = path + ".kept";
    if (i > 1) aside.append("-").append(std::to_string(i));
    if (files.KindOf(aside) != FileKind::kMissing) continue;
    if (!(moveAside ? files.Rename(path, aside) : WriteFileAtomically(aside, file.bytes))) break;
    Notice(path + " was not a pattern state file: kept as " + aside);
    return true;
  }
  if (reason != nullptr) *reason = path + " is not a pattern state file and cannot be kept";
  return false;
}

}  // namespace

bool Shape::SaveState(const std::string& path, std::string* reason) const {
  if (!HasMaps()) {
    if (reason != nullptr) *reason = "no pattern to store";
    return false;  // nothing worth replacing a stored pattern with
  }
  if (!KeepForeignFile(path, reason)) return false;
  return WriteFileAtomically(path, EncodePatternState(width_, height_, mapPrevious_, mapCurrent_),
                             reason);
}

bool Shape::LoadState(const std::string& path) {
  phase_ = PhaseIncrement(settings_.speed);
  const int32_t oldWidth = width_;
  const int32_t oldHeight = height_;

  // No file, or nothing a regular file: the caller warms up a first pattern.
  ReadResult file = Files().ReadFile(path, static_cast<std::size_t>(kStateFileMaxBytes));
  if (file.status != ReadStatus::kOk && file.status != ReadStatus::kTooLarge) return false;
  std::optional<PatternState> state = ReadPatternState(file.bytes);
  file.bytes = std::string();

  FreeMaps();
  if (!state) {
    // Unusable file: fresh palettes and maps at the size the engine had (no
    // maps at all if it had none).
    width_ = oldWidth;
    height_ = oldHeight;
    Reset();
    return false;
  }
  width_ = state->width;
  height_ = state->height;
  InitPalettes();
  mapPrevious_ = std::move(state->previous);
  mapCurrent_ = std::move(state->current);
  mapNext_.assign(mapCurrent_.size(), 0);
  // Continue with the stored pair and generate the next map paced, as in a
  // running saver.
  StartPacedGenerator();
  return true;
}

}  // namespace zm
