#include "shell/files_location.h"

#include <gtest/gtest.h>

#include <set>

#include "base/file_system.h"

namespace zm {
namespace {

// Only the two directory questions are asked; nothing else is answered.
class FakeFolders : public NoFileSystem {
 public:
  bool IsWritableDirectory(const std::string& directory) override {
    return writable.count(directory) > 0;
  }
  bool CreateDirectories(const std::string& directory) override {
    created.insert(directory);
    return true;
  }
  std::set<std::string> writable;
  std::set<std::string> created;
};

TEST(FilesLocation, APortableCopyKeepsItsFilesAndAnInstalledOneUsesTheUserFolder) {
  FakeFolders folders;
  folders.writable = {"D:\\Tools\\"};
  EXPECT_EQ(ChooseFilesFolder("D:\\Tools\\", "C:\\Users\\u\\AppData\\Local\\Zelk Mirv\\", folders),
            "D:\\Tools\\");
  EXPECT_TRUE(folders.created.empty());

  EXPECT_EQ(ChooseFilesFolder("C:\\Windows\\System32\\",
                              "C:\\Users\\u\\AppData\\Local\\Zelk Mirv\\", folders),
            "C:\\Users\\u\\AppData\\Local\\Zelk Mirv\\");
  EXPECT_EQ(folders.created, (std::set<std::string>{"C:\\Users\\u\\AppData\\Local\\Zelk Mirv\\"}));

  // Without a per-user folder the files stay beside the program.
  EXPECT_EQ(ChooseFilesFolder("C:\\Windows\\System32\\", "", folders), "C:\\Windows\\System32\\");
}

}  // namespace
}  // namespace zm

namespace zm {
namespace {

TEST(FilesLocation, XdgFolderPrefersAnAbsoluteConfigHomeThenHome) {
  EXPECT_EQ(XdgFilesFolder("/cfg", "/home/u"), "/cfg/zelk-mirv/");
  EXPECT_EQ(XdgFilesFolder("/cfg/", "/home/u"), "/cfg/zelk-mirv/");
  EXPECT_EQ(XdgFilesFolder(nullptr, "/home/u"), "/home/u/.config/zelk-mirv/");
  EXPECT_EQ(XdgFilesFolder("", "/home/u/"), "/home/u/.config/zelk-mirv/");
  EXPECT_EQ(XdgFilesFolder("relative/cfg", "/home/u"), "/home/u/.config/zelk-mirv/");
  EXPECT_EQ(XdgFilesFolder(nullptr, nullptr), "");
}

}  // namespace
}  // namespace zm
