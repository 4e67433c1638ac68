// Reading and writing the clipboard directly, for checking what the module did.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace cliptest {

// The bytes of one format (the whole global block), or false when absent.
bool ReadBlock(UINT format, std::string *bytes);
// The text of a wide format up to its terminator.
bool ReadWide(UINT format, std::vector<WCHAR> *text);
// Formats in enumeration order.
std::vector<UINT> Formats();
// Empties the clipboard and places the blocks, in order.
bool Place(const std::vector<std::pair<UINT, std::string>> &blocks);
// Runs `body` on another thread and waits for it.
void OnOtherThread(const std::function<void()> &body);
// Runs `body` on another thread while that thread holds the clipboard open.
void WhileHeldOpen(const std::function<void()> &body);

}  // namespace cliptest
