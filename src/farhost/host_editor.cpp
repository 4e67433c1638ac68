#include "farhost/host_editor.hpp"

#include <algorithm>
#include <cstring>
#include <memory>

#include "farhost/editor_text.hpp"

namespace farhost {
namespace {

const int kTabSize = 8;

// A stream block runs from (firstLine, startPos) through lastLine, ending
// before endPos there, or with that line's break when endPos is -1. A column
// block covers columns startPos up to endPos on each of its lines.
struct Block {
  int type = BTYPE_NONE;
  int firstLine = 0;
  int lastLine = 0;
  int startPos = 0;
  int endPos = 0;
};

struct Editor {
  std::string fileName;
  EditorText text;
  int id = 0;
  int curLine = 0;
  int curPos = 0;
  int topLine = 0;
  int leftPos = 0;
  bool overtype = false;
  int windowWidth = 80;
  int windowHeight = 23;
  Block block;

  int Total() const { return text.LineCount(); }
};

std::unique_ptr<Editor> current;
int lastId = 0;

int TabColumn(const EditorText::Line &line, int pos) {
  int column = 0;
  for (int i = 0; i < pos; ++i)
    column =
        i < line.length && line.text[i] == '\t' ? (column / kTabSize + 1) * kTabSize : column + 1;
  return column;
}

int RealPos(const EditorText::Line &line, int tabColumn) {
  int column = 0, pos = 0;
  while (column < tabColumn) {
    column = pos < line.length && line.text[pos] == '\t' ? (column / kTabSize + 1) * kTabSize
                                                         : column + 1;
    if (column > tabColumn) break;
    ++pos;
  }
  return pos;
}

void KeepCursorVisible(Editor &e) {
  if (e.curLine < e.topLine) e.topLine = e.curLine;
  if (e.curLine >= e.topLine + e.windowHeight) e.topLine = e.curLine - e.windowHeight + 1;
  e.topLine = std::max(0, std::min(e.topLine, e.Total() - 1));
  int column = TabColumn(e.text.View(e.curLine), e.curPos);
  if (column < e.leftPos) e.leftPos = column;
  if (column >= e.leftPos + e.windowWidth) e.leftPos = column - e.windowWidth + 1;
}

void Selection(const Editor &e, int line, int *selStart, int *selEnd) {
  *selStart = -1;
  *selEnd = 0;
  const Block &b = e.block;
  if (b.type == BTYPE_NONE || line < b.firstLine || line > b.lastLine) return;
  if (b.type == BTYPE_STREAM) {
    *selStart = line == b.firstLine ? b.startPos : 0;
    *selEnd = line == b.lastLine ? b.endPos : -1;
  } else {
    *selStart = b.startPos;
    *selEnd = b.endPos;
  }
}

// The text handed out ends with a zero until the next ECTL_GETSTRING.
int GetString(Editor &e, EditorGetString *record) {
  int line = record->StringNumber == -1 ? e.curLine : record->StringNumber;
  if (line < 0 || line >= e.Total()) return 0;
  EditorText::Line text = e.text.Get(line);
  record->StringText = text.text;
  record->StringEOL = text.lineBreak;
  record->StringLength = text.length;
  Selection(e, line, &record->SelStart, &record->SelEnd);
  return 1;
}

int GetInfo(Editor &e, EditorInfo *info) {
  std::memset(info, 0, sizeof *info);
  info->EditorID = e.id;
  info->FileName = e.fileName.c_str();
  info->WindowSizeX = e.windowWidth;
  info->WindowSizeY = e.windowHeight;
  info->TotalLines = e.Total();
  info->CurLine = e.curLine;
  info->CurPos = e.curPos;
  info->CurTabPos = TabColumn(e.text.View(e.curLine), e.curPos);
  info->TopScreenLine = e.topLine;
  info->LeftPos = e.leftPos;
  info->Overtype = e.overtype ? 1 : 0;
  info->BlockType = e.block.type;
  info->BlockStartLine = e.block.type == BTYPE_NONE ? 0 : e.block.firstLine;
  info->TableNum = -1;
  info->TabSize = kTabSize;
  info->BookMarkCount = 10;
  return 1;
}

// -1 (or any negative value) keeps a field as it is.
int SetPosition(Editor &e, const EditorSetPosition &p) {
  if (p.CurLine >= 0) e.curLine = std::min(p.CurLine, e.Total() - 1);
  if (p.CurPos >= 0)
    e.curPos = p.CurPos;
  else if (p.CurTabPos >= 0)
    e.curPos = RealPos(e.text.View(e.curLine), p.CurTabPos);
  if (p.TopScreenLine >= 0) e.topLine = std::min(p.TopScreenLine, e.Total() - 1);
  if (p.LeftPos >= 0) e.leftPos = p.LeftPos;
  if (p.Overtype >= 0) e.overtype = p.Overtype != 0;
  KeepCursorVisible(e);
  return 1;
}

// The end column of a stream block's last line is BlockStartPos + BlockWidth,
// so a block over several lines may carry a negative width; -1 there, or a
// width of -1 on a single line, takes the block through the line's break.
int Select(Editor &e, const EditorSelect &s) {
  if (s.BlockType == BTYPE_NONE) {
    e.block = Block();
    return 1;
  }
  if (s.BlockStartLine < 0 || s.BlockStartLine >= e.Total() || s.BlockStartPos < 0 ||
      s.BlockHeight < 1)
    return 0;
  Block b;
  b.type = s.BlockType == BTYPE_STREAM ? BTYPE_STREAM : BTYPE_COLUMN;
  b.firstLine = s.BlockStartLine;
  b.startPos = s.BlockStartPos;
  long long last = (long long)s.BlockStartLine + s.BlockHeight - 1;
  bool pastTheEnd = last >= e.Total();
  b.lastLine = pastTheEnd ? e.Total() - 1 : int(last);

  if (b.type == BTYPE_COLUMN) {
    if (s.BlockWidth < 0) return 0;
    b.endPos = int(std::min<long long>((long long)b.startPos + s.BlockWidth, 0x7FFFFFFF));
    e.block = b;
    return 1;
  }
  long long end = (long long)b.startPos + s.BlockWidth;
  if (pastTheEnd || (b.firstLine == b.lastLine && s.BlockWidth == -1)) end = -1;
  if (end != -1) {
    if (b.firstLine == b.lastLine && end <= b.startPos) {
      e.block = Block();  // nothing left to mark
      return 1;
    }
    if (b.firstLine < b.lastLine && end <= 0) {
      --b.lastLine;  // the last line holds nothing of the block
      end = -1;
    }
  }
  b.endPos = int(std::min<long long>(end, 0x7FFFFFFF));
  e.block = b;
  return 1;
}

}  // namespace

bool OpenHostEditor(const char *path, const HostEditorOptions &options, std::string *error) {
  CloseHostEditor();
  auto editor = std::make_unique<Editor>();
  if (!LoadEditorText(path, &editor->text, error)) return false;
  editor->fileName = path;
  editor->windowWidth = std::max(1, options.windowWidth);
  editor->windowHeight = std::max(1, options.windowHeight);
  const int total = editor->Total();
  auto pastTheEnd = [&](const char *what, int line) {
    if (line < total) return false;
    if (error)
      *error = std::string(what) + ": line " + std::to_string(line + 1) + " is past the end of '" +
               path + "' (" + std::to_string(total) + (total == 1 ? " line)" : " lines)");
    return true;
  };
  if (options.hasCursor && pastTheEnd("--cursor", options.cursorLine)) return false;
  if (options.blockType != BTYPE_NONE && pastTheEnd("--block", options.blockLastLine)) return false;

  if (options.blockType != BTYPE_NONE) {
    EditorSelect s = {options.blockType, options.blockFirstLine, options.blockFirstColumn,
                      options.blockEndColumn - options.blockFirstColumn,
                      options.blockLastLine - options.blockFirstLine + 1};
    if (!Select(*editor, s)) {
      if (error) *error = "--block: not a block in '" + std::string(path) + "'";
      return false;
    }
  }
  if (options.hasCursor) {
    EditorSetPosition p = {options.cursorLine, options.cursorColumn, -1, -1, -1, -1};
    SetPosition(*editor, p);
  }
  editor->id = ++lastId;
  current = std::move(editor);
  return true;
}

void CloseHostEditor() {
  current.reset();
}

int WINAPI HostEditorControl(int Command, void *Param) {
  if (!current || !Param) return 0;
  switch (Command) {
    case ECTL_GETSTRING:
      return GetString(*current, static_cast<EditorGetString *>(Param));
    case ECTL_GETINFO:
      return GetInfo(*current, static_cast<EditorInfo *>(Param));
    case ECTL_SETPOSITION:
      return SetPosition(*current, *static_cast<const EditorSetPosition *>(Param));
    case ECTL_SELECT:
      return Select(*current, *static_cast<const EditorSelect *>(Param));
    default:
      return 0;
  }
}

}  // namespace farhost
