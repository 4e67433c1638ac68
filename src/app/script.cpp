#include "app/script.hpp"

#include <far170/plugin.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>

#include "app/clipboard_text.hpp"
#include "app/key_names.hpp"
#include "codec/codec.hpp"

namespace app {
namespace {

constexpr int kMaxCount = 10000;
constexpr int kMaxSize = 1000;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Words(std::string_view s) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    size_t start = i;
    while (i < s.size() && s[i] != ' ' && s[i] != '\t') ++i;
    if (i > start) words.push_back(s.substr(start, i - start));
  }
  return words;
}

bool Number(std::string_view word, int min, int max, int *value) {
  if (word.empty() || word.size() > 9) return false;
  int n = 0;
  for (char c : word) {
    if (!std::isdigit((unsigned char)c)) return false;
    n = n * 10 + (c - '0');
  }
  if (n < min || n > max) return false;
  *value = n;
  return true;
}

}  // namespace

bool UnescapeText(std::string_view text, std::string *out, std::string *error) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\\') {
      *out += c;
      continue;
    }
    if (++i >= text.size()) {
      *error = "a backslash ends the text (write \\\\ for a backslash)";
      return false;
    }
    switch (text[i]) {
      case 'n':
        *out += '\n';
        break;
      case 't':
        *out += '\t';
        break;
      case 'r':
        *out += '\r';
        break;
      case '\\':
        *out += '\\';
        break;
      case 's':
        *out += ' ';
        break;
      case 'x':
      case 'u': {
        const size_t digits = text[i] == 'x' ? 2 : 4;
        const char *first = text.data() + i + 1;
        const char *last = first + std::min(digits, text.size() - i - 1);
        unsigned value = 0;
        if (std::from_chars(first, last, value, 16).ptr != first + digits) {
          *error = std::string("\\") + text[i] + " needs " + std::to_string(digits) + " hex digits";
          return false;
        }
        if (value == 0 || (value >= 0xD800 && value <= 0xDFFF)) {
          *error = "the escape does not name a character";
          return false;
        }
        codec::AppendUtf8(out, value);
        i += digits;
        break;
      }
      default:
        *error = std::string("unknown escape \\") + text[i];
        return false;
    }
  }
  return true;
}

bool ParseScript(std::string_view script, int codePage, std::vector<ScriptCommand> *commands,
                 std::string *error) {
  commands->clear();
  int lineNumber = 0;
  size_t pos = 0;
  while (pos <= script.size()) {
    size_t end = script.find('\n', pos);
    if (end == std::string_view::npos) end = script.size();
    std::string_view raw = script.substr(pos, end - pos);
    pos = end + 1;
    ++lineNumber;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    std::string_view line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;

    auto fail = [&](const std::string &what) {
      *error = "line " + std::to_string(lineNumber) + ": " + what;
      return false;
    };
    size_t space = line.find_first_of(" \t");
    std::string_view word = line.substr(0, space);
    // The text after the command word and one separating space, kept as is.
    std::string_view rest;
    if (space != std::string_view::npos) {
      size_t at = size_t(word.data() - raw.data()) + word.size() + 1;
      rest = raw.substr(at);
    }
    std::vector<std::string_view> args = Words(Trim(rest));
    ScriptCommand cmd;
    cmd.line = lineNumber;

    if (word == "key") {
      if (args.empty() || args.size() > 2)
        return fail("key needs a key name and an optional count");
      cmd.kind = ScriptCommand::Key;
      cmd.key = ParseKeyName(args[0]);
      if (!cmd.key) return fail("unknown key name '" + std::string(args[0]) + "'");
      if (args.size() == 2 && !Number(args[1], 1, kMaxCount, &cmd.count))
        return fail("the count must be a number from 1 to " + std::to_string(kMaxCount));
      commands->push_back(cmd);
    } else if (word == "type") {
      if (rest.empty()) return fail("type needs a text");
      size_t i = 0;
      while (i < rest.size()) {
        char32_t ch = 0;
        size_t used = codec::DecodeUtf8(rest.substr(i), &ch);
        if (used == 0 || ch == 0xFFFD) return fail("the text is not valid UTF-8");
        int oem = codec::OemByte(ch, UINT(codePage));
        if (ch == '\t') oem = KEY_TAB;
        if (oem < 0) {
          std::string shown;
          codec::AppendUtf8(&shown, ch);
          return fail("'" + shown + "' has no character in code page " + std::to_string(codePage));
        }
        cmd.kind = ScriptCommand::Key;
        cmd.key = DWORD(oem);
        commands->push_back(cmd);
        i += used;
      }
    } else if (word == "paste" || word == "clipboard") {
      cmd.kind = word == "paste" ? ScriptCommand::Paste : ScriptCommand::Clipboard;
      std::string why;
      if (!UnescapeText(rest, &cmd.text, &why)) return fail(why);
      BoundPasteText(&cmd.text);  // as much as a paste from outside brings
      commands->push_back(cmd);
    } else if (word == "click") {
      if (args.size() < 2 || args.size() > 3) return fail("click needs X Y and an optional button");
      if (!Number(args[0], 0, kMaxSize, &cmd.x) || !Number(args[1], 0, kMaxSize, &cmd.y))
        return fail("click needs cell numbers X Y from 0");
      if (args.size() == 3) {
        if (args[2] == "left")
          cmd.button = 1;
        else if (args[2] == "right")
          cmd.button = 2;
        else if (args[2] == "middle")
          cmd.button = 3;
        else
          return fail("the button is left, right or middle");
      }
      cmd.kind = ScriptCommand::Click;
      commands->push_back(cmd);
    } else if (word == "resize") {
      if (args.size() != 2 || !Number(args[0], 1, kMaxSize, &cmd.x) ||
          !Number(args[1], 1, kMaxSize, &cmd.y))
        return fail("resize needs COLUMNS ROWS from 1 to " + std::to_string(kMaxSize));
      cmd.kind = ScriptCommand::Resize;
      commands->push_back(cmd);
    } else if (word == "screen" && !args.empty()) {
      if (args.size() != 2 || !Number(args[0], 0, kMaxSize - 1, &cmd.x) ||
          !Number(args[1], cmd.x, kMaxSize - 1, &cmd.y))
        return fail("screen takes nothing or rows FIRST LAST, from 0, FIRST <= LAST");
      cmd.kind = ScriptCommand::Screen;
      commands->push_back(cmd);
    } else if (word == "screen" || word == "attributes" || word == "cursor" || word == "quit") {
      if (!args.empty()) return fail(std::string(word) + " takes nothing after it");
      if (word == "screen") cmd.y = kMaxSize - 1;  // every row
      cmd.kind = word == "screen"       ? ScriptCommand::Screen
                 : word == "attributes" ? ScriptCommand::Attributes
                 : word == "cursor"     ? ScriptCommand::Cursor
                                        : ScriptCommand::Quit;
      commands->push_back(cmd);
    } else if (word == "echo") {
      cmd.kind = ScriptCommand::Echo;
      cmd.text = std::string(rest);
      commands->push_back(cmd);
    } else {
      return fail("unknown command '" + std::string(word) + "'");
    }
  }
  return true;
}

}  // namespace app
