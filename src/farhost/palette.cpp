#include "farhost/palette.hpp"

namespace farhost {

namespace {

// The default palette: gray dialogs, cyan edit fields and help, red warnings.
const unsigned char palette[] = {
    0x3F, 0x0F, 0x3E, 0x0E, 0x3F, 0x3F,                          // menu
    0x30, 0x0F, 0x3E, 0x0E,                                      // horizontal menu
    0x1B, 0x1E, 0x1F, 0x1B, 0x30, 0x3E, 0x1B, 0x30, 0x1E,        // panel
    0x1B, 0x3E,                                                  // panel totals
    0x70, 0x7E, 0x70, 0x70, 0x7E, 0x30, 0x70, 0x30, 0x7E, 0x3E,  // dialog
    0x3F, 0x0F, 0x3E, 0x0E,                                      // dialog list
    0x4F, 0x4E, 0x4F, 0x4F, 0x4E, 0x30, 0x4F, 0x7F, 0x4E, 0x7E,  // warning dialog
    0x07, 0x30, 0x30,                                            // key bar
    0x07, 0x30,                                                  // command line, clock
    0x1B, 0x30, 0x30,                                            // viewer
    0x1B, 0x30, 0x30,                                            // editor
    0x30, 0x3F, 0x3E, 0x0E, 0x30, 0x30,                          // help
    0x30, 0x38, 0x1B, 0x30, 0x1B, 0x1B,                          // drag, unchanged edit, bars
    0x1F, 0x30, 0x1B, 0x00, 0x3F, 0x3F, 0x1B, 0x07,              // 68: selected edit text
    0x78, 0x38, 0x38, 0x48, 0x38, 0x38, 0x38,                    // disabled items
    0x30, 0x30, 0x3F, 0x3F,                                      // clocks, list title, list box
    0x1F, 0x38,                                                  // warning edit
};
static_assert(sizeof(palette) == PALETTE_SIZE, "one attribute per palette entry");

}  // namespace

unsigned char PaletteColor(int index) {
  return index >= 0 && index < PALETTE_SIZE ? palette[index] : 0;
}

}  // namespace farhost
