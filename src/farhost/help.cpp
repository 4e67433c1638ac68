#include "farhost/help.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "codec/codec.hpp"

namespace farhost {

namespace {

std::string Lower(std::string text) {
  for (char &c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string &text) {
  size_t a = text.find_first_not_of(" \t"), b = text.find_last_not_of(" \t");
  return a == std::string::npos ? std::string() : text.substr(a, b - a + 1);
}

// One line of topic text: marks become styles.
HelpLine ParseLine(const std::string &raw, std::vector<HelpLink> &links) {
  HelpLine line;
  bool bold = false;
  for (size_t i = 0; i < raw.size(); ++i) {
    char c = raw[i];
    if ((c == '#' || c == '~' || c == '@') && i + 1 < raw.size() && raw[i + 1] == c) {
      line.text += c;
      line.style.push_back(bold ? 1 : 0);
      ++i;
      continue;
    }
    if (c == '#') {
      bold = !bold;
      continue;
    }
    if (c == '~') {
      size_t end = raw.find('~', i + 1);
      if (end != std::string::npos && end + 1 < raw.size() && raw[end + 1] == '@') {
        size_t close = raw.find('@', end + 2);
        if (close != std::string::npos) {
          short style = short(2 + links.size());
          links.push_back(HelpLink{raw.substr(end + 2, close - end - 2)});
          for (size_t k = i + 1; k < end; ++k) {
            line.text += raw[k];
            line.style.push_back(style);
          }
          i = close;
          continue;
        }
      }
    }
    line.text += c;
    line.style.push_back(bold ? 1 : 0);
  }
  return line;
}

}  // namespace

const HelpTopicText *HelpFile::Find(const std::string &name) const {
  std::string want = Lower(name);
  for (const HelpTopicText &topic : topics)
    if (Lower(topic.name) == want) return &topic;
  return nullptr;
}

HelpFile ParseHelp(const std::string &utf8) {
  HelpFile file;
  std::string text = utf8;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  std::istringstream in(codec::Utf8ToOem(text));
  std::string raw;
  HelpTopicText *topic = nullptr;
  bool titled = false;
  while (std::getline(in, raw)) {
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (raw.size() > 1 && raw[0] == '@' && raw[1] != '@') {
      file.topics.push_back(HelpTopicText{});
      topic = &file.topics.back();
      topic->name = Trim(raw.substr(1));
      titled = false;
      continue;
    }
    if (!topic) continue;  // header lines before the first topic
    if (!titled && topic->lines.empty() && !raw.empty() && raw[0] == '$') {
      std::vector<HelpLink> ignored;
      topic->title = Trim(ParseLine(raw.substr(1), ignored).text);
      titled = true;
      continue;
    }
    topic->lines.push_back(ParseLine(raw, topic->links));
  }
  for (HelpTopicText &t : file.topics)
    while (!t.lines.empty() && Trim(t.lines.back().text).empty()) t.lines.pop_back();
  return file;
}

std::string FindHelpFile(const std::string &folder) {
  namespace fs = std::filesystem;
  std::error_code error;
  std::vector<std::string> found;
  fs::path dir = folder.empty() ? fs::path(".") : fs::path(folder);
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    if (!it->is_regular_file(error)) continue;
    if (Lower(it->path().extension().string()) == ".hlf") found.push_back(it->path().string());
  }
  if (found.empty()) return std::string();
  std::sort(found.begin(), found.end());
  return found.front();
}

}  // namespace farhost
