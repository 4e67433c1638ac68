// Dialogs declared as runs of 18-byte compact records, expanded into the file
// manager's dialog items just before the dialog opens.
#pragma once

#include <cstddef>
#include <cstdint>

#include "far170/plugin.hpp"

// Control word: the item type in the low byte, state bits above it.
enum : uint16_t {
  CIF_TYPEMASK = 0x00FF,
  CIF_FOCUS = 0x0100,
  CIF_SELECTED = 0x0200,
  CIF_DEFAULT = 0x0400,
  CIF_DISABLE = 0x0800,
  CIF_VALUE = 0x1000,    // Selected = Value, no text
  CIF_HISTORY = 0x2000,  // DIF_HISTORY, history name in Value, no text
  CIF_END = 0xFFFF,      // ends a template
};

#pragma pack(push, 1)
struct CompactItem {
  uint16_t Control;
  int16_t X1, Y1, X2, Y2;
  uint32_t Flags;  // the host's item flags
  int32_t Value;   // message id of the text, or the Selected value
};
#pragma pack(pop)

static_assert(sizeof(CompactItem) == 18, "CompactItem is 18 bytes");
static_assert(offsetof(CompactItem, Flags) == 10 && offsetof(CompactItem, Value) == 14,
              "CompactItem layout");
#if defined(__BYTE_ORDER__)
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "templates are little-endian");
#endif

// A record and the number of the item it becomes. A template is written as a
// run of these and built with Numbered, which checks that each record stands
// at its number, so the names of the items and their records cannot part.
struct NumberedItem {
  int item;
  CompactItem record;
};

// The records of an N-item template and its terminator.
template <int N>
struct CompactTemplate {
  CompactItem records[N + 1];
  bool inPlace;  // every record at its item's number; static_assert it
};

template <int N>
constexpr CompactTemplate<N> Numbered(const NumberedItem (&items)[N]) {
  CompactTemplate<N> built{};
  built.inPlace = true;
  for (int i = 0; i < N; ++i) {
    built.records[i] = items[i].record;
    if (items[i].item != i) built.inPlace = false;
  }
  built.records[N] = CompactItem{CIF_END, 0, 0, 0, 0, 0, 0};
  return built;
}

void ExpandItem(const CompactItem *item, FarDialogItem *out);
// Expands every record before the terminator into out[0..n).
void ExpandTemplate(const CompactItem *items, FarDialogItem *out);
