// Text to and from the clipboard: placed as OEM, ANSI and Unicode text, read
// as OEM text.
#pragma once

// True when at least one format was placed; length excludes the NUL.
bool ClipboardPut(const char *text, int length);
// On success text is a malloc'ed copy the caller frees, size the bytes taken.
bool ClipboardGet(char **text, int *size);
