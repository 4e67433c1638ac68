#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "farhost/dialog.hpp"
#include "farhost/help.hpp"
#include "farhost/label.hpp"

namespace farhost {

namespace {

constexpr DWORD kModifiers = KEY_CTRL | KEY_ALT | KEY_RCTRL | KEY_RALT;
constexpr int kMaxText = 511;

bool Printable(DWORD key) {
  return !(key & kModifiers) && (key & 0xFFF) >= 32 && (key & 0xFFF) <= 255;
}

}  // namespace

void Dialog::KeepCursorVisible(int index) {
  Item &item = items_[index];
  int width = item.box.Width();
  if (width <= 0) return;
  if (item.cursor < item.left) item.left = item.cursor;
  if (item.cursor >= item.left + width) item.left = item.cursor - width + 1;
  if (item.left < 0) item.left = 0;
}

void Dialog::SetCursorPos(int index, int pos) {
  Item &item = items_[index];
  int len = int(std::strlen(item.rec.Data));
  int limit = (item.rec.Flags & DIF_EDITOR) ? kMaxText : len;
  item.cursor = std::max(0, std::min(pos, limit));
  KeepCursorVisible(index);
}

void Dialog::EditChanged(int index) {
  KeepCursorVisible(index);
  Notify(DN_EDITCHANGE, index, reinterpret_cast<LONG_PTR>(&items_[index].rec));
}

// The first line of the clipboard's OEM text, typed in at the cursor.
void Dialog::PasteText(int index) {
  std::string text;
  if (!OpenClipboard(nullptr)) return;
  if (HANDLE block = GetClipboardData(CF_OEMTEXT)) {
    if (const char *data = static_cast<const char *>(GlobalLock(block))) {
      size_t size = GlobalSize(block);
      for (size_t i = 0; i < size && data[i] && data[i] != '\r' && data[i] != '\n'; ++i)
        text += data[i];
      GlobalUnlock(block);
    }
  }
  CloseClipboard();
  if (text.empty()) return;
  Item &item = items_[index];
  char *data = item.rec.Data;
  int len = int(std::strlen(data));
  if (item.cursor > len) {
    std::memset(data + len, ' ', size_t(item.cursor - len));
    len = item.cursor;
    data[len] = 0;
  }
  int n = std::min(int(text.size()), kMaxText - len);
  if (n <= 0) return;
  std::memmove(data + item.cursor + n, data + item.cursor, size_t(len - item.cursor + 1));
  std::memcpy(data + item.cursor, text.data(), size_t(n));
  item.cursor += n;
  EditChanged(index);
}

void Dialog::CopyText(const char *text) {
  size_t size = std::strlen(text) + 1;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return;
  if (void *data = GlobalLock(block)) {
    std::memcpy(data, text, size);
    GlobalUnlock(block);
  }
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    if (SetClipboardData(CF_OEMTEXT, block)) block = nullptr;
    CloseClipboard();
  }
  if (block) GlobalFree(block);
}

void Dialog::InsertChar(int index, char ch) {
  Item &item = items_[index];
  char *data = item.rec.Data;
  int len = int(std::strlen(data));
  if (item.cursor > len) {  // an editor field's cursor past the end: pad first
    if (item.cursor >= kMaxText) return;
    std::memset(data + len, ' ', size_t(item.cursor - len));
    len = item.cursor;
    data[len] = 0;
  }
  if (overtype_ && item.cursor < len) {
    data[item.cursor] = ch;
  } else {
    if (len >= kMaxText) return;
    std::memmove(data + item.cursor + 1, data + item.cursor, size_t(len - item.cursor + 1));
    data[item.cursor] = ch;
  }
  ++item.cursor;
  EditChanged(index);
}

