// The module linked into the test program: its own handle, a fresh load, and
// a start against the recording host.
#pragma once

#include <windows.h>

HINSTANCE LinkedModuleHandle();
// Process detach and attach, as an unload and a new load would deliver them.
void ReloadLinkedModule();
// Resets the recording host, reloads and calls Start with its records.
void StartLinkedModule();
