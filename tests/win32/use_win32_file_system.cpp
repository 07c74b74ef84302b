// Every Windows test binary works on the real file system, as the saver does.
#include "platform/win32/file_system_win32.h"

namespace {

const bool installed = (zm::UseWin32FileSystem(), true);

}  // namespace