bool Dialog::EditKey(int index, DWORD key) {
  Item &item = items_[index];
  char *data = item.rec.Data;
  int len = int(std::strlen(data));
  if (Printable(key)) {
    InsertChar(index, static_cast<char>(key & 0xFF));
    return true;
  }
  switch (key) {
    case KEY_BS:
      if (item.cursor == 0) return true;
      if (item.cursor > len) {
        --item.cursor;
        KeepCursorVisible(index);
        return true;
      }
      std::memmove(data + item.cursor - 1, data + item.cursor, size_t(len - item.cursor + 1));
      --item.cursor;
      EditChanged(index);
      return true;
    case KEY_DEL:
      if (item.cursor >= len) return true;
      std::memmove(data + item.cursor, data + item.cursor + 1, size_t(len - item.cursor));
      EditChanged(index);
      return true;
    case KEY_CTRL | 'Y':
      if (len == 0) return true;
      data[0] = 0;
      item.cursor = 0;
      EditChanged(index);
      return true;
    case KEY_HOME:
      SetCursorPos(index, 0);
      return true;
    case KEY_END:
      SetCursorPos(index, len);
      return true;
    case KEY_LEFT:
      SetCursorPos(index, std::max(0, item.cursor - 1));
      return true;
    case KEY_RIGHT:
      SetCursorPos(index, item.cursor + 1);
      return true;
    case KEY_INS:
      overtype_ = !overtype_;
      return true;
    case KEY_SHIFT | KEY_INS:
    case KEY_CTRL | 'V':
      PasteText(index);
      return true;
    case KEY_CTRL | KEY_INS:
    case KEY_CTRL | 'C':
      CopyText(data);
      return true;
    default:
      return false;
  }
}

// Tab stops: a radio group is one stop, at its selected button (at every
// button when none is selected), as the file manager skips groups.
bool Dialog::TabStop(int index) const {
  if (!Focusable(index)) return false;
  if (items_[index].rec.Type != DI_RADIOBUTTON || items_[index].rec.Selected) return true;
  for (int i = RadioGroupStart(index); i < RadioGroupEnd(index); ++i)
    if (items_[i].rec.Selected && Focusable(i)) return false;
  return true;
}

void Dialog::FocusStep(int step) {
  int n = ItemCount();
  if (n == 0) return;
  int start = ValidItem(focus_) ? focus_ : (step > 0 ? n - 1 : 0);
  for (int k = 1; k <= n; ++k) {
    int i = ((start + step * k) % n + n) % n;
    if (TabStop(i)) {
      ChangeFocus(i, false);
      return;
    }
  }
}

// The nearest focusable item in the direction of an arrow: along the axis
// first for Up/Down, the same line first for Left/Right.
void Dialog::FocusDirection(DWORD key) {
  if (!ValidItem(focus_)) {
    FocusStep(1);
    return;
  }
  const Rect &from = items_[focus_].box;
  int best = -1;
  long bestScore = LONG_MAX;
  for (int i = 0; i < ItemCount(); ++i) {
    if (i == focus_ || !Focusable(i)) continue;
    const Rect &to = items_[i].box;
    int dx = to.x1 - from.x1, dy = to.y1 - from.y1;
    long along = 0, across = 0;
    switch (key) {
      case KEY_DOWN:
        if (dy <= 0) continue;
        along = dy, across = std::abs(dx);
        break;
      case KEY_UP:
        if (dy >= 0) continue;
        along = -dy, across = std::abs(dx);
        break;
      case KEY_RIGHT:
        if (dx <= 0) continue;
        along = std::abs(dy), across = dx;
        break;
      case KEY_LEFT:
        if (dx >= 0) continue;
        along = std::abs(dy), across = -dx;
        break;
      default:
        return;
    }
    long score = along * 100000 + across;
    if (score < bestScore) {
      bestScore = score;
      best = i;
    }
  }
  if (best >= 0)
    ChangeFocus(best, true);
  else
    FocusStep(key == KEY_DOWN || key == KEY_RIGHT ? 1 : -1);
}

