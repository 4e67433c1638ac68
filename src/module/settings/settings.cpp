#include "settings/settings.hpp"

#include "host/host_state.hpp"
#include "host/text.hpp"

SettingsRecord Settings;

namespace {

enum { kKeyNameSize = 1024, kValueNameSize = 32 };

struct OptionField {
  const char *name;
  int32_t SettingsRecord::*field;
  int32_t defaultValue;
};

// Read and written in this order.
const OptionField kOptions[] = {
    {"OnFly", &SettingsRecord::OnFly, 1},
    {"ReNoMoves", &SettingsRecord::ReNoMoves, 1},
    {"HandleErrors", &SettingsRecord::HandleErrors, 1},
    {"StripSpace", &SettingsRecord::StripSpace, 1},
    {"FromCursor", &SettingsRecord::FromCursor, 0},
    {"SingleLines", &SettingsRecord::SingleLines, 1},
};

// The key below HKEY_CURRENT_USER: the program's path, or the path and a sub-key.
// False before Start has built the path: no key then, rather than the hive.
bool KeyName(char *name, const char *subKey) {
  const char *path = Host.SettingsKeyPath;
  if (!path) return false;
  if (subKey && *subKey)
    FormatBounded(name, kKeyNameSize, "%s\\%s", path, subKey);
  else
    FormatBounded(name, kKeyNameSize, "%s", path);
  return true;
}

void ColorName(char *name, int i) {
  FormatBounded(name, kValueNameSize, "ColorN%d", i + 1);
}

}  // namespace

int32_t DefaultGroupColor(int i) {
  return ((16 - i) % 16) * 16 + i;
}

int32_t RepairGroupColor(int32_t value) {
  int background = (value >> 4) & 0xF;
  if (background != (value & 0xF)) return value;
  return background * 16 + (((value & 0xF) + 1) & 0xF);  // no overflow at 0x7FFFFFFF
}

HKEY OpenSettingsKey(const char *subKey) {
  char name[kKeyNameSize];
  HKEY key = nullptr;
  if (!KeyName(name, subKey)) return nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, name, &key) != ERROR_SUCCESS) return nullptr;
  return key;
}

HKEY CreateSettingsKey(const char *subKey) {
  char name[kKeyNameSize];
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (!KeyName(name, subKey)) return nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                      nullptr, &key, &disposition) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

int32_t ReadSettingInt(const char *subKey, const char *name, int32_t defaultValue) {
  HKEY key = OpenSettingsKey(subKey);
  if (!key) key = CreateSettingsKey(subKey);  // a first load leaves the key behind
  if (!key) return defaultValue;
  // A shorter value fills the low bytes; the others stay zero.
  int32_t value = 0;
  DWORD type = 0, size = sizeof value;
  LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? value : defaultValue;
}

bool WriteSettingInt(const char *subKey, const char *name, int32_t value) {
  HKEY key = CreateSettingsKey(subKey);
  if (!key) return false;
  bool stored = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                               sizeof value) == ERROR_SUCCESS;
  RegCloseKey(key);
  return stored;
}

void LoadSettings() {
  for (const OptionField &option : kOptions)
    Settings.*option.field = ReadSettingInt(nullptr, option.name, option.defaultValue);
  char name[kValueNameSize];
  for (int i = 0; i < kGroupColorCount; ++i) {
    ColorName(name, i);
    Settings.GroupColors[i] = RepairGroupColor(ReadSettingInt(nullptr, name, DefaultGroupColor(i)));
  }
}

void SaveSettings() {
  for (const OptionField &option : kOptions)
    WriteSettingInt(nullptr, option.name, Settings.*option.field);
  char name[kValueNameSize];
  for (int i = 0; i < kGroupColorCount; ++i) {
    ColorName(name, i);
    WriteSettingInt(nullptr, name, Settings.GroupColors[i]);
  }
}
