#include "shell/files_location.h"

namespace zm {

std::string ChooseFilesFolder(const std::string& programDirectory, const std::string& userFolder,
                              FolderAccess& access) {
  // "" is the current directory, which is where a bare file name lies.
  const std::string& here = programDirectory.empty() ? std::string("./") : programDirectory;
  if (userFolder.empty() || access.CanWriteIn(here)) return programDirectory;
  access.CreateDirectories(userFolder);
  return userFolder;
}

}  // namespace zm