bool Dialog::Hotkey(DWORD key) {
  int ch = 0;
  if ((key & KEY_ALT) && !(key & KEY_CTRL)) {
    ch = UpperKey(int(key & 0xFFFF));
  } else if (!(key & (kModifiers | KEY_SHIFT)) && key < 256 && !IsEdit(focus_)) {
    ch = UpperKey(int(key));
  }
  if (ch <= ' ' || ch > 255) return false;
  for (int i = 0; i < ItemCount(); ++i) {
    const FarDialogItem &rec = items_[i].rec;
    if (items_[i].hidden || (rec.Flags & DIF_DISABLE) || (rec.Flags & DIF_SHOWAMPERSAND)) continue;
    if (IsEdit(i) || LabelHotkey(rec.Data) != ch) continue;
    // Declined once, the press is offered again, as the keyboard-layout
    // translation pass of the file manager does.
    if (!Notify(DN_HOTKEY, i, LONG_PTR(key)) && (closed_ || !Notify(DN_HOTKEY, i, LONG_PTR(key))))
      return true;
    if (closed_) return true;
    if (Focusable(i)) {
      ChangeFocus(i, false);
      Press(i);
      return true;
    }
    // A label or box title: the next focusable item, in a radio group the
    // selected button.
    for (int j = i + 1; j < ItemCount(); ++j) {
      if (!Focusable(j)) continue;
      if (items_[j].rec.Type == DI_RADIOBUTTON) {
        for (int k = j; k < ItemCount() && items_[k].rec.Type == DI_RADIOBUTTON; ++k) {
          if (k > j && (items_[k].rec.Flags & DIF_GROUP)) break;
          if (items_[k].rec.Selected && Focusable(k)) {
            j = k;
            break;
          }
        }
      }
      ChangeFocus(j, false);
      break;
    }
    return true;
  }
  return false;
}

void Dialog::Help() {
  const char *topic = helpTopic_.empty() ? nullptr : helpTopic_.c_str();
  LONG_PTR answer = Notify(DN_HELP, focus_, reinterpret_cast<LONG_PTR>(topic));
  if (answer) ShowHelpTopic(reinterpret_cast<const char *>(answer));
}

void Dialog::HandleKey(DWORD key) {
  if (closed_) return;
  if (Notify(DN_KEY, focus_, LONG_PTR(key)) || closed_) return;
  if (key == KEY_F1) return Help();
  if (key == KEY_ESC) return AskClose(-1);
  if (key == KEY_TAB) return FocusStep(1);
  if (key == (KEY_SHIFT | KEY_TAB)) return FocusStep(-1);
  if (IsEdit(focus_) && EditKey(focus_, key)) return;
  int type = ValidItem(focus_) ? items_[focus_].rec.Type : -1;
  switch (key) {
    case KEY_ENTER: {
      if (type == DI_BUTTON) return Press(focus_);
      for (int i = 0; i < ItemCount(); ++i)
        if (items_[i].rec.DefaultButton && !items_[i].hidden &&
            !(items_[i].rec.Flags & DIF_DISABLE))
          return Press(i);
      return AskClose(focus_);
    }
    case KEY_SPACE:
      if (type == DI_BUTTON || type == DI_CHECKBOX || type == DI_RADIOBUTTON) Press(focus_);
      return;
    case KEY_UP:
    case KEY_DOWN:
    case KEY_LEFT:
    case KEY_RIGHT:
      return FocusDirection(key);
    default:
      Hotkey(key);
      return;
  }
}

void Dialog::Click(int x, int y) {
  int hit = -1;
  for (int i = ItemCount() - 1; i >= 0 && hit < 0; --i)
    if (Focusable(i) && items_[i].box.Contains(x, y)) hit = i;
  if (hit < 0) return;
  COORD where{SHORT(rect_.x1 + x), SHORT(rect_.y1 + y)};
  if (Notify(DN_MOUSECLICK, hit, reinterpret_cast<LONG_PTR>(&where)) || closed_) return;
  ChangeFocus(hit, false);
  if (IsEdit(hit))
    SetCursorPos(hit, items_[hit].left + x - items_[hit].box.x1);
  else
    Press(hit);
}

}  // namespace farhost
