// The six options and the sixteen group colors, kept in the registry under
// the program's own key.
#pragma once

#include <windows.h>

#include <cstdint>

enum { kGroupColorCount = 16 };

struct SettingsRecord {
  int32_t OnFly;
  int32_t ReNoMoves;
  int32_t HandleErrors;
  int32_t StripSpace;
  int32_t FromCursor;
  int32_t SingleLines;
  // The low byte is a console attribute: background * 16 + foreground.
  int32_t GroupColors[kGroupColorCount];
};

// The process-wide settings, zero until the first load.
extern SettingsRecord Settings;

void LoadSettings();
void SaveSettings();

// subKey may be null or empty for the program's key itself.
int32_t ReadSettingInt(const char *subKey, const char *name, int32_t defaultValue);
bool WriteSettingInt(const char *subKey, const char *name, int32_t value);
HKEY OpenSettingsKey(const char *subKey);
HKEY CreateSettingsKey(const char *subKey);

// The color of entry i before the load repair.
int32_t DefaultGroupColor(int i);
// Equal background and foreground: the foreground moves on by one.
int32_t RepairGroupColor(int32_t value);
