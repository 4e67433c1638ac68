// Test files in the temporary folder, removed at the end of the test.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

class TempFile {
 public:
  TempFile(const std::string &name, const std::string &bytes)
      : path_((std::filesystem::temp_directory_path() / (UniquePrefix() + name)).string()) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes;
  }
  ~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  const char *Path() const { return path_.c_str(); }

 private:
  // Tests run in parallel processes: each process gets names of its own.
  static std::string UniquePrefix() {
    static const std::string prefix = "pardune-" + std::to_string(std::random_device{}()) + "-";
    return prefix;
  }
  std::string path_;
};
