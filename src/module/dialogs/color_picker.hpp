// The color picker: one console attribute chosen from sixteen foreground
// and sixteen background colors.
#pragma once

#include <cstdint>

#include "far170/plugin.hpp"
#include "host/text.hpp"

// The picker's texts; an entry of 0 takes its built-in default.
enum PickerText {
  kPickerTitle,
  kPickerForeground,
  kPickerBackground,
  kPickerSet,
  kPickerCancel,
  kPickerSample,
  kPickerTextCount
};

struct PickerTexts {
  MessageRef entries[kPickerTextCount];
};

// The chosen attribute (0 to 255) when the user confirms, else `attribute`
// unchanged, all 32 bits. No texts: the built-in defaults serve.
int32_t PickColor(int32_t attribute, const PickerTexts *texts, const char *helpTopic);

LONG_PTR WINAPI PickerDialogProc(HANDLE dialog, int message, int param1, LONG_PTR param2);
