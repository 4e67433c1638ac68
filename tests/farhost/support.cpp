#include "support.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace farhost_test {

using farhost::InputEvent;

InputEvent FeedBackend::Wait() {
  ++waits;
  if (events.empty()) {
    if (!captured) {
      finalText = farhost::TheScreen().TextDump();
      finalAttributes = farhost::TheScreen().AttributeDump();
      captured = true;
      finalCursorX = farhost::TheScreen().CursorX();
      finalCursorY = farhost::TheScreen().CursorY();
      finalCursorVisible = farhost::TheScreen().CursorVisible();
    }
    InputEvent quit;
    quit.kind = InputEvent::Quit;
    return quit;
  }
  InputEvent event = events.front();
  events.pop_front();
  if (before) before(waits - 1);
  return event;
}

InputEvent Key(DWORD key) {
  InputEvent event;
  event.kind = InputEvent::Key;
  event.key = key;
  return event;
}

InputEvent Click(int x, int y) {
  InputEvent event;
  event.kind = InputEvent::Mouse;
  event.x = x;
  event.y = y;
  event.button = 1;
  return event;
}

InputEvent Resize(int width, int height) {
  InputEvent event;
  event.kind = InputEvent::Resize;
  event.x = width;
  event.y = height;
  return event;
}

std::vector<InputEvent> Keys(const std::string &typed) {
  std::vector<InputEvent> out;
  for (char c : typed) out.push_back(Key(static_cast<unsigned char>(c)));
  return out;
}

Session::Session(int width, int height) {
  farhost::Screen &screen = farhost::TheScreen();
  screen.Resize(width, height);
  screen.Fill(0, 0, width - 1, height - 1, ' ', 0x07);
  screen.SetCursor(0, 0, false);
  farhost::SetBackend(&backend);
}

Session::~Session() {
  farhost::SetBackend(nullptr);
}

std::string Readable(const std::string &oem) {
  static const struct {
    unsigned char oem;
    const char *utf8;
  } glyphs[] = {
      {0xC4, "─"}, {0xB3, "│"}, {0xDA, "┌"}, {0xBF, "┐"}, {0xC0, "└"}, {0xD9, "┘"},
      {0xC3, "├"}, {0xB4, "┤"}, {0xCD, "═"}, {0xBA, "║"}, {0xC9, "╔"}, {0xBB, "╗"},
      {0xC8, "╚"}, {0xBC, "╝"}, {0xC7, "╟"}, {0xB6, "╢"}, {0xB2, "▓"}, {0x07, "•"},
  };
  std::string out;
  for (unsigned char c : oem) {
    const char *glyph = nullptr;
    for (const auto &g : glyphs)
      if (g.oem == c) glyph = g.utf8;
    if (glyph) {
      out += glyph;
    } else if (c == '\n' || (c >= 0x20 && c < 0x7F)) {
      out += char(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

void ExpectGolden(const std::string &name, const std::string &text, const std::string &attributes) {
  std::string actual = Readable(text) + "-- attributes --\n" + attributes;
  std::string path = std::string(FARHOST_GOLDEN_DIR) + "/" + name + ".txt";
  const char *update = std::getenv("PARDUNE_UPDATE_GOLDEN");
  if (update && *update == '1') {
    std::ofstream out(path, std::ios::binary);
    out << actual;
    ASSERT_TRUE(out.good()) << "cannot write " << path;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in.is_open()) << "no golden " << path << " (PARDUNE_UPDATE_GOLDEN=1 writes it)";
  std::stringstream expected;
  expected << in.rdbuf();
  EXPECT_EQ(expected.str(), actual) << "golden " << name;
}

Recorder *Recorder::current = nullptr;

LONG_PTR WINAPI Recorder::Proc(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
  Recorder *self = current;
  bool draw = msg == DN_DRAWDIALOG || msg == DN_DRAWDLGITEM || msg == DN_CTLCOLORDLGITEM ||
              msg == DN_CTLCOLORDIALOG;
  LONG_PTR keep = param2;
  if (msg == DN_DRAWDLGITEM || msg == DN_EDITCHANGE || msg == DN_MOUSECLICK) keep = 0;
  if (self && (!draw || self->drawing)) self->notes.push_back(Note{msg, param1, keep});
  LONG_PTR result = 0;
  if (self && self->hook && self->hook(dlg, msg, param1, param2, &result)) return result;
  return farhost::DefDlgProc(dlg, msg, param1, param2);
}

FarDialogItem MakeItem(int type, int x1, int y1, int x2, int y2, DWORD flags, const char *text,
                       int selected, int focus, int defaultButton) {
  FarDialogItem item;
  std::memset(&item, 0, sizeof item);
  item.Type = type;
  item.X1 = x1;
  item.Y1 = y1;
  item.X2 = x2;
  item.Y2 = y2;
  item.Flags = flags;
  item.Selected = selected;
  item.Focus = focus;
  item.DefaultButton = defaultButton;
  std::strncpy(item.Data, text, sizeof item.Data - 1);
  return item;
}

}  // namespace farhost_test
