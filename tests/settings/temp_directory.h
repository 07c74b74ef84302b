#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

namespace zm::testing {

// A fresh directory under the system's temporary directory, removed with its
// contents at the end of the test.
class TempDirectory {
 public:
  TempDirectory() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() /
            ("zm_settings_test_" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(path_);
  }
  ~TempDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  // The directory with a trailing separator, as ProgramDirectory gives it.
  std::string Prefix() const { return path_.string() + "/"; }
  std::string File(std::string_view name) const { return Prefix() + std::string(name); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
}

}  // namespace zm::testing
