// Engine calls on a worker thread under a time limit: a call that hangs or
// faults is stopped, reported in a box and appended to the hang log.
#pragma once

#include <windows.h>

#include "kestrum/kestrum.hpp"

// What a worker needs for its one engine call; owned by the waiting caller.
struct EngineCall {
  const char *text;    // the expression, or the search position
  const char *last;    // Parse: the last character to search; null for SetExpression
  MatchRecord *match;  // Parse only
};

// How long a worker may run, in milliseconds; tests shorten it.
extern DWORD WatchdogTimeout;

// The engine's result, or 0 when no worker could start or the call was stopped.
int GuardedSetExpression(const char *expression);
int GuardedParse(const char *text, const char *last, MatchRecord *match);

DWORD WINAPI SetExpressionWorker(LPVOID call);
DWORD WINAPI ParseWorker(LPVOID call);
int AwaitEngine(EngineCall *call, HANDLE thread, const char *step);

// The log file beside the module; the report is appended after a line of
// 80 dashes. A log that cannot be written is told to the host through
// OutputDebugStringA.
void AppendHangLog(const char *report, int length);
