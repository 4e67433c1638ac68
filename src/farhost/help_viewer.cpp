#include <far170/plugin.hpp>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "farhost/failure.hpp"
#include "farhost/help.hpp"
#include "farhost/message.hpp"
#include "farhost/palette.hpp"
#include "farhost/window.hpp"

namespace farhost {

namespace {

std::string helpModule;

struct Row {
  int line = 0;   // topic line
  int start = 0;  // first character of the line shown in this row
  int length = 0;
};

// A full-screen window showing one topic at a time, with a history.
class HelpViewer : public Window {
 public:
  explicit HelpViewer(const HelpFile &file) : file_(file) {}

  bool Run(const HelpTopicText *topic) {
    topic_ = topic;
    Open();
    Layout();
    SelectFirstVisible();
    Paint();
    ShowScreen();
    for (;;) {
      InputEvent event = WaitInput();
      if (event.kind == InputEvent::Quit) break;
      if (event.kind == InputEvent::Key && !Key(event.key)) break;
      if (event.kind == InputEvent::Mouse) Click(event.x, event.y);
      Paint();
      ShowScreen();
    }
    Close();
    return true;
  }

  void Place() override {
    const Screen &screen = TheScreen();
    rect_ = Rect{0, 0, screen.Width() - 1, screen.Height() - 1};
    Layout();
  }

  void Paint() override {
    Screen &screen = TheScreen();
    unsigned char text = PaletteColor(COL_HELPTEXT), box = PaletteColor(COL_HELPBOX);
    screen.Fill(rect_.x1, rect_.y1, rect_.x2, rect_.y2, ' ', text);
    DrawFrame(screen, rect_, true, box);
    std::string title = " " + (topic_->title.empty() ? topic_->name : topic_->title) + " ";
    if (int(title.size()) > rect_.Width() - 4) title.resize(size_t(std::max(0, rect_.Width() - 4)));
    screen.Text(rect_.x1 + (rect_.Width() - int(title.size())) / 2, rect_.y1,
                PaletteColor(COL_HELPBOXTITLE), title.c_str());
    const char *hint = " Tab link  Enter go  BkSp back  Esc close ";
    if (int(std::string(hint).size()) < rect_.Width() - 4)
      screen.Text(rect_.x2 - 2 - int(std::string(hint).size()), rect_.y2, box, hint);
    for (int r = 0; r < Page(); ++r) {
      int index = top_ + r;
      if (index >= int(rows_.size())) break;
      const Row &row = rows_[size_t(index)];
      const HelpLine &line = topic_->lines[size_t(row.line)];
      for (int k = 0; k < row.length; ++k) {
        int style = line.style[size_t(row.start + k)];
        unsigned char attr = style == 0               ? text
                             : style == 1             ? PaletteColor(COL_HELPHIGHLIGHTTEXT)
                             : style - 2 == selected_ ? PaletteColor(COL_HELPSELECTEDTOPIC)
                                                      : PaletteColor(COL_HELPTOPIC);
        screen.Put(ContentX() + k, ContentY() + r,
                   static_cast<unsigned char>(line.text[size_t(row.start + k)]), attr);
      }
    }
    if (rows_.size() > size_t(Page())) {  // scroll position in the right frame
      int span = std::max(1, Page() - 1);
      int maxTop = int(rows_.size()) - Page();
      screen.Put(rect_.x2, ContentY() + top_ * span / std::max(1, maxTop), 0xB2, box);
    }
    screen.SetCursor(0, 0, false);
  }

 private:
  int ContentX() const { return rect_.x1 + 2; }
  int ContentY() const { return rect_.y1 + 1; }
  int ContentWidth() const { return std::max(1, rect_.Width() - 4); }
  int Page() const { return std::max(1, rect_.Height() - 2); }

  void Layout() {
    rows_.clear();
    if (!topic_) return;
    int width = ContentWidth();
    for (size_t i = 0; i < topic_->lines.size(); ++i) {
      const std::string &text = topic_->lines[i].text;
      int len = int(text.size());
      int start = 0;
      do {
        int n = std::min(width, len - start);
        if (start + n < len && text[size_t(start + n)] != ' ') {  // wrap at the last blank
          int cut = int(text.rfind(' ', size_t(start + n - 1)));
          if (cut > start) n = cut - start + 1;
        }
        rows_.push_back(Row{int(i), start, n});
        start += n;
        if (start < len && text[size_t(start)] == ' ' && n == width) ++start;
      } while (start < len);
    }
    top_ = std::max(0, std::min(top_, MaxTop()));
  }

  int MaxTop() const { return std::max(0, int(rows_.size()) - Page()); }

  // The first row showing a link, or -1.
  int RowOfLink(int link) const {
    for (size_t r = 0; r < rows_.size(); ++r) {
      const HelpLine &line = topic_->lines[size_t(rows_[r].line)];
      for (int k = 0; k < rows_[r].length; ++k)
        if (line.style[size_t(rows_[r].start + k)] == link + 2) return int(r);
    }
    return -1;
  }

  void SelectFirstVisible() {
    selected_ = -1;
    for (int link = 0; link < int(topic_->links.size()); ++link) {
      int row = RowOfLink(link);
      if (row >= top_ && row < top_ + Page()) {
        selected_ = link;
        return;
      }
    }
  }

