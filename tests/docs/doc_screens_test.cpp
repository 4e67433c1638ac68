// The screens shown in docs/*.md are pardune's own: each run in a page
// (a `<!-- pardune ARGS -->` line, then ```keys and ```screen blocks) is
// played with --script, and every screen block must match the screen that
// pardune prints at that point. PARDUNE_UPDATE_GOLDEN=1 writes the fresh
// screens into the page.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "app/run_program.hpp"

namespace {

const std::string kBin = PARDUNE_BIN_DIR;
const std::string kDocs = DOCS_DIR;

struct ScreenBlock {
  size_t firstLine = 0;  // the block's first text line in the page (0-based)
  size_t lineCount = 0;
  std::vector<std::string> expected;
};

struct PageRun {
  std::string args;
  std::string script;
  std::vector<ScreenBlock> screens;
};

std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Blank rows above and below the dialogs are not worth a place in a page.
std::vector<std::string> Trimmed(std::vector<std::string> rows) {
  while (!rows.empty() && rows.back().empty()) rows.pop_back();
  size_t blank = 0;
  while (blank < rows.size() && rows[blank].empty()) ++blank;
  rows.erase(rows.begin(), rows.begin() + long(blank));
  return rows;
}

std::vector<PageRun> ParsePage(const std::vector<std::string> &lines) {
  std::vector<PageRun> runs;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string &line = lines[i];
    if (line.rfind("<!-- pardune ", 0) == 0 && line.size() > 17) {
      runs.emplace_back();
      runs.back().args = line.substr(13, line.size() - 13 - 4);
      continue;
    }
    if (runs.empty() || (line != "```keys" && line != "```screen")) continue;
    const bool keys = line == "```keys";
    size_t end = i + 1;
    while (end < lines.size() && lines[end] != "```") ++end;
    if (keys) {
      for (size_t k = i + 1; k < end; ++k) runs.back().script += lines[k] + "\n";
    } else {
      ScreenBlock block;
      block.firstLine = i + 1;
      block.lineCount = end - i - 1;
      block.expected.assign(lines.begin() + long(i + 1), lines.begin() + long(end));
      runs.back().screens.push_back(block);
      runs.back().script += "screen\n";
    }
    i = end;
  }
  return runs;
}

int RowsOf(const std::string &args) {
  size_t at = args.find("--size ");
  if (at == std::string::npos) return 25;
  return std::atoi(args.c_str() + args.find_first_of("xX", at) + 1);
}

// The screens the run prints, each with its blank rows trimmed.
std::vector<std::vector<std::string>> PlayRun(const PageRun &run, const std::string &dir,
                                              std::string *problem) {
  for (const char *file : {"pardune", "libwinport.so", "Pardune.kmx", "Pardune.lng", "Pardune.hlf"})
    EXPECT_TRUE(CopyFile(kBin + "/" + file, dir + "/" + file)) << file;
  RunProgram("/bin/sh", {"-c", "cp '" + kDocs + "'/*.txt '" + dir + "'"});
  WriteFile(dir + "/s.scn", run.script);
  ProgramResult r =
      RunProgram("/bin/sh", {"-c", "cd '" + dir + "' && XDG_RUNTIME_DIR=. PARDUNE_REGISTRY=r.reg " +
                                       "./pardune --script s.scn " + run.args});
  if (r.status != 0 || !r.err.empty())
    *problem = "pardune " + run.args + " ended with " + std::to_string(r.status) + ": " + r.err;
  std::vector<std::string> out = Lines(r.out);
  const size_t rows = size_t(RowsOf(run.args));
  std::vector<std::vector<std::string>> screens;
  for (size_t at = 0; at + rows <= out.size(); at += rows)
    screens.push_back(Trimmed({out.begin() + long(at), out.begin() + long(at + rows)}));
  return screens;
}

std::vector<std::string> Pages() {
  std::vector<std::string> pages;
  if (DIR *dir = opendir(kDocs.c_str())) {
    while (dirent *entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name.size() > 3 && name.compare(name.size() - 3, 3, ".md") == 0) {
        if (ReadFile(kDocs + "/" + name).find("\n<!-- pardune ") != std::string::npos)
          pages.push_back(name);
      }
    }
    closedir(dir);
  }
  std::sort(pages.begin(), pages.end());
  return pages;
}

TEST(DocScreens, SomePageShowsScreens) {
  EXPECT_FALSE(Pages().empty()) << "no page in " << kDocs << " has a pardune run";
}

class DocScreens : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { dir_ = MakeTempDir(); }
  void TearDown() override { RemoveTree(dir_); }
  std::string dir_;
};

TEST_P(DocScreens, AreFresh) {
  const std::string path = kDocs + "/" + GetParam();
  std::vector<std::string> lines = Lines(ReadFile(path));
  std::vector<PageRun> runs = ParsePage(lines);
  ASSERT_FALSE(runs.empty());
  const char *update = std::getenv("PARDUNE_UPDATE_GOLDEN");
  const bool updating = update && *update == '1';
  // Blocks are replaced from the last one up, so earlier line numbers hold.
  std::vector<std::pair<ScreenBlock, std::vector<std::string>>> fresh;
  for (size_t r = 0; r < runs.size(); ++r) {
    std::string problem;
    auto screens = PlayRun(runs[r], dir_, &problem);
    EXPECT_EQ(problem, "") << GetParam() << ", run " << r + 1;
    ASSERT_EQ(screens.size(), runs[r].screens.size()) << GetParam() << ", run " << r + 1;
    for (size_t s = 0; s < screens.size(); ++s) {
      const ScreenBlock &block = runs[r].screens[s];
      if (updating) {
        fresh.emplace_back(block, screens[s]);
        continue;
      }
      std::vector<std::string> expected = Trimmed(block.expected);
      if (expected == screens[s]) continue;
      size_t row = 0;
      while (row < expected.size() && row < screens[s].size() && expected[row] == screens[s][row])
        ++row;
      ADD_FAILURE() << GetParam() << ":" << block.firstLine + 1 + row << ": screen " << s + 1
                    << " of run " << r + 1 << " differs (PARDUNE_UPDATE_GOLDEN=1 rewrites it)\n"
                    << "page:  " << (row < expected.size() ? expected[row] : "(no row)") << "\n"
                    << "fresh: " << (row < screens[s].size() ? screens[s][row] : "(no row)");
    }
    RemoveTree(dir_);
    dir_ = MakeTempDir();
  }
  if (!updating) return;
  for (auto it = fresh.rbegin(); it != fresh.rend(); ++it) {
    auto first = lines.begin() + long(it->first.firstLine);
    lines.erase(first, first + long(it->first.lineCount));
    lines.insert(lines.begin() + long(it->first.firstLine), it->second.begin(), it->second.end());
  }
  std::string text;
  for (const std::string &line : lines) text += line + "\n";
  WriteFile(path, text);
}

INSTANTIATE_TEST_SUITE_P(Docs, DocScreens, testing::ValuesIn(Pages()),
                         [](const testing::TestParamInfo<std::string> &info) {
                           std::string name = info.param.substr(0, info.param.size() - 3);
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
