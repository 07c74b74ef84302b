#include "shell/files_location.h"

#include "base/file_system.h"

namespace zm {

std::string ChooseFilesFolder(const std::string& programDirectory, const std::string& userFolder,
                              FileSystem& files) {
  // "" is the current directory, which is where a bare file name lies.
  const std::string& here = programDirectory.empty() ? std::string("./") : programDirectory;
  if (userFolder.empty() || files.IsWritableDirectory(here)) return programDirectory;
  files.CreateDirectories(userFolder);
  return userFolder;
}

}  // namespace zm