  void StepLink(int step) {
    int count = int(topic_->links.size());
    if (count == 0) return;
    selected_ = selected_ < 0 ? (step > 0 ? 0 : count - 1) : (selected_ + step + count) % count;
    int row = RowOfLink(selected_);
    if (row < top_) top_ = row;
    if (row >= top_ + Page()) top_ = std::min(MaxTop(), row);
  }

  void Scroll(int delta) {
    top_ = std::max(0, std::min(top_ + delta, MaxTop()));
    int row = selected_ >= 0 ? RowOfLink(selected_) : -1;
    if (row < top_ || row >= top_ + Page()) SelectFirstVisible();
  }

  void Go(const std::string &target, bool remember) {
    const HelpTopicText *next = file_.Find(target);
    if (!next) {
      std::string text = "Help\nThe help topic \"" + target + "\" is not in\n" + file_.path;
      ShowMessage(FMSG_WARNING | FMSG_ALLINONE | FMSG_MB_OK, text.c_str());
      return;
    }
    if (remember) history_.push_back(Place_{topic_, top_, selected_});
    topic_ = next;
    top_ = 0;
    Layout();
    SelectFirstVisible();
  }

  // False closes the viewer.
  bool Key(DWORD key) {
    switch (key) {
      case KEY_ESC:
      case KEY_F12 - 2:  // F10
        return false;
      case KEY_TAB:
        StepLink(1);
        break;
      case KEY_SHIFT | KEY_TAB:
        StepLink(-1);
        break;
      case KEY_ENTER:
        if (selected_ >= 0) Go(topic_->links[size_t(selected_)].target, true);
        break;
      case KEY_BS:
        if (!history_.empty()) {
          Place_ back = history_.back();
          history_.pop_back();
          topic_ = back.topic;
          Layout();
          top_ = std::min(back.top, MaxTop());
          selected_ = back.selected;
        }
        break;
      case KEY_UP:
        Scroll(-1);
        break;
      case KEY_DOWN:
        Scroll(1);
        break;
      case KEY_PGUP:
        Scroll(-Page());
        break;
      case KEY_PGDN:
        Scroll(Page());
        break;
      case KEY_HOME:
      case KEY_CTRL | KEY_HOME:
        Scroll(-int(rows_.size()));
        break;
      case KEY_END:
      case KEY_CTRL | KEY_END:
        Scroll(int(rows_.size()));
        break;
      default:
        break;
    }
    return true;
  }

  void Click(int x, int y) {
    int r = top_ + y - ContentY(), k = x - ContentX();
    if (y < ContentY() || r >= int(rows_.size()) || r - top_ >= Page() || k < 0) return;
    const Row &row = rows_[size_t(r)];
    if (k >= row.length) return;
    int style = topic_->lines[size_t(row.line)].style[size_t(row.start + k)];
    if (style < 2) return;
    selected_ = style - 2;
    Go(topic_->links[size_t(selected_)].target, true);
  }

  struct Place_ {
    const HelpTopicText *topic;
    int top;
    int selected;
  };

  const HelpFile &file_;
  const HelpTopicText *topic_ = nullptr;
  std::vector<Row> rows_;
  std::vector<Place_> history_;
  int top_ = 0;
  int selected_ = -1;
};

std::string ParentFolder(const std::string &path) {
  size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

void HelpError(const std::string &text) {
  std::string all = "Help\n" + text;
  ShowMessage(FMSG_WARNING | FMSG_ALLINONE | FMSG_MB_OK, all.c_str());
}

}  // namespace

void SetHelpModule(const std::string &modulePath) {
  helpModule = modulePath;
}

namespace {

BOOL ShowHelpFile(const char *moduleName, const char *topicName, DWORD flags) {
  std::string folder = moduleName ? moduleName : "";
  if (!(flags & FHELP_CUSTOMPATH)) folder = ParentFolder(folder);
  std::string topic = topicName ? topicName : "";
  if (!topic.empty() && topic[0] == '<') {
    size_t close = topic.find('>');
    if (close != std::string::npos) {
      folder = topic.substr(1, close - 1);
      while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
      topic.erase(0, close + 1);
    }
  }
  if (topic.empty()) topic = "Contents";
  std::string path = FindHelpFile(folder);
  if (path.empty()) {
    HelpError("There is no help file (.hlf) in\n" + folder);
    return FALSE;
  }
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  if (in.is_open()) text << in.rdbuf();
  if (!in.is_open() || in.bad()) {
    HelpError("The help file cannot be read:\n" + path);
    return FALSE;
  }
  HelpFile file = ParseHelp(text.str());
  file.path = path;
  const HelpTopicText *found = file.Find(topic);
  if (!found) {
    HelpError("The help topic \"" + topic + "\" is not in\n" + path);
    return FALSE;
  }
  HelpViewer viewer(file);
  return viewer.Run(found) ? TRUE : FALSE;
}

}  // namespace

BOOL WINAPI ShowHelp(const char *moduleName, const char *topic, DWORD flags) {
  try {
    return ShowHelpFile(moduleName, topic, flags);
  } catch (...) {  // out of memory: the program ends
    NoteFailure();
    return FALSE;
  }
}

void ShowHelpTopic(const char *topic) {
  if (!topic || !*topic) return;
  ShowHelp(helpModule.c_str(), topic, 0);
}

}  // namespace farhost
