// The benchmarks work on the real file system, as the Linux program does.
#include "platform/posix/file_system_posix.h"

namespace {

const bool installed = (zm::UsePosixFileSystem(), true);

}  // namespace
