#include <algorithm>
#include <cstring>

#include "farhost/dialog.hpp"
#include "farhost/label.hpp"
#include "farhost/palette.hpp"

namespace farhost {

namespace {

// Colors travel packed: low byte the item's color, then its hotkey color,
// then a third one (box titles). A bare attribute serves for all three.
struct Colors {
  unsigned char normal, hot, extra;
};

Colors Unpack(LONG_PTR packed) {
  auto value = static_cast<DWORD>(packed);
  Colors colors;
  colors.normal = value & 0xFF;
  if (value >> 8) {
    colors.hot = (value >> 8) & 0xFF;
    colors.extra = (value >> 16) & 0xFF;
  } else {
    colors.hot = colors.extra = colors.normal;
  }
  return colors;
}

LONG_PTR Pack(unsigned char normal, unsigned char hot, unsigned char extra) {
  return LONG_PTR(DWORD(normal) | (DWORD(hot) << 8) | (DWORD(extra) << 16));
}

}  // namespace

unsigned char Dialog::Pal(int normal, int warn) const {
  return PaletteColor(warning_ ? warn : normal);
}

LONG_PTR Dialog::DefaultColors(int index) const {
  const FarDialogItem &rec = items_[index].rec;
  bool disabled = rec.Flags & DIF_DISABLE;
  unsigned char own = rec.Flags & DIF_COLORMASK;
  bool set = rec.Flags & DIF_SETCOLOR;
  unsigned char off = Pal(COL_DIALOGDISABLED, COL_WARNDIALOGDISABLED);
  switch (rec.Type) {
    case DI_SINGLEBOX:
    case DI_DOUBLEBOX: {
      unsigned char frame = set ? own : Pal(COL_DIALOGBOX, COL_WARNDIALOGBOX);
      unsigned char title = set ? own : Pal(COL_DIALOGBOXTITLE, COL_WARNDIALOGBOXTITLE);
      unsigned char hot =
          set ? own : Pal(COL_DIALOGHIGHLIGHTBOXTITLE, COL_WARNDIALOGHIGHLIGHTBOXTITLE);
      return Pack(frame, hot, title);
    }
    case DI_EDIT:
    case DI_PSWEDIT:
    case DI_FIXEDIT: {
      unsigned char edit = disabled ? Pal(COL_DIALOGEDITDISABLED, COL_WARNDIALOGEDITDISABLED)
                                    : Pal(COL_DIALOGEDIT, COL_WARNDIALOGEDIT);
      return Pack(edit, Pal(COL_DIALOGEDITSELECTED_, COL_WARNDIALOGEDITSELECTED), edit);
    }
    case DI_BUTTON: {
      if (disabled) return Pack(off, off, off);
      bool focused = index == focus_;
      unsigned char normal = focused ? Pal(COL_DIALOGSELECTEDBUTTON, COL_WARNDIALOGSELECTEDBUTTON)
                                     : Pal(COL_DIALOGBUTTON, COL_WARNDIALOGBUTTON);
      unsigned char hot =
          focused ? Pal(COL_DIALOGHIGHLIGHTSELECTEDBUTTON, COL_WARNDIALOGHIGHLIGHTSELECTEDBUTTON)
                  : Pal(COL_DIALOGHIGHLIGHTBUTTON, COL_WARNDIALOGHIGHLIGHTBUTTON);
      if (set) normal = hot = own;
      return Pack(normal, hot, normal);
    }
    default: {
      if (disabled) return Pack(off, off, off);
      unsigned char normal = set                          ? own
                             : (rec.Flags & DIF_BOXCOLOR) ? Pal(COL_DIALOGBOX, COL_WARNDIALOGBOX)
                                                          : Pal(COL_DIALOGTEXT, COL_WARNDIALOGTEXT);
      unsigned char hot = set ? own : Pal(COL_DIALOGHIGHLIGHTTEXT, COL_WARNDIALOGHIGHLIGHTTEXT);
      return Pack(normal, hot, normal);
    }
  }
}

// The line of a separator: across the innermost box that holds its row,
// else across the standard frame (3 columns in from each side).
Rect Dialog::SeparatorLine(int index) const {
  int y = items_[index].rec.Y1;
  Rect line{3, y, rect_.Width() - 4, y};
  int best = -1;
  for (const Item &item : items_) {
    const FarDialogItem &rec = item.rec;
    if ((rec.Type != DI_SINGLEBOX && rec.Type != DI_DOUBLEBOX) || item.hidden) continue;
    if (y <= rec.Y1 || y >= rec.Y2) continue;
    int width = rec.X2 - rec.X1;
    if (best < 0 || width < best) {
      best = width;
      line = Rect{rec.X1, y, rec.X2, y};
    }
  }
  return line;
}

void Dialog::Paint() {
  if (drawing_ || !Visible()) return;
  drawing_ = true;
  Screen &screen = TheScreen();
  Notify(DN_DRAWDIALOG, 0, 0);
  unsigned char back = Pal(COL_DIALOGTEXT, COL_WARNDIALOGTEXT);
  back = static_cast<unsigned char>(Notify(DN_CTLCOLORDIALOG, 0, back) & 0xFF);
  screen.Fill(rect_.x1, rect_.y1, rect_.x2, rect_.y2, ' ', back);
  DrawShadow(screen, rect_);
  for (int i = 0; i < ItemCount() && !closed_; ++i) {
    if (items_[i].hidden) continue;
    LONG_PTR colors = Notify(DN_CTLCOLORDLGITEM, i, DefaultColors(i));
    if (!Notify(DN_DRAWDLGITEM, i, reinterpret_cast<LONG_PTR>(&items_[i].rec))) continue;
    DrawItem(i, colors);
  }
  PlaceCursor();
  drawing_ = false;
}

void Dialog::DrawItem(int index, LONG_PTR packed) {
  Screen &screen = TheScreen();
  const Item &item = items_[index];
  const FarDialogItem &rec = item.rec;
  Colors colors = Unpack(packed);
  Label label = ParseLabel(rec.Data, rec.Flags & DIF_SHOWAMPERSAND);
  int x0 = rect_.x1, y0 = rect_.y1;
  int len = int(label.text.size());
  switch (rec.Type) {
    case DI_TEXT: {
      if (rec.Flags & DIF_SEPARATOR) {
        Rect line = SeparatorLine(index);
        bool dbl = false, framed = false;
        for (const Item &box : items_)
          if ((box.rec.Type == DI_SINGLEBOX || box.rec.Type == DI_DOUBLEBOX) &&
              box.rec.X1 == line.x1 && box.rec.X2 == line.x2 && line.y1 > box.rec.Y1 &&
              line.y1 < box.rec.Y2) {
            dbl = box.rec.Type == DI_DOUBLEBOX;
            framed = true;
          }
        if (!framed) dbl = true;
        for (int x = line.x1 + 1; x < line.x2; ++x)
          screen.Put(x0 + x, y0 + line.y1, BOX_H, colors.normal);
        screen.Put(x0 + line.x1, y0 + line.y1, dbl ? BOX2_LT : BOX_LT, colors.normal);
        screen.Put(x0 + line.x2, y0 + line.y1, dbl ? BOX2_RT : BOX_RT, colors.normal);
        if (len == 0) break;
        int room = line.Width() - 4;
        if (room <= 0) break;
        int shown = std::min(len, room);
        int x =
            rec.X1 == -1 ? line.x1 + (line.Width() - shown - 2) / 2 : std::max(rec.X1, line.x1 + 1);
        screen.Put(x0 + x, y0 + line.y1, ' ', colors.normal);
        DrawLabel(screen, x0 + x + 1, y0 + line.y1, label, colors.normal, colors.hot, shown);
        screen.Put(x0 + x + 1 + shown, y0 + line.y1, ' ', colors.normal);
        break;
      }
      DrawLabel(screen, x0 + item.box.x1, y0 + item.box.y1, label, colors.normal, colors.hot,
                item.box.Width());
      break;
    }
    case DI_VTEXT:
      for (int i = 0; i < len; ++i)
        screen.Put(x0 + item.box.x1, y0 + item.box.y1 + i,
                   static_cast<unsigned char>(label.text[i]),
                   i == label.hot ? colors.hot : colors.normal);
      break;
    case DI_SINGLEBOX:
    case DI_DOUBLEBOX: {
      Rect box{x0 + rec.X1, y0 + rec.Y1, x0 + rec.X2, y0 + rec.Y2};
      DrawFrame(screen, box, rec.Type == DI_DOUBLEBOX, colors.normal);
      if (len == 0) break;
      int shown = std::min(len, box.Width() - 4);
      if (shown <= 0) break;
      int x = (rec.Flags & DIF_LEFTTEXT) ? box.x1 + 1 : box.x1 + (box.Width() - shown - 2) / 2;
      screen.Put(x, box.y1, ' ', colors.extra);
      DrawLabel(screen, x + 1, box.y1, label, colors.extra, colors.hot, shown);
      screen.Put(x + 1 + shown, box.y1, ' ', colors.extra);
      break;
    }
    case DI_EDIT:
    case DI_PSWEDIT:
    case DI_FIXEDIT: {
      int width = item.box.Width();
      int textLen = int(std::strlen(rec.Data));
      int y = y0 + item.box.y1;
      for (int i = 0; i < width; ++i) {
        int at = item.left + i;
        unsigned char ch = ' ';
        if (at < textLen)
          ch = rec.Type == DI_PSWEDIT ? '*' : static_cast<unsigned char>(rec.Data[at]);
        screen.Put(x0 + item.box.x1 + i, y, ch, colors.normal);
      }
      break;
    }
    case DI_BUTTON: {
      int x = x0 + item.box.x1, y = y0 + item.box.y1;
      if (rec.Flags & DIF_NOBRACKETS) {
        DrawLabel(screen, x, y, label, colors.normal, colors.hot, -1);
        break;
      }
      screen.Text(x, y, colors.normal, rec.DefaultButton ? "{ " : "[ ");
      DrawLabel(screen, x + 2, y, label, colors.normal, colors.hot, -1);
      screen.Text(x + 2 + len, y, colors.normal, rec.DefaultButton ? " }" : " ]");
      break;
    }
    case DI_CHECKBOX:
    case DI_RADIOBUTTON: {
      int x = x0 + item.box.x1, y = y0 + item.box.y1;
      bool radio = rec.Type == DI_RADIOBUTTON;
      bool third = !radio && (rec.Flags & DIF_3STATE) && rec.Selected == 2;
      unsigned char mark = radio          ? (rec.Selected ? (unsigned char)RADIO_MARK : ' ')
                           : third        ? '?'
                           : rec.Selected ? 'x'
                                          : ' ';
      screen.Put(x, y, radio ? '(' : '[', colors.normal);
      screen.Put(x + 1, y, mark, colors.normal);
      screen.Put(x + 2, y, radio ? ')' : ']', colors.normal);
      if (len) {
        screen.Put(x + 3, y, ' ', colors.normal);
        DrawLabel(screen, x + 4, y, label, colors.normal, colors.hot, -1);
      }
      break;
    }
    default:
      break;
  }
}

void Dialog::PlaceCursor() {
  Screen &screen = TheScreen();
  screen.SetCursorBlock(overtype_);
  if (!ValidItem(focus_) || items_[focus_].hidden) {
    screen.SetCursor(0, 0, false);
    return;
  }
  const Item &item = items_[focus_];
  int x = rect_.x1 + item.box.x1, y = rect_.y1 + item.box.y1;
  switch (item.rec.Type) {
    case DI_CHECKBOX:
    case DI_RADIOBUTTON:
      screen.SetCursor(x + 1, y, true);
      break;
    case DI_EDIT:
    case DI_PSWEDIT:
    case DI_FIXEDIT:
      screen.SetCursor(x + item.cursor - item.left, y, true);
      break;
    default:
      screen.SetCursor(x, y, false);
      break;
  }
}

}  // namespace farhost
