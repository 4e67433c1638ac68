// The help file parser, and the help viewer on the stand-in's screen. The
// input is the file, then after its last NUL byte the keys for the viewer.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "far170/plugin.hpp"
#include "farhost/help.hpp"
#include "farhost/screen.hpp"
#include "input_backend.hpp"
#include "support.hpp"

namespace {

std::string folder;

void Check(const farhost::HelpFile &file) {
  for (const farhost::HelpTopicText &topic : file.topics) {
    FuzzCheck(file.Find(topic.name) != nullptr, "a topic is not found by its name", topic.name);
    for (const farhost::HelpLine &line : topic.lines) {
      FuzzCheck(line.style.size() == line.text.size(), "styles and characters differ in number");
      for (short style : line.style)
        FuzzCheck(style >= 0 && size_t(style) < 2 + topic.links.size(), "style out of range");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  std::string name = FuzzTempFolder() + "/pardune-help-fuzz-XXXXXX";
  if (!mkdtemp(&name[0])) FuzzFail("no temporary folder", name);
  folder = name;
  std::atexit([] {
    std::remove((folder + "/Fuzz.hlf").c_str());
    rmdir(folder.c_str());
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string input = AsString(data, size);
  size_t cut = input.rfind('\0');
  std::string text = input.substr(0, cut), keys;
  if (cut != std::string::npos) keys = input.substr(cut + 1);
  farhost::HelpFile file = farhost::ParseHelp(text);
  Check(file);

  FILE *out = std::fopen((folder + "/Fuzz.hlf").c_str(), "wb");
  if (!out) FuzzFail("cannot write the help file");
  std::fwrite(text.data(), 1, text.size(), out);
  std::fclose(out);
  farhost::TheScreen().Resize(80, 25);
  FuzzBytes bytes(reinterpret_cast<const uint8_t *>(keys.data()), keys.size());
  FuzzInputBackend backend(bytes, 64);
  std::string topic = file.topics.empty() ? std::string() : file.topics[0].name;
  farhost::ShowHelp(folder.c_str(), topic.c_str(), FHELP_CUSTOMPATH);
  return 0;
}
