// Searching the examined text from the current position and showing the
// match with its groups.
#include <cstring>
#include <new>

#include "host/host_state.hpp"
#include "host/messages.hpp"
#include "settings/settings.hpp"
#include "tester/match_state.hpp"
#include "tester/tester_dialog.hpp"
#include "tester/watchdog.hpp"

MatchState TheMatchState;
EngineHandle Engine;

namespace {

enum {
  kMinBufferSize = 1000,
  kPositionSize = 500,
  kShortWalk = 16,
};

// Set by FetchText when it wrote why it gave none: the reason stays in the
// status line instead of "no more matches".
bool FetchFailed = false;

// Walks up to n characters on from `from`, stopping at the terminator: a
// line feed starts the next line. Returns how many it walked. A step of a
// few characters (the next position) goes by hand; a long one (to a match
// far into the text) with the library's scans.
int Walk(const char *from, int n, int *column, int *line) {
  if (n <= 0) return 0;
  if (n <= kShortWalk) {
    int walked = 0;
    for (; walked < n && from[walked]; ++walked) {
      if (from[walked] == '\n') {
        ++*line;
        *column = 0;
      } else {
        ++*column;
      }
    }
    return walked;
  }
  const char *end = from + strnlen(from, static_cast<size_t>(n));
  const char *lineStart = from;
  while (const void *feed = std::memchr(lineStart, '\n', static_cast<size_t>(end - lineStart))) {
    ++*line;
    *column = 0;
    lineStart = static_cast<const char *>(feed) + 1;
  }
  *column += static_cast<int>(end - lineStart);
  return static_cast<int>(end - from);
}

// The positions reached by walking each of `count` offsets on from the
// position, in one pass over the buffer however many offsets there are.
void WalkAll(const int *offsets, TextPosition *positions, int count) {
  int order[2 * kMatchEntries];
  for (int i = 0; i < count; ++i) {
    int j = i;
    for (; j > 0 && offsets[order[j - 1]] > offsets[i]; --j) order[j] = order[j - 1];
    order[j] = i;
  }
  const MatchState &state = TheMatchState;
  const char *p = state.textBuffer ? state.textBuffer + state.offset : "";
  int column = state.column, line = state.line, walked = 0;
  for (int k = 0; k < count; ++k) {
    const int target = offsets[order[k]];
    if (target > walked) walked += Walk(p + walked, target - walked, &column, &line);
    positions[order[k]] = TextPosition{static_cast<short>(column), static_cast<short>(line)};
  }
}

const char *FetchFailure(MessageId message) {
  ShowTextStatus(MessageRef::Id(message));
  FetchFailed = true;
  return nullptr;
}

bool NoPosition(const MatchRecord &match) {
  return match.Count <= 0 || match.Start[0] == -1 || match.End[0] == -1;
}

bool GroupTookPart(const MatchRecord &match, int k) {
  return k < match.Count && match.Start[k] != -1 && match.End[k] != -1;
}

void ShowMatch(const MatchRecord &match) {
  ExaminedTextEditor &text = Tester->text;
  int offsets[2 * kMatchEntries];
  TextPosition positions[2 * kMatchEntries];
  for (int k = 0; k < kMatchEntries; ++k) {
    offsets[2 * k] = GroupTookPart(match, k) ? match.Start[k] : 0;
    offsets[2 * k + 1] = GroupTookPart(match, k) ? match.End[k] : 0;
  }
  WalkAll(offsets, positions, 2 * kMatchEntries);
  for (int k = 0; k < kGroupColorCount; ++k) {
    Region *region = text.GetRegion(GroupRegions[k]);
    if (!region) continue;
    if (!GroupTookPart(match, k)) {
      region->Clear();
      continue;
    }
    const TextPosition &start = positions[2 * k], &end = positions[2 * k + 1];
    region->Set(start.column, start.line, end.column, end.line);
    region->color = static_cast<uint32_t>(Settings.GroupColors[k]);
  }
  // The next search starts where the match ends; after an empty match one
  // character further (over a line feed: at the next line), or it would
  // find the same empty match for ever.
  TheMatchState.NextAdvance = match.End[0] > match.Start[0] ? match.End[0] : match.Start[0] + 1;

  const Region *whole = text.GetRegion(GroupRegions[0]);
  if (!whole) return;
  char position[kPositionSize];
  FormatMessageText(position, kPositionSize, kMatchAtMessage, "dd", whole->startColumn + 1,
                    whole->startLine + 1);
  ShowTextStatus(MessageRef::Literal(position));

  DialogHandle &dialog = Tester->dialog;
  int focus = dialog.GetFocus();
  text.MoveTo(whole->startLine, whole->startColumn, false);
  dialog.SetFocus(focus);
}

}  // namespace

