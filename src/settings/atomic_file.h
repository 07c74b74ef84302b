#pragma once

#include <string>
#include <string_view>

namespace zm {

// Writes `bytes` to `path` through a new file beside it that is renamed into place, so a crash or
// a full disk in the middle never leaves a torn file. False when anything failed; the old file is
// then intact.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Test seam: later atomic writes fail once `bytes` bytes have reached the new file; a negative
// value restores normal writing.
void SetWriteFailureAfterForTesting(long long bytes);

// The name of the new file that WriteFileAtomically writes before renaming it to `path`.
std::string AtomicWriteTemporaryPath(const std::string& path);

}  // namespace zm
