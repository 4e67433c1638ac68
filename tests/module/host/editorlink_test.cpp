// EditorLink over a scripted EditorControl and over the editor stand-in:
// both must give the same answers.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "farhost/host_editor.hpp"
#include "host/editor_link.hpp"
#include "host/host_state.hpp"
#include "scripted_editor.hpp"

HostState Host;  // the module's host state, filled here as Start would

namespace {

enum class Editor { Scripted, StandIn };

const int kTotalLines = 30;
const int kCursorLine = 7;
const int kCursorColumn = 2;

struct BlockCase {
  const char *name;
  EditorSelect select;                            // how the stand-in gets its block
  std::map<int, std::pair<int, int>> selections;  // what the scripted editor answers
  EditorSelect expected;
};

const BlockCase kBlocks[] = {
    {"no block", {0, 0, 0, 0, 0}, {}, {0, 0, 0, 0, 0}},
    {"stream within one line", {1, 5, 3, 6, 1}, {{5, {3, 9}}}, {1, 5, 3, 6, 1}},
    {"stream over three lines",
     {1, 10, 4, -2, 3},
     {{10, {4, -1}}, {11, {0, -1}}, {12, {0, 2}}},
     {1, 10, 4, -2, 3}},
    {"column over four lines",
     {2, 20, 5, 3, 4},
     {{20, {5, 8}}, {21, {5, 8}}, {22, {5, 8}}, {23, {5, 8}}},
     {2, 20, 5, 3, 4}},
    {"stream through the last line's end",
     {1, 27, 2, -3, 3},
     {{27, {2, -1}}, {28, {0, -1}}, {29, {0, -1}}},
     {1, 27, 2, -3, 3}},
};

struct RemovedAtExit {
  std::string path;
  ~RemovedAtExit() {
    if (!path.empty()) std::remove(path.c_str());
  }
};

std::string TestFile() {
  static RemovedAtExit file;
  std::string &path = file.path;
  if (path.empty()) {
    // Parallel test processes each write a file of their own.
    std::string name = "pardune-editorlink-" + std::to_string(std::random_device{}()) + ".txt";
    path = (std::filesystem::temp_directory_path() / name).string();
    std::ofstream out(path, std::ios::binary);
    // No line break after the last line: exactly kTotalLines lines.
    for (int i = 0; i < kTotalLines; ++i)
      out << (i ? "\n" : "") << "line " << i << " of the examined text";
  }
  return path;
}

class EditorLinkBase : public ::testing::Test {
 protected:
  explicit EditorLinkBase(Editor kind) : kind_(kind) {}
  void SetUp() override {
    info_ = {};
    info_.StructSize = sizeof info_;
    Host.HostInfo = &info_;
  }
  void TearDown() override {
    farhost::CloseHostEditor();
    Host.HostInfo = nullptr;
  }

  // An editor with kTotalLines lines, the cursor at (7, 2) and `block`.
  void Arrange(const BlockCase &block) {
    if (kind_ == Editor::Scripted) {
      info_.EditorControl = ScriptedEditorControl;
      Scripted.Reset(kTotalLines, kCursorLine, kCursorColumn);
      Scripted.info.BlockType = block.select.BlockType;
      Scripted.info.BlockStartLine = block.select.BlockStartLine;
      Scripted.selections = block.selections;
      return;
    }
    info_.EditorControl = farhost::HostEditorControl;
    farhost::HostEditorOptions options;
    ASSERT_TRUE(farhost::ParseCursorOption("8,3", &options));
    std::string error;
    ASSERT_TRUE(farhost::OpenHostEditor(TestFile().c_str(), options, &error)) << error;
    EditorSelect select = block.select;
    ASSERT_EQ(farhost::HostEditorControl(ECTL_SELECT, &select), 1);
  }

