// Runs a program with arguments and collects its exit status and output.
#pragma once

#include <string>
#include <vector>

struct ProgramResult {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
};

ProgramResult RunProgram(const std::string &program, const std::vector<std::string> &args,
                         const std::string &input = "");

std::string MakeTempDir();
void RemoveTree(const std::string &dir);
bool CopyFile(const std::string &from, const std::string &to);
void WriteFile(const std::string &path, const std::string &text);
std::string ReadFile(const std::string &path);
