// Every Windows test binary works on the real file system, as the saver does.
#include "platform/win32/win32_file_system.h"

namespace {

const bool installed = (zm::UseWin32FileSystem(), true);

}  // namespace