  void NoEditor() {
    if (kind_ == Editor::Scripted) {
      info_.EditorControl = ScriptedEditorControl;
      Scripted.Reset(0, 0, 0);
      Scripted.infoFails = true;
    } else {
      info_.EditorControl = farhost::HostEditorControl;
      farhost::CloseHostEditor();
    }
  }

  Editor kind_;
  PluginStartupInfo info_;
};

class EditorLinkTest : public EditorLinkBase, public ::testing::WithParamInterface<Editor> {
 protected:
  EditorLinkTest() : EditorLinkBase(GetParam()) {}
};

class ScriptedEditorLinkTest : public EditorLinkBase {
 protected:
  ScriptedEditorLinkTest() : EditorLinkBase(Editor::Scripted) {}
};

void ExpectSelect(const EditorSelect &got, const EditorSelect &want) {
  EXPECT_EQ(got.BlockType, want.BlockType);
  EXPECT_EQ(got.BlockStartLine, want.BlockStartLine);
  EXPECT_EQ(got.BlockStartPos, want.BlockStartPos);
  EXPECT_EQ(got.BlockWidth, want.BlockWidth);
  EXPECT_EQ(got.BlockHeight, want.BlockHeight);
}

}  // namespace

TEST_P(EditorLinkTest, SelectionAsTheEditorReportsIt) {
  for (const BlockCase &block : kBlocks) {
    SCOPED_TRACE(block.name);
    Arrange(block);
    EditorLink link;
    ASSERT_TRUE(link.Available);
    EditorSelect selection = {9, 9, 9, 9, 9};
    EXPECT_TRUE(link.GetSelection(&selection));
    ExpectSelect(selection, block.expected);
    EXPECT_EQ(link.CursorLine(), kCursorLine);
    EXPECT_EQ(link.CursorColumn(), kCursorColumn);
  }
}

TEST_P(EditorLinkTest, LineUnderTheCursorGetsItsNumber) {
  Arrange(kBlocks[0]);
  EditorLink link;
  EditorGetString record;
  ASSERT_TRUE(link.GetLine(-1, &record));
  EXPECT_EQ(record.StringNumber, kCursorLine);
  ASSERT_TRUE(link.GetLine(3, &record));
  EXPECT_EQ(record.StringNumber, 3);
  EXPECT_TRUE(link.GetLine(0, nullptr));
  EXPECT_FALSE(link.GetLine(kTotalLines, &record));
  EXPECT_FALSE(link.GetLine(kTotalLines, nullptr));
}

TEST_P(EditorLinkTest, NoCurrentEditorMakesEverythingFail) {
  NoEditor();
  EditorLink link;
  EXPECT_FALSE(link.Available);
  EditorGetString record = {};
  EXPECT_FALSE(link.GetLine(0, &record));
  EXPECT_FALSE(link.GetLine(-1, nullptr));
  EditorSelect selection = {1, 2, 3, 4, 5};
  EXPECT_FALSE(link.GetSelection(&selection));
  ExpectSelect(selection, {1, 2, 3, 4, 5});  // untouched
  EXPECT_FALSE(link.Select({0, 0, 0, 0, 0}));
  link.SetPosition(1, 1);
  if (kind_ == Editor::Scripted) {
    EXPECT_TRUE(Scripted.selects.empty());
    EXPECT_TRUE(Scripted.positions.empty());
    EXPECT_EQ(Scripted.commands, std::vector<int>{ECTL_GETINFO});
  }
}

TEST_F(ScriptedEditorLinkTest, StreamBlockCutShortByAFailedRead) {
  BlockCase block = {"", {1, 10, 4, 0, 0}, {{10, {4, -1}}, {11, {0, -1}}, {12, {0, 3}}}, {}};
  Arrange(block);
  Scripted.unreadableFrom = 12;
  EditorLink link;
  EditorSelect selection;
  EXPECT_TRUE(link.GetSelection(&selection));
  ExpectSelect(selection, {1, 10, 4, -5, 2});
  Scripted.unreadableFrom = 11;
  EditorLink second;
  EXPECT_TRUE(second.GetSelection(&selection));
  ExpectSelect(selection, {1, 10, 4, -5, 1});
}

