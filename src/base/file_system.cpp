#include "base/file_system.h"

namespace zm {
namespace {

NoFileSystem no_file_system;
FileSystem* installed = &no_file_system;

}  // namespace

FileSystem& Files() { return *installed; }

void SetFileSystem(FileSystem* files) { installed = files != nullptr ? files : &no_file_system; }

}  // namespace zm
