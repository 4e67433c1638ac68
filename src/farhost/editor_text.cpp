#include "farhost/editor_text.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace farhost {
namespace {

const long long kLargestFile = 512ll * 1024 * 1024;

std::string Quoted(const char *path) {
  return std::string("'") + path + "'";
}

}  // namespace

EditorText SplitEditorText(const std::string &bytes) {
  EditorText text;
  size_t start = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') continue;
    text.lines.push_back(bytes.substr(start, i - start));
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      text.breaks.push_back("\r\n");
      ++i;
    } else {
      text.breaks.push_back(c == '\r' ? "\r" : "\n");
    }
    start = i + 1;
  }
  text.lines.push_back(bytes.substr(start));
  text.breaks.push_back("");
  return text;
}

bool LoadEditorText(const char *path, EditorText *text, std::string *error) {
  std::string message;
  if (!path || !path[0]) {
    message = "no file name given";
  } else {
    std::error_code code;
    if (std::filesystem::is_directory(path, code))
      message = Quoted(path) + " is a folder, not a file";
  }
  FILE *file = message.empty() ? std::fopen(path, "rb") : nullptr;
  if (message.empty() && !file)
    message = "cannot open " + Quoted(path) + ": " + std::strerror(errno);

  std::string bytes;
  if (file) {
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
      bytes.append(chunk, n);
      if (static_cast<long long>(bytes.size()) > kLargestFile) {
        message = Quoted(path) + " is too large for the editor (over 512 MiB)";
        break;
      }
    }
    if (message.empty() && std::ferror(file))
      message = "cannot read " + Quoted(path) + ": " + std::strerror(errno);
    std::fclose(file);
  }
  if (!message.empty()) {
    if (error) *error = message;
    return false;
  }
  *text = SplitEditorText(bytes);
  return true;
}

}  // namespace farhost
