// The expression engine behind Kestrum's engine slots 19 to 23.
#pragma once

#include <windows.h>

#include "kestrum/kestrum.hpp"

namespace kestrum {

// Expressions are /pattern/flags; the pattern runs from the first to the last
// slash. Parse searches text..last (inclusive) from `from`; offsets count from
// text. PCRE2's SetExpression and Parse are safe to stop by force once the
// handle exists: they allocate only from the handle's arena and take no lock,
// and the next SetExpression resets whatever a stopped call left behind.
// SetNoMoves, on the caller's own thread after each accepted SetExpression,
// compiles the copy for that mode to machine code; until then Parse
// interprets it. The Windows test host's std::regex
// allocates while it matches; its stop-safe runaway searches are asked for
// with the verbs (*SPIN) and (*FAULT) (engine_stdregex_win.cpp).
EngineHandle WINAPI EngineCreate();
int WINAPI EngineDestroy(EngineHandle *handle);
int WINAPI EngineSetNoMoves(EngineHandle handle, int noMoves);
int WINAPI EngineSetExpression(EngineHandle handle, const char *expression, int reserved1,
                               int reserved2);
int WINAPI EngineParse(EngineHandle handle, const char *text, const char *from, const char *last,
                       MatchRecord *match, int reserved1, int reserved2);

// Test hooks: whether the current expression runs compiled to machine code,
// and a switch that forces the interpreter (the fallback when there is none).
bool EngineUsesJit(EngineHandle handle);
void EngineForceInterpreter(EngineHandle handle, bool on);

}  // namespace kestrum
