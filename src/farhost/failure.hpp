// A failure of the file manager stand-in itself while the module runs (out
// of memory in a dialog, a message box or the help). The module gets the
// answer of a cancelled call, as the services never throw; input ends, so
// every open dialog closes and the module's cleanup runs; and the program
// says what failed once the terminal is restored.
#pragma once

namespace farhost {

// Notes the exception being handled: call it only inside a catch block.
// The first failure noted is the one kept.
void NoteFailure();
// What failed ("out of memory", or the exception's own text), or null.
const char *Failure();

}  // namespace farhost
