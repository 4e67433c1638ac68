// The console size that the module reads with GetConsoleScreenBufferInfo:
// winport's on Linux; on Windows a console screen buffer of the program's
// own, made the standard output handle (the C runtime's stdout stays where
// it was).
#pragma once

namespace app {

// False when the size could not be set.
bool SetConsoleSize(int columns, int rows);

}  // namespace app