TEST_F(ScriptedEditorLinkTest, BlockStartLineWithoutSelectionFails) {
  BlockCase block = {"", {1, 10, 0, 0, 0}, {}, {}};
  Arrange(block);
  EditorLink link;
  EditorSelect selection = {7, 7, 7, 7, 7};
  EXPECT_FALSE(link.GetSelection(&selection));
  ExpectSelect(selection, {1, 0, 0, 0, 0});  // only the block type
  EXPECT_FALSE(link.GetSelection(nullptr));
}

TEST_P(EditorLinkTest, RestoringPutsBackBlockAndCursor) {
  for (const BlockCase &block : kBlocks) {
    SCOPED_TRACE(block.name);
    Arrange(block);
    EditorLink link;
    EditorSelect kept;
    ASSERT_TRUE(link.GetSelection(&kept));
    const int column = link.CursorColumn(), line = link.CursorLine();

    // The tester moves around in the meantime.
    EditorSelect none = {0, 0, 0, 0, 0};
    EditorSetPosition elsewhere = {15, 9, -1, -1, -1, -1};
    info_.EditorControl(ECTL_SELECT, &none);
    info_.EditorControl(ECTL_SETPOSITION, &elsewhere);

    EXPECT_TRUE(link.Select(kept));
    link.SetPosition(column, line);
    if (kind_ == Editor::Scripted) {
      ASSERT_EQ(Scripted.selects.size(), 2u);
      ExpectSelect(Scripted.selects[1], block.expected);
      ASSERT_EQ(Scripted.positions.size(), 2u);
      const EditorSetPosition &p = Scripted.positions[1];
      EXPECT_EQ(p.CurLine, kCursorLine);
      EXPECT_EQ(p.CurPos, kCursorColumn);
      EXPECT_EQ(p.CurTabPos, -1);
      EXPECT_EQ(p.TopScreenLine, -1);
      EXPECT_EQ(p.LeftPos, -1);
      EXPECT_EQ(p.Overtype, -1);
      continue;
    }
    // The stand-in's editor shows the block and the cursor as before.
    EditorInfo info;
    ASSERT_EQ(farhost::HostEditorControl(ECTL_GETINFO, &info), 1);
    EXPECT_EQ(info.CurLine, kCursorLine);
    EXPECT_EQ(info.CurPos, kCursorColumn);
    EXPECT_EQ(info.BlockType, block.expected.BlockType);
    EXPECT_EQ(link.Info.CurLine, kCursorLine);  // queried again after SetPosition
    for (const auto &s : block.selections) {
      EditorGetString record = {};
      record.StringNumber = s.first;
      ASSERT_EQ(farhost::HostEditorControl(ECTL_GETSTRING, &record), 1);
      EXPECT_EQ(record.SelStart, s.second.first) << "line " << s.first;
      EXPECT_EQ(record.SelEnd, s.second.second) << "line " << s.first;
    }
    EditorSelect again;
    EditorLink second;
    ASSERT_TRUE(second.GetSelection(&again));
    ExpectSelect(again, block.expected);
  }
}

TEST_P(EditorLinkTest, NoEditorControlInTheStartupRecord) {
  Arrange(kBlocks[1]);
  info_.EditorControl = nullptr;
  EditorLink link;
  EXPECT_FALSE(link.Available);
  Host.HostInfo = nullptr;
  EditorLink without;
  EXPECT_FALSE(without.Available);
  EXPECT_FALSE(without.GetLine(0, nullptr));
}

INSTANTIATE_TEST_SUITE_P(BothEditors, EditorLinkTest,
                         ::testing::Values(Editor::Scripted, Editor::StandIn),
                         [](const ::testing::TestParamInfo<Editor> &info) {
                           return info.param == Editor::Scripted ? "Scripted" : "StandIn";
                         });
