#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zm {

// Replaces the file at `path` with `bytes`, or creates it, so that a crash, a
// kill or a full disk in the middle never leaves a torn file: the bytes go to
// a new file under a unique name beside it (created exclusively), reach the
// disk, and the new file is renamed over the old one. A symbolic link at
// `path` is written through: the file it names is replaced and the link
// stays. The write is refused, and nothing changes, when the target is not a
// regular file (a directory, a device, a FIFO) or the user may not write it
// (a read-only file, or one in a directory the user cannot write). A replaced
// file keeps its permissions.
//
// False when anything failed; the old file is then intact, no new file is
// left behind, and `reason` (when given) says why in the system's words.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         std::string* reason = nullptr);

// Removes what writes of `path` left behind when the process was killed
// before the rename: regular files "<name>.<16 hexadecimal digits>.tmp" beside
// it (the unique names of WriteFileAtomically) last changed before
// `runStartSeconds` (seconds since 1970), so that the temporary of a write
// under way in another run is kept. Links through `path` are followed to the
// folder where the writes happen. Answers how many were removed.
int RemoveStaleTemporaries(const std::string& path, int64_t runStartSeconds);

// Test seam: later atomic writes fail once `bytes` bytes have reached the new
// file, as on a disk with that much room left; a negative value restores
// normal writing.
void SetWriteFailureAfterForTesting(long long bytes);

}  // namespace zm
