// The benchmarks work on the real file system, as the Linux program does.
#include "platform/posix/posix_file_system.h"

namespace {

const bool installed = (zm::UsePosixFileSystem(), true);

}  // namespace
