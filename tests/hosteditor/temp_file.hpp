// Test files in the temporary folder, removed at the end of the test.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

class TempFile {
 public:
  TempFile(const std::string &name, const std::string &bytes)
      : path_((std::filesystem::temp_directory_path() / ("pardune-" + name)).string()) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes;
  }
  ~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  const char *Path() const { return path_.c_str(); }

 private:
  std::string path_;
};
