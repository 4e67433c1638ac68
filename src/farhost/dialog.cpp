#include "farhost/dialog.hpp"

#include <algorithm>
#include <cstring>

#include "farhost/label.hpp"

namespace farhost {

namespace {

std::vector<Dialog *> &LiveDialogs() {
  static std::vector<Dialog *> live;
  return live;
}

size_t TextLength(const char *data, size_t limit) {
  size_t n = 0;
  while (n < limit && data[n]) ++n;
  return n;
}

}  // namespace

Dialog *FindDialog(HANDLE handle) {
  for (Dialog *dialog : LiveDialogs())
    if (dialog == handle) return dialog;
  return nullptr;
}

Dialog::Dialog(int x1, int y1, int x2, int y2, const char *helpTopic, const FarDialogItem *items,
               int count, FARWINDOWPROC proc, LONG_PTR param)
    : reqX1_(x1), reqY1_(y1), reqX2_(x2), reqY2_(y2), proc_(proc), param_(param) {
  if (helpTopic) helpTopic_ = helpTopic;
  items_.resize(size_t(std::max(count, 0)));
  for (size_t i = 0; i < items_.size(); ++i) {
    items_[i].rec = items[i];
    items_[i].rec.Data[sizeof items_[i].rec.Data - 1] = 0;
    if (IsEdit(int(i))) items_[i].cursor = int(std::strlen(items_[i].rec.Data));
  }
  Layout();
  Place();
  for (int i = 0; i < ItemCount(); ++i)
    if (IsEdit(i)) KeepCursorVisible(i);
}

Dialog::~Dialog() {
  auto &live = LiveDialogs();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

void Dialog::Place() {
  const Screen &screen = TheScreen();
  const int width = RequestedWidth();
  int height = reqY1_ == -1 ? reqY2_ : reqY2_ - reqY1_ + 1;
  rect_.x1 = reqX1_ == -1 ? (screen.Width() - width) / 2 : reqX1_;
  rect_.y1 = reqY1_ == -1 ? (screen.Height() - height) / 2 : reqY1_;
  rect_.x2 = rect_.x1 + width - 1;
  rect_.y2 = rect_.y1 + height - 1;
}

int Dialog::RequestedWidth() const {
  return reqX1_ == -1 ? reqX2_ : reqX2_ - reqX1_ + 1;
}

void Dialog::MinimumScreen(int *columns, int *rows) const {
  *columns = reqX1_ == -1 ? reqX2_ : reqX2_ + 1;
  *rows = reqY1_ == -1 ? reqY2_ : reqY2_ + 1;
}

bool Dialog::IsEdit(int i) const {
  if (!ValidItem(i)) return false;
  int type = items_[i].rec.Type;
  return type == DI_EDIT || type == DI_PSWEDIT || type == DI_FIXEDIT;
}

bool Dialog::Focusable(int i) const {
  if (!ValidItem(i)) return false;
  const Item &item = items_[i];
  if (item.hidden || (item.rec.Flags & DIF_DISABLE)) return false;
  int type = item.rec.Type;
  return IsEdit(i) || type == DI_BUTTON || type == DI_CHECKBOX || type == DI_RADIOBUTTON;
}

int Dialog::FirstFocusable() const {
  for (int i = 0; i < ItemCount(); ++i)
    if (items_[i].rec.Focus && Focusable(i)) return i;
  for (int i = 0; i < ItemCount(); ++i)
    if (Focusable(i)) return i;
  return -1;
}

void Dialog::Layout() {
  for (Item &item : items_) PlaceItem(item);
  CenterGroups();
}

// One item's box from its record; a centered group is placed as a whole
// afterwards.
void Dialog::PlaceItem(Item &item) {
  const int width = RequestedWidth();
  const FarDialogItem &rec = item.rec;
  // An edit's text is no label: only the labelled items are measured.
  const bool labelled = rec.Type == DI_TEXT || rec.Type == DI_VTEXT || rec.Type == DI_BUTTON ||
                        rec.Type == DI_CHECKBOX || rec.Type == DI_RADIOBUTTON;
  int len = labelled ? LabelWidth(rec.Data, rec.Flags & DIF_SHOWAMPERSAND) : 0;
  Rect box{rec.X1, rec.Y1, rec.X2, rec.Y2};
  switch (rec.Type) {
    case DI_TEXT:
      if (rec.Flags & DIF_SEPARATOR) {
        box.y2 = box.y1;
        break;
      }
      if (rec.X1 == -1) box.x1 = (width - len) / 2;
      box.x2 = rec.X2 > rec.X1 && rec.X1 != -1 ? rec.X2 : box.x1 + len - 1;
      box.y2 = box.y1;
      break;
    case DI_VTEXT:
      box.x2 = box.x1;
      box.y2 = box.y1 + len - 1;
      break;
    case DI_BUTTON:
      box.x2 = box.x1 + len + ((rec.Flags & DIF_NOBRACKETS) ? 0 : 4) - 1;
      box.y2 = box.y1;
      break;
    case DI_CHECKBOX:
    case DI_RADIOBUTTON:
      box.x2 = box.x1 + 3 + (len ? len + 1 : 0) - 1;
      box.y2 = box.y1;
      break;
    case DI_EDIT:
    case DI_PSWEDIT:
    case DI_FIXEDIT:
      box.y2 = box.y1;
      break;
    default:
      break;
  }
  item.box = box;
}

void Dialog::CenterGroups() {
  const int width = RequestedWidth();
  // Runs of DIF_CENTERGROUP items on one line are centered together.
  for (size_t i = 0; i < items_.size();) {
    if (!(items_[i].rec.Flags & DIF_CENTERGROUP) || items_[i].rec.Type == DI_SINGLEBOX ||
        items_[i].rec.Type == DI_DOUBLEBOX) {
      ++i;
      continue;
    }
    size_t j = i;
    int total = -1;
    while (j < items_.size() && (items_[j].rec.Flags & DIF_CENTERGROUP) &&
           items_[j].rec.Y1 == items_[i].rec.Y1) {
      total += items_[j].box.Width() + 1;
      ++j;
    }
    int x = (width - total) / 2;
    for (size_t k = i; k < j; ++k) {
      int w = items_[k].box.Width();
      items_[k].box.x1 = x;
      items_[k].box.x2 = x + w - 1;
      x += w + 1;
    }
    i = j;
  }
}

bool Dialog::ChangeFocus(int index, bool moveSelect) {
  if (!Focusable(index)) return false;
  if (index == focus_) return true;
  int old = focus_;
  if (ValidItem(old)) {
    LONG_PTR answer = Notify(DN_KILLFOCUS, old, 0);
    if (answer >= 0 && answer != index) {
      if (answer == old) return false;
      if (Focusable(int(answer))) index = int(answer);
    }
  }
  focus_ = index;
  if (IsEdit(index)) KeepCursorVisible(index);
  Notify(DN_GOTFOCUS, index, 0);
  const FarDialogItem &rec = items_[index].rec;
  if (moveSelect && focus_ == index && rec.Type == DI_RADIOBUTTON && (rec.Flags & DIF_MOVESELECT) &&
      !rec.Selected)
    SelectRadio(index);
  return true;
}

// A radio group runs from an item with DIF_GROUP (or the first of a run of
// radio buttons) to the item before the next group or the next other item.
int Dialog::RadioGroupStart(int index) const {
  int start = index;
  while (start > 0 && !(items_[start].rec.Flags & DIF_GROUP) &&
         items_[start - 1].rec.Type == DI_RADIOBUTTON)
    --start;
  return start;
}

int Dialog::RadioGroupEnd(int index) const {
  int end = index + 1;
  while (end < ItemCount() && items_[end].rec.Type == DI_RADIOBUTTON &&
         !(items_[end].rec.Flags & DIF_GROUP))
    ++end;
  return end;
}

// The procedure is told of the new selection; a 0 puts the old one back.
void Dialog::SelectRadio(int index) {
  int start = RadioGroupStart(index), end = RadioGroupEnd(index);
  std::vector<int> was;
  for (int i = start; i < end; ++i) {
    was.push_back(items_[i].rec.Selected);
    items_[i].rec.Selected = 0;
  }
  items_[index].rec.Selected = 1;
  if (Notify(DN_BTNCLICK, index, 1) || closed_) return;
  for (int i = start; i < end; ++i) items_[i].rec.Selected = was[size_t(i - start)];
}

void Dialog::Press(int index) {
  if (!ValidItem(index) || closed_) return;
  FarDialogItem &rec = items_[index].rec;
  switch (rec.Type) {
    case DI_BUTTON:
      if (Notify(DN_BTNCLICK, index, 0) == 0) AskClose(index);
      break;
    case DI_CHECKBOX: {
      // Off, on, and with DIF_3STATE the third state, in turn.
      int was = rec.Selected;
      rec.Selected = (rec.Flags & DIF_3STATE) ? (was == 0 ? 1 : was == 1 ? 2 : 0) : (was ? 0 : 1);
      if (!Notify(DN_BTNCLICK, index, rec.Selected) && !closed_) items_[index].rec.Selected = was;
      break;
    }
    case DI_RADIOBUTTON:
      SelectRadio(index);
      break;
    default:
      break;
  }
}

void Dialog::AskClose(int item) {
  if (closed_) return;
  if (Notify(DN_CLOSE, item, 0)) {
    closed_ = true;
    result_ = item;
  }
}

LONG_PTR Dialog::Notify(int msg, int param1, LONG_PTR param2) {
  if (proc_) return proc_(static_cast<HANDLE>(this), msg, param1, param2);
  if (msg >= DM_USER) return 0;
  if (msg == DN_CLOSE || msg == DN_KEY || (msg >= DN_FIRST && msg < DM_USER))
    return DefaultAnswer(this, msg, param1, param2);
  return Message(msg, param1, param2);
}

LONG_PTR Dialog::DefaultAnswer(const Dialog *dialog, int msg, int param1, LONG_PTR param2) {
  switch (msg) {
    case DN_CLOSE:
    case DN_DRAWDIALOG:
    case DN_DRAWDLGITEM:
    case DN_EDITCHANGE:
    case DN_HOTKEY:
      return TRUE;
    case DN_BTNCLICK:  // a button closes the dialog; a box keeps its new state
      return dialog && dialog->ValidItem(param1) && dialog->items_[param1].rec.Type != DI_BUTTON
                 ? TRUE
                 : 0;
    case DN_CTLCOLORDIALOG:
    case DN_CTLCOLORDLGITEM:
    case DN_CTLCOLORDLGLIST:
    case DN_HELP:
      return param2;
    case DN_KILLFOCUS:
      return -1;
    default:
      return 0;
  }
}

void Dialog::RedrawNow() {
  if (!started_ || closed_ || lock_ > 0 || !Visible() || drawing_) return;
  Paint();
  ShowScreen();
}

void Dialog::DrawOnly() {
  focus_ = -1;
  started_ = true;
  PaintDetached();
}

int Dialog::Run(FarDialogItem *writeBack) {
  LiveDialogs().push_back(this);
  focus_ = FirstFocusable();
  Notify(DN_INITDIALOG, 0, param_);
  started_ = true;
  Open();
  while (!closed_) {
    HandleEvent(WaitInput());
    if (closed_) break;
    if (lock_ == 0 && Visible()) Paint();
    ShowScreen();
  }
  Close();
  auto &live = LiveDialogs();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  if (writeBack) {
    for (int i = 0; i < ItemCount(); ++i) {
      FarDialogItem &out = writeBack[i];
      const FarDialogItem &rec = items_[i].rec;
      out.Selected = rec.Selected;
      out.Flags = rec.Flags;
      out.Focus = i == focus_ ? 1 : 0;
      std::memcpy(out.Data, rec.Data, sizeof out.Data);
    }
  }
  return result_;
}

void Dialog::HandleEvent(const InputEvent &event) {
  switch (event.kind) {
    case InputEvent::Key:
      HandleKey(event.key);
      break;
    case InputEvent::Mouse:
      Click(event.x - rect_.x1, event.y - rect_.y1);
      break;
    case InputEvent::Quit:
      AskClose(-1);
      closed_ = true;  // input has ended: close even when refused
      break;
    default:
      break;
  }
}

LONG_PTR Dialog::Message(int msg, int param1, LONG_PTR param2) {
  switch (msg) {
    case DM_CLOSE:
      AskClose(param1);
      return closed_ ? TRUE : FALSE;
    case DM_ENABLE: {
      if (!ValidItem(param1)) return 0;
      DWORD &flags = items_[param1].rec.Flags;
      LONG_PTR was = (flags & DIF_DISABLE) ? 0 : 1;
      if (param2 == 0) flags |= DIF_DISABLE;
      if (param2 == 1) flags &= ~DWORD(DIF_DISABLE);
      return was;
    }
    case DM_ENABLEREDRAW: {
      LONG_PTR was = lock_;
      if (param1 == 0) {
        ++lock_;
      } else if (param1 == 1 && lock_ > 0) {
        if (--lock_ == 0) RedrawNow();
      }
      return was;
    }
    case DM_GETDLGRECT: {
      auto *out = reinterpret_cast<SMALL_RECT *>(param2);
      if (!out) return FALSE;
      out->Left = SHORT(rect_.x1);
      out->Top = SHORT(rect_.y1);
      out->Right = SHORT(rect_.x2);
      out->Bottom = SHORT(rect_.y2);
      return TRUE;
    }
    case DM_GETDLGITEM: {
      auto *out = reinterpret_cast<FarDialogItem *>(param2);
      if (!ValidItem(param1) || !out) return FALSE;
      *out = items_[param1].rec;
      return TRUE;
    }
    case DM_SETDLGITEM: {
      auto *in = reinterpret_cast<const FarDialogItem *>(param2);
      if (!ValidItem(param1) || !in) return FALSE;
      items_[param1].rec = *in;
      items_[param1].rec.Data[sizeof in->Data - 1] = 0;
      Layout();
      return TRUE;
    }
    case DM_GETTEXT: {
      if (!ValidItem(param1)) return 0;
      const char *text = items_[param1].rec.Data;
      int length = int(std::strlen(text));
      auto *out = reinterpret_cast<FarDialogItemData *>(param2);
      if (!out) return length;
      int n = std::min(length, std::max(out->PtrLength, 0));
      if (out->PtrData) {
        std::memcpy(out->PtrData, text, size_t(n));
        out->PtrData[n] = 0;
      }
      out->PtrLength = n;
      return n;
    }
    case DM_GETTEXTLENGTH:
      return ValidItem(param1) ? LONG_PTR(std::strlen(items_[param1].rec.Data)) : 0;
    case DM_SETTEXT: {
      auto *in = reinterpret_cast<const FarDialogItemData *>(param2);
      if (!ValidItem(param1) || !in) return 0;
      Item &item = items_[param1];
      size_t limit = sizeof item.rec.Data - 1;
      if (in->PtrLength > 0) limit = std::min(limit, size_t(in->PtrLength));
      size_t n = in->PtrData ? TextLength(in->PtrData, limit) : 0;
      std::memmove(item.rec.Data, in->PtrData ? in->PtrData : "", n);
      item.rec.Data[n] = 0;
      if (IsEdit(param1)) {
        if (!(item.rec.Flags & DIF_EDITOR)) item.cursor = std::min(item.cursor, int(n));
        KeepCursorVisible(param1);
      } else {
        // A new label moves its own item only, or the group it is centered in.
        PlaceItem(item);
        if (item.rec.Flags & DIF_CENTERGROUP) CenterGroups();
      }
      return LONG_PTR(n);
    }
    case DM_KEY: {
      auto *keys = reinterpret_cast<const DWORD *>(param2);
      if (!keys) return FALSE;
      for (int i = 0; i < param1 && !closed_; ++i) HandleKey(keys[i]);
      return TRUE;
    }
    case DM_SETFOCUS:
      return ChangeFocus(param1, false) ? TRUE : FALSE;
    case DM_GETFOCUS:
      return focus_;
    case DM_REDRAW:
      RedrawNow();
      return TRUE;
    case DM_SHOWDIALOG:
      if (!started_) return FALSE;
      if (param1) {
        Reveal();
        RedrawNow();
      } else {
        Hide();
        ShowScreen();
      }
      return TRUE;
    case DM_SHOWITEM: {
      if (!ValidItem(param1)) return FALSE;
      bool &hidden = items_[param1].hidden;
      hidden = param2 == -1 ? !hidden : param2 == 0;
      return TRUE;
    }
    case DM_GETCURSORPOS: {
      auto *out = reinterpret_cast<COORD *>(param2);
      if (!ValidItem(param1) || !out) return FALSE;
      out->X = SHORT(IsEdit(param1) ? items_[param1].cursor : 0);
      out->Y = 0;
      return TRUE;
    }
    case DM_SETCURSORPOS: {
      auto *in = reinterpret_cast<const COORD *>(param2);
      if (!IsEdit(param1) || !in) return FALSE;
      Item &item = items_[param1];
      int x = in->X;
      if (item.rec.Flags & DIF_EDITOR) {
        if (x < 0 || x > 511) return FALSE;
      } else {
        x = std::max(0, std::min(x, int(std::strlen(item.rec.Data))));
      }
      item.cursor = x;
      KeepCursorVisible(param1);
      return TRUE;
    }
    case DM_GETCHECK:
      return ValidItem(param1) ? items_[param1].rec.Selected : 0;
    case DM_SETCHECK: {
      if (!ValidItem(param1)) return 0;
      LONG_PTR was = items_[param1].rec.Selected;
      if (items_[param1].rec.Type == DI_RADIOBUTTON && param2)
        for (int i = RadioGroupStart(param1); i < RadioGroupEnd(param1); ++i)
          items_[i].rec.Selected = 0;
      items_[param1].rec.Selected = int(param2);
      return was;
    }
    case DM_GETITEMPOSITION: {
      auto *out = reinterpret_cast<SMALL_RECT *>(param2);
      if (!ValidItem(param1) || !out) return FALSE;
      Rect box = items_[param1].box;
      if (items_[param1].rec.Type == DI_TEXT && (items_[param1].rec.Flags & DIF_SEPARATOR))
        box = SeparatorLine(param1);
      out->Left = SHORT(box.x1);
      out->Top = SHORT(box.y1);
      out->Right = SHORT(box.x2);
      out->Bottom = SHORT(box.y2);
      return TRUE;
    }
    default:
      if (msg >= DN_FIRST) return Notify(msg, param1, param2);
      return 0;
  }
}

}  // namespace farhost
