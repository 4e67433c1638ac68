// Leaves the terminal as it was found: on a normal exit, on SIGINT, SIGTERM
// and SIGHUP, while stopped, and on a crash where the process still runs a
// handler.
#pragma once

#include <termios.h>

#include <string>

namespace app {

// Remembers how to undo the program's terminal modes: the saved termios of
// `fd` and the bytes that switch the modes off. Installs the handlers.
// `wakeFd` is written when a signal asks the program to quit or the window
// was resized.
void GuardTerminal(int fd, const termios &saved, const std::string &resetBytes, int wakeFd);

// The terminal as the program runs it, and the bytes that switch its modes
// back on: used to take the terminal again after a stop (SIGTSTP, SIGCONT).
void SetProgramTerminal(const termios &program, const std::string &resumeBytes);

// The normal shutdown restored the terminal: the handlers stop touching it.
void ReleaseTerminalGuard();

// Restores the terminal now (async-signal-safe; does nothing when released).
void EmergencyRestoreTerminal();

// A quit signal arrived (the first one; a second one restores and ends the
// process at once).
bool QuitRequested();
// The signal behind QuitRequested, 0 for none.
int QuitSignal();

// A SIGWINCH arrived since the last call.
bool TakeResizeRequest();

// The program came back from a stop: the whole screen must be drawn again.
bool TakeRepaintRequest();

}  // namespace app
