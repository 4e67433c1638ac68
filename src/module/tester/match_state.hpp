// The match run: the expression as set, the examined text as fetched, and the
// position from which the next search starts.
#pragma once

#include "host/messages.hpp"
#include "host/text.hpp"
#include "kestrum/kestrum.hpp"

enum { kExpressionLength = 999 };

struct MatchState {
  // Cleaned, with room for a slash on either side and the terminator.
  char expression[kExpressionLength + 3];
  bool ExpressionReady;
  bool Restart;
  char *textBuffer;  // the examined text as last fetched, or null
  int textSize;
  int textLength;  // of the text in textBuffer
  int offset;      // where the next search starts in textBuffer
  int line;        // the text editor's line and column of that position
  int column;
  int NextAdvance;  // from the position to where the next search starts
};

extern MatchState TheMatchState;
// The engine handle of the tester's current opening.
extern EngineHandle Engine;

// A text position in the examined-text editor.
struct TextPosition {
  short column;
  short line;
};

void ApplyExpression();
void NextMatch();
void RunMatch();
const char *FetchText();
const char *Advance(int n);
void MatchPosition(int s, int e, TextPosition *start, TextPosition *end);
void ClearRegions();
void FreeTextBuffer();
// An id, a text, or kNoMessage to clear the line (kTextStatus and
// kExpressionStatus).
void ShowTextStatus(MessageRef ref);
void ShowExpressionStatus(MessageRef ref);

// The expression editor's text made ready for the engine: line feeds
// dropped, spaces too when stripSpace, trailing white space trimmed (never
// the first character), enclosed in slashes unless it starts with one.
// `out` holds kExpressionLength + 3 bytes. Returns what to show when the
// text is empty or nothing is left after cleaning, else kNoMessage.
MessageId PrepareExpression(const char *text, bool stripSpace, char *out);
