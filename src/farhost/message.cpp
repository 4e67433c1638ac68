#include "farhost/message.hpp"

#include <far170/plugin.hpp>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "farhost/dialog.hpp"
#include "farhost/failure.hpp"
#include "farhost/label.hpp"

namespace farhost {

namespace {

std::vector<std::string> SplitLines(const char *text) {
  std::vector<std::string> lines;
  std::string line;
  for (const char *p = text ? text : ""; *p; ++p) {
    if (*p == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (*p != '\r') {
      line += *p;
    }
  }
  lines.push_back(line);
  return lines;
}

// Long lines are wrapped at the last blank that fits, else cut.
std::vector<std::string> Wrap(const std::vector<std::string> &lines, size_t width) {
  std::vector<std::string> out;
  for (const std::string &whole : lines) {
    std::string rest = whole;
    while (rest.size() > width) {
      size_t cut = rest.rfind(' ', width);
      if (cut == std::string::npos || cut == 0) cut = width;
      out.push_back(rest.substr(0, cut));
      rest.erase(0, rest[cut] == ' ' ? cut + 1 : cut);
    }
    out.push_back(rest);
  }
  return out;
}

void SetData(FarDialogItem &item, const std::string &text) {
  size_t n = std::min(text.size(), sizeof item.Data - 1);
  std::memcpy(item.Data, text.data(), n);
  item.Data[n] = 0;
}

}  // namespace

namespace {

int RunMessage(DWORD flags, const char *const *items, int itemsNumber, int buttonsNumber) {
  std::vector<std::string> all;
  if (flags & FMSG_ALLINONE) {
    all = SplitLines(reinterpret_cast<const char *>(items));
  } else {
    for (int i = 0; items && i < itemsNumber; ++i) all.push_back(items[i] ? items[i] : "");
  }
  std::vector<std::string> buttons;
  switch (flags & 0x000F0000u) {
    case FMSG_MB_OK:
      buttons = {"OK"};
      break;
    case FMSG_MB_OKCANCEL:
      buttons = {"OK", "&Cancel"};
      break;
    case FMSG_MB_ABORTRETRYIGNORE:
      buttons = {"&Abort", "&Retry", "&Ignore"};
      break;
    case FMSG_MB_YESNO:
      buttons = {"&Yes", "&No"};
      break;
    default: {
      int count = std::max(0, std::min(buttonsNumber, int(all.size()) - 1));
      buttons.assign(all.end() - count, all.end());
      all.resize(all.size() - size_t(count));
      break;
    }
  }
  std::string title = all.empty() ? std::string() : all.front();
  std::vector<std::string> raw(all.size() > 1 ? all.begin() + 1 : all.end(), all.end());

  const Screen &screen = TheScreen();
  size_t limit = size_t(std::max(20, screen.Width() - 10));
  std::vector<std::string> lines = Wrap(raw, limit);
  size_t width = ParseLabel(title.c_str(), false).text.size() + 2;
  for (const std::string &line : lines) width = std::max(width, line.size());
  size_t buttonsWidth = 0;
  for (const std::string &b : buttons) buttonsWidth += ParseLabel(b.c_str(), false).text.size() + 5;
  width = std::min(std::max(width, buttonsWidth), limit);

  int w = int(width) + 10;
  int h = int(lines.size()) + (buttons.empty() ? 4 : 5);
  std::vector<FarDialogItem> records(1 + lines.size() + buttons.size());
  for (FarDialogItem &record : records) std::memset(&record, 0, sizeof record);
  FarDialogItem &box = records[0];
  box.Type = DI_DOUBLEBOX;
  box.X1 = 3;
  box.Y1 = 1;
  box.X2 = w - 4;
  box.Y2 = h - 2;
  box.Flags = DIF_SHOWAMPERSAND;
  SetData(box, title);
  for (size_t i = 0; i < lines.size(); ++i) {
    FarDialogItem &item = records[1 + i];
    item.Type = DI_TEXT;
    item.Y1 = item.Y2 = int(2 + i);
    item.Flags = DIF_SHOWAMPERSAND;
    if (!lines[i].empty() && lines[i][0] == '\x01') {
      item.Flags |= DIF_SEPARATOR | DIF_BOXCOLOR;
      item.X1 = -1;
      SetData(item, lines[i].substr(1));
      continue;
    }
    item.X1 = (flags & FMSG_LEFTALIGN) ? 5 : -1;
    SetData(item, lines[i]);
  }
  size_t first = 1 + lines.size();
  for (size_t i = 0; i < buttons.size(); ++i) {
    FarDialogItem &item = records[first + i];
    item.Type = DI_BUTTON;
    item.Y1 = item.Y2 = int(2 + lines.size());
    item.Flags = DIF_CENTERGROUP;
    item.Focus = i == 0;
    SetData(item, buttons[i]);
  }
  Dialog dialog(-1, -1, w, h, nullptr, records.data(), int(records.size()), nullptr, 0);
  dialog.SetWarning(flags & FMSG_WARNING);
  if (buttons.empty()) {
    dialog.DrawOnly();
    return -1;
  }
  int chosen = dialog.Run(nullptr);
  return chosen < int(first) ? -1 : chosen - int(first);
}

}  // namespace

int WINAPI Message(int, DWORD flags, const char *, const char *const *items, int itemsNumber,
                   int buttonsNumber) {
  try {
    return RunMessage(flags, items, itemsNumber, buttonsNumber);
  } catch (...) {  // out of memory: no box, no choice, the program ends
    NoteFailure();
    return -1;
  }
}

int ShowMessage(DWORD flags, const char *allInOne) {
  return Message(0, flags | FMSG_ALLINONE, nullptr, reinterpret_cast<const char *const *>(allInOne),
                 0, 0);
}

}  // namespace farhost
