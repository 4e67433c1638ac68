#include "app/key_names.hpp"

#include <far170/plugin.hpp>

#include <cctype>
#include <cstdio>

namespace app {
namespace {

struct NamedKey {
  const char *name;
  DWORD key;
};

const NamedKey kNamedKeys[] = {
    {"Esc", KEY_ESC},      {"Escape", KEY_ESC},    {"Tab", KEY_TAB},      {"Enter", KEY_ENTER},
    {"Return", KEY_ENTER}, {"BS", KEY_BS},         {"Backspace", KEY_BS}, {"Space", KEY_SPACE},
    {"Ins", KEY_INS},      {"Insert", KEY_INS},    {"Del", KEY_DEL},      {"Delete", KEY_DEL},
    {"Home", KEY_HOME},    {"End", KEY_END},       {"PgUp", KEY_PGUP},    {"PageUp", KEY_PGUP},
    {"PgDn", KEY_PGDN},    {"PageDown", KEY_PGDN}, {"Up", KEY_UP},        {"Down", KEY_DOWN},
    {"Left", KEY_LEFT},    {"Right", KEY_RIGHT},   {"Plus", '+'},         {"Minus", '-'},
};

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return false;
  return true;
}

DWORD BaseKey(std::string_view name) {
  for (const NamedKey &k : kNamedKeys)
    if (SameWord(name, k.name)) return k.key;
  if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
    int n = 0;
    for (char c : name.substr(1)) {
      if (!std::isdigit((unsigned char)c)) return 0;
      n = n * 10 + (c - '0');
      if (n > 12) return 0;
    }
    if (n >= 1) return KEY_F1 + DWORD(n - 1);
    return 0;
  }
  if (name.size() == 1) {
    unsigned char c = name[0];
    if (c > 0x20 && c < 0x7F) return c;
  }
  return 0;
}

}  // namespace

DWORD ParseKeyName(std::string_view name) {
  DWORD mods = 0;
  while (true) {
    size_t plus = name.find('+');
    if (plus == std::string_view::npos || plus == 0 || plus + 1 == name.size()) break;
    std::string_view mod = name.substr(0, plus);
    if (SameWord(mod, "Ctrl"))
      mods |= KEY_CTRL;
    else if (SameWord(mod, "Alt"))
      mods |= KEY_ALT;
    else if (SameWord(mod, "Shift"))
      mods |= KEY_SHIFT;
    else
      return 0;
    name = name.substr(plus + 1);
  }
  DWORD base = BaseKey(name);
  if (!base) return 0;
  if (base < 128 && std::isalpha(int(base))) {
    // Letter case does not matter with Ctrl or Alt ("Ctrl+v" is Ctrl+V).
    if (mods & (KEY_CTRL | KEY_ALT)) return mods | DWORD(std::toupper(int(base)));
    return mods & KEY_SHIFT ? DWORD(std::toupper(int(base))) : base;
  }
  return mods | base;
}

std::string KeyName(DWORD key) {
  std::string name;
  if (key & KEY_CTRL) name += "Ctrl+";
  if (key & KEY_ALT) name += "Alt+";
  if (key & KEY_SHIFT) name += "Shift+";
  DWORD base = key & ~(KEY_CTRL | KEY_ALT | KEY_SHIFT | KEY_RCTRL | KEY_RALT);
  for (const NamedKey &k : kNamedKeys) {
    if (k.key == base && base != '+' && base != '-') return name + k.name;
  }
  if (base >= KEY_F1 && base <= KEY_F12) return name + "F" + std::to_string(base - KEY_F1 + 1);
  if (base > 0x20 && base < 0x100) return name + char(base);
  char hex[16];
  snprintf(hex, sizeof hex, "0x%X", unsigned(base));
  return name + hex;
}

}  // namespace app
