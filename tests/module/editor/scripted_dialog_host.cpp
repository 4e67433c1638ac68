#include "scripted_dialog_host.hpp"

#include <cstdio>
#include <cstring>

#include "host/host_state.hpp"

static ScriptedDialogHost *Current = nullptr;

ScriptedDialogHost::ScriptedDialogHost() : items(kItems) {
  memset(&info, 0, sizeof info);
  info.StructSize = sizeof info;
  info.ModuleNumber = 7;
  info.SendDlgMessage = &ScriptedDialogHost::SendDlgMessage;
  info.DefDlgProc = &ScriptedDialogHost::SendDlgMessage;
  info.AdvControl = &ScriptedDialogHost::AdvControl;
  info.Text = &ScriptedDialogHost::Text;
  info.EditorControl = &ScriptedDialogHost::EditorControl;
  // The tester's rows at 80 columns: edit items from column 13 to 72.
  for (int i = 0; i < 6; i++) {
    items[8 + i].rect = {13, static_cast<SHORT>(4 + i), 72, static_cast<SHORT>(4 + i)};
    items[23 + i].rect = {13, static_cast<SHORT>(13 + i), 72, static_cast<SHORT>(13 + i)};
  }
  items[1].rect = {13, 2, 13, 2};
  items[15].rect = {13, 11, 13, 11};
  memset(chars_, ' ', sizeof chars_);
  memset(colors_, 0, sizeof colors_);
  previous_ = Host.HostInfo;
  Host.HostInfo = &info;
  Current = this;
}

ScriptedDialogHost::~ScriptedDialogHost() {
  Host.HostInfo = previous_;
  Current = nullptr;
}

int ScriptedDialogHost::CountOf(int message) const {
  int n = 0;
  for (const SentMessage &m : sent) n += m.message == message;
  return n;
}

std::string ScriptedDialogHost::ScreenText(int x, int y, int count) const {
  std::string out;
  for (int i = 0; i < count; i++) out += static_cast<char>(chars_[y][x + i]);
  return out;
}

std::string ScriptedDialogHost::ScreenColors(int x, int y, int count) const {
  std::string out;
  char hex[3];
  for (int i = 0; i < count; i++) {
    snprintf(hex, sizeof hex, "%02X", colors_[y][x + i]);
    out += hex;
  }
  return out;
}

LONG_PTR WINAPI ScriptedDialogHost::SendDlgMessage(HANDLE dialog, int message, int param1,
                                                   LONG_PTR param2) {
  ScriptedDialogHost *host = reinterpret_cast<ScriptedDialogHost *>(dialog);
  if (host != Current) return 0;
  host->sent.push_back({message, param1, param2});
  LONG_PTR answer = host->Answer(message, param1, param2);
  auto fixed = host->replies.find(message);
  return fixed != host->replies.end() ? fixed->second : answer;
}

LONG_PTR ScriptedDialogHost::Answer(int message, int param1, LONG_PTR param2) {
  bool isItem = param1 >= 0 && param1 < kItems;
  switch (message) {
    case DM_ENABLEREDRAW:
      redrawLock += param1 == 0 ? 1 : -1;
      return 0;
    case DM_GETDLGRECT:
      *reinterpret_cast<SMALL_RECT *>(param2) = dialogRect;
      return 1;
    case DM_GETTEXT: {
      if (!isItem) return 0;
      FarDialogItemData *data = reinterpret_cast<FarDialogItemData *>(param2);
      size_t n = items[param1].text.size();
      if (n > static_cast<size_t>(data->PtrLength)) n = static_cast<size_t>(data->PtrLength);
      memcpy(data->PtrData, items[param1].text.data(), n);
      data->PtrData[n] = 0;
      return static_cast<LONG_PTR>(n);
    }
    case DM_SETTEXT: {
      if (!isItem) return 0;
      FarDialogItemData *data = reinterpret_cast<FarDialogItemData *>(param2);
      items[param1].text = std::string(data->PtrData).substr(0, 511);
      return static_cast<LONG_PTR>(items[param1].text.size());
    }
    case DM_SETFOCUS:
      focus = param1;
      return 1;
    case DM_GETFOCUS:
      return focus;
    case DM_GETCURSORPOS:
      if (!isItem) return 0;
      reinterpret_cast<COORD *>(param2)->X = static_cast<SHORT>(items[param1].cursor);
      reinterpret_cast<COORD *>(param2)->Y = 0;
      return 1;
    case DM_SETCURSORPOS: {
      int x = reinterpret_cast<COORD *>(param2)->X;
      if (!isItem || x < 0 || x > maxCursor) return 0;
      items[param1].cursor = x;
      return 1;
    }
    case DM_SHOWITEM:
      if (!isItem) return 0;
      items[param1].visible = param2 != 0;
      return 1;
    case DM_GETITEMPOSITION:
      if (!isItem || param1 == refusePositionOf) return 0;
      *reinterpret_cast<SMALL_RECT *>(param2) = items[param1].rect;
      return 1;
    default:
      return 0;
  }
}

int WINAPI ScriptedDialogHost::AdvControl(int, int command, void *param) {
  if (command == ACTL_GETCOLOR && reinterpret_cast<LONG_PTR>(param) == COL_DIALOGEDITSELECTED)
    return kSelectionColor;
  return 0;
}

void WINAPI ScriptedDialogHost::Text(int x, int y, int color, const char *text) {
  if (!Current) return;
  Current->texts.push_back({x, y, color, text});
  if (y < 0 || y >= kHeight) return;
  for (int i = 0; text[i] && x + i < kWidth; i++) {
    if (x + i < 0) continue;
    Current->chars_[y][x + i] = static_cast<unsigned char>(text[i]);
    Current->colors_[y][x + i] = static_cast<unsigned char>(color);
  }
}

int WINAPI ScriptedDialogHost::EditorControl(int command, void *param) {
  if (!Current || !Current->editorOpen || !param) return 0;
  const std::vector<std::string> &lines = Current->editorLines;
  if (command == ECTL_GETINFO) {
    EditorInfo *info = static_cast<EditorInfo *>(param);
    memset(info, 0, sizeof *info);
    info->TotalLines = static_cast<int>(lines.size());
    return 1;
  }
  if (command == ECTL_GETSTRING) {
    EditorGetString *record = static_cast<EditorGetString *>(param);
    int n = record->StringNumber < 0 ? 0 : record->StringNumber;
    if (n >= static_cast<int>(lines.size())) return 0;
    Current->editorReads++;
    record->StringText = lines[n].c_str();
    record->StringEOL = "\n";
    record->StringLength = static_cast<int>(lines[n].size());
    record->SelStart = -1;
    record->SelEnd = -1;
    return 1;
  }
  return 0;
}
