// Helpers for the editor tests: the model's invariants, lines in and out.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editor/line_editor.hpp"

// The rules every operation must leave the editor in.
inline ::testing::AssertionResult Invariants(const LineEditor &e) {
  if (e.lineCount < 1 || e.lineCount > e.capacity)
    return ::testing::AssertionFailure()
           << "lineCount " << e.lineCount << " capacity " << e.capacity;
  if (e.cursorRow < 0 || e.cursorRow >= e.rowCount)
    return ::testing::AssertionFailure() << "cursorRow " << e.cursorRow;
  if (e.CurrentLine() >= e.lineCount)
    return ::testing::AssertionFailure()
           << "current line " << e.CurrentLine() << " of " << e.lineCount;
  if (!(e.topLine + e.rowCount <= e.lineCount || e.topLine == 0))
    return ::testing::AssertionFailure() << "topLine " << e.topLine << " of " << e.lineCount;
  for (int i = 0; i < e.lineCount; i++)
    if (!e.lines[i] || strpbrk(e.lines[i], "\r\n"))
      return ::testing::AssertionFailure() << "line " << i << " missing or holds a break";
  if (e.regionCount < 1) return ::testing::AssertionFailure() << "no regions";
  return ::testing::AssertionSuccess();
}

#define EXPECT_INVARIANTS(e) EXPECT_TRUE(Invariants(e))

inline std::vector<std::string> LinesOf(const LineEditor &e) {
  std::vector<std::string> out;
  for (int i = 0; i < e.lineCount; i++) out.push_back(e.LineText(i));
  return out;
}

// Replaces the text line by line (blank lines kept) and shows it.
inline void Load(LineEditor &e, const std::vector<std::string> &text) {
  e.ClearLines();
  for (const std::string &line : text)
    e.lines[e.lineCount++] = DuplicateLine(line.c_str(), static_cast<int>(line.size()));
  e.Refresh();
}

inline std::vector<std::string> Numbered(int count, const char *prefix = "line") {
  std::vector<std::string> out;
  for (int i = 0; i < count; i++) out.push_back(prefix + std::to_string(i));
  return out;
}