void ShowTextStatus(MessageRef ref) {
  Tester->dialog.SetItemText(kTextStatus, MessageText(ref));
}

void ShowExpressionStatus(MessageRef ref) {
  Tester->dialog.SetItemText(kExpressionStatus, MessageText(ref));
}

void NextMatch() {
  ShowTextStatus(MessageRef::Id(kNoMessage));
  if (!TheMatchState.ExpressionReady) return;
  Advance(TheMatchState.NextAdvance);
  RunMatch();
}

void RunMatch() {
  MatchState &state = TheMatchState;
  ShowTextStatus(MessageRef::Id(kNoMessage));
  ClearRegions();
  state.NextAdvance = 0;
  if (!state.ExpressionReady) return;

  MatchRecord match;
  for (;;) {
    FetchFailed = false;
    const char *p = FetchText();
    if (!p) {
      if (!FetchFailed) ShowTextStatus(MessageRef::Id(kNoMoreMatchesMessage));
      return;
    }
    // The text runs to the end of what was fetched; no need to measure it
    // again at every position.
    const char *last = state.textBuffer + state.textLength - 1;
    if (GuardedParse(p, last, &match)) break;
    if (!state.ExpressionReady) {  // the watchdog stopped the search
      ShowExpressionStatus(MessageRef::Id(kSearchHungMessage));
      ClearRegions();
      return;
    }
    Advance(Settings.ReNoMoves ? 1 : static_cast<int>(last - p + 1));
  }
  if (NoPosition(match)) {
    ShowExpressionStatus(MessageRef::Id(kNoPositionMessage));
    state.ExpressionReady = false;
    ClearRegions();
    return;
  }
  ShowMatch(match);
}

const char *FetchText() {
  MatchState &state = TheMatchState;
  ExaminedTextEditor &text = Tester->text;
  const bool singleLines = Settings.SingleLines != 0;
  Region range = {};
  if (state.Restart) {
    const bool fromCursor = Settings.FromCursor != 0;
    const int startLine = fromCursor ? text.CurrentLine() : text.topLine;
    const int startColumn = fromCursor ? text.cursorColumn : 0;
    state.line = startLine;
    state.column = MinInt(startColumn, text.LineLength(startLine));
    state.offset = 0;
    state.NextAdvance = 0;
    state.Restart = false;
    range.Set(startColumn, startLine, 0, singleLines ? startLine + 1 : text.lineCount);
  } else {
    if (!state.textBuffer) return nullptr;
    if (state.textBuffer[state.offset]) return state.textBuffer + state.offset;
    if (!singleLines || state.line >= text.lineCount) return nullptr;
    // The line feed stepped over has already moved line on to the next one.
    state.offset = 0;
    state.column = 0;
    state.NextAdvance = 0;
    range.Set(0, state.line, 0, state.line + 1);
  }

  const int n = text.ExtractText(range, nullptr, 0);
  if (n == 0) return FetchFailure(kNoTextMessage);
  // n characters and the terminator: a buffer of exactly n bytes would lose
  // the final line feed.
  if (!state.textBuffer || state.textSize < n + 1) {
    FreeTextBuffer();
    const int size = MaxInt(n + 2, kMinBufferSize);
    state.textBuffer = new (std::nothrow) char[size];
    if (!state.textBuffer) return FetchFailure(kNoMemoryForTextMessage);
    state.textSize = size;
  }
  if (text.ExtractText(range, state.textBuffer, state.textSize) != n)
    return FetchFailure(kTextChangedMessage);
  state.textLength = n;
  return state.textBuffer + state.offset;
}

const char *Advance(int n) {
  MatchState &state = TheMatchState;
  if (!state.textBuffer || !state.textBuffer[0]) return nullptr;
  state.offset += Walk(state.textBuffer + state.offset, n, &state.column, &state.line);
  return state.textBuffer[state.offset] ? state.textBuffer + state.offset : nullptr;
}

void MatchPosition(int s, int e, TextPosition *start, TextPosition *end) {
  const int offsets[2] = {s, e};
  TextPosition positions[2];
  WalkAll(offsets, positions, 2);
  *start = positions[0];
  *end = positions[1];
}

void ClearRegions() {
  DialogHandle &dialog = Tester->dialog;
  dialog.Lock(true);
  for (int k = 0; k < kGroupColorCount; ++k)
    if (Region *region = Tester->text.GetRegion(GroupRegions[k])) region->Clear();
  dialog.Redraw();
}

void FreeTextBuffer() {
  delete[] TheMatchState.textBuffer;
  TheMatchState.textBuffer = nullptr;
  TheMatchState.textSize = 0;
  TheMatchState.textLength = 0;
}
