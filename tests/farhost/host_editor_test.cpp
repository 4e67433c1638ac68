// EditorControl of the editor stand-in.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "farhost/host_editor.hpp"
#include "temp_file.hpp"

using farhost::HostEditorControl;
using farhost::HostEditorOptions;

namespace {

struct Line {
  std::string text;
  std::string eol;
  int selStart;
  int selEnd;
};

Line GetLine(int number) {
  EditorGetString record = {};
  record.StringNumber = number;
  if (!HostEditorControl(ECTL_GETSTRING, &record)) return {"<none>", "", -9, -9};
  return {std::string(record.StringText, record.StringLength), record.StringEOL, record.SelStart,
          record.SelEnd};
}

EditorInfo Info() {
  EditorInfo info = {};
  EXPECT_EQ(HostEditorControl(ECTL_GETINFO, &info), 1);
  return info;
}

std::string Lines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i)
    text += (i ? "\n" : "") + std::string("line ") + std::to_string(i);
  return text;
}

class HostEditorTest : public ::testing::Test {
 protected:
  void Open(const std::string &bytes, const HostEditorOptions &options = HostEditorOptions()) {
    file_.reset();  // the old file goes before the new one takes its name
    file_.reset(new TempFile("hosteditor.txt", bytes));
    std::string error;
    ASSERT_TRUE(farhost::OpenHostEditor(file_->Path(), options, &error)) << error;
  }
  void TearDown() override { farhost::CloseHostEditor(); }

  std::unique_ptr<TempFile> file_;
};

}  // namespace

TEST(HostEditorClosed, EveryCommandFails) {
  farhost::CloseHostEditor();
  EditorInfo info;
  EditorGetString line = {};
  EditorSetPosition position = {0, 0, -1, -1, -1, -1};
  EditorSelect select = {0, 0, 0, 0, 0};
  EXPECT_EQ(HostEditorControl(ECTL_GETINFO, &info), 0);
  EXPECT_EQ(HostEditorControl(ECTL_GETSTRING, &line), 0);
  EXPECT_EQ(HostEditorControl(ECTL_SETPOSITION, &position), 0);
  EXPECT_EQ(HostEditorControl(ECTL_SELECT, &select), 0);
}

TEST(HostEditorClosed, FailedOpenLeavesNoEditor) {
  TempFile file("good.txt", "good");
  std::string error;
  ASSERT_TRUE(farhost::OpenHostEditor(file.Path(), HostEditorOptions(), &error));
  EXPECT_FALSE(farhost::OpenHostEditor("/no/such/file", HostEditorOptions(), &error));
  EXPECT_NE(error.find("cannot open '/no/such/file'"), std::string::npos) << error;
  EditorInfo info;
  EXPECT_EQ(HostEditorControl(ECTL_GETINFO, &info), 0);
}

TEST_F(HostEditorTest, UnknownCommandsAndMissingRecordsFail) {
  Open("text");
  EXPECT_EQ(HostEditorControl(ECTL_GETINFO, nullptr), 0);
  EXPECT_EQ(HostEditorControl(ECTL_GETSTRING, nullptr), 0);
  EditorInfo info;
  EXPECT_EQ(HostEditorControl(ECTL_INSERTTEXT, &info), 0);
  EXPECT_EQ(HostEditorControl(12345, &info), 0);
}

TEST_F(HostEditorTest, InformationAboutTheFile) {
  HostEditorOptions options;
  options.windowWidth = 100;
  options.windowHeight = 30;
  Open(Lines(50), options);
  EditorInfo info = Info();
  EXPECT_STREQ(info.FileName, file_->Path());
  EXPECT_EQ(info.TotalLines, 50);
  EXPECT_EQ(info.CurLine, 0);
  EXPECT_EQ(info.CurPos, 0);
  EXPECT_EQ(info.WindowSizeX, 100);
  EXPECT_EQ(info.WindowSizeY, 30);
  EXPECT_EQ(info.BlockType, BTYPE_NONE);
  EXPECT_EQ(info.TabSize, 8);
  EXPECT_GT(info.EditorID, 0);
}

TEST_F(HostEditorTest, EachLineWithItsOwnLineBreak) {
  Open(std::string("one\r\ntwo\rthr\0ee\nfour", 20));
  EXPECT_EQ(Info().TotalLines, 4);
  const Line expected[] = {{"one", "\r\n", -1, 0},
                           {"two", "\r", -1, 0},
                           {std::string("thr\0ee", 6), "\n", -1, 0},
                           {"four", "", -1, 0}};
  for (int i = 0; i < 4; ++i) {
    Line got = GetLine(i);
    EXPECT_EQ(got.text, expected[i].text) << i;
    EXPECT_EQ(got.eol, expected[i].eol) << i;
    EXPECT_EQ(got.selStart, -1) << i;
  }
  EXPECT_EQ(GetLine(4).text, "<none>");
  EXPECT_EQ(GetLine(-2).text, "<none>");
}

TEST_F(HostEditorTest, EmptyFileIsOneEmptyLine) {
  Open("");
  EXPECT_EQ(Info().TotalLines, 1);
  Line line = GetLine(0);
  EXPECT_EQ(line.text, "");
  EXPECT_EQ(line.eol, "");
}

TEST_F(HostEditorTest, VeryLongLine) {
  std::string longLine(2 * 1024 * 1024, 'q');
  Open("a\n" + longLine + "\nz");
  EXPECT_EQ(GetLine(1).text, longLine);
  EditorSetPosition end = {1, int(longLine.size()), -1, -1, -1, -1};
  ASSERT_EQ(HostEditorControl(ECTL_SETPOSITION, &end), 1);
  EditorInfo info = Info();
  EXPECT_EQ(info.CurPos, int(longLine.size()));
  EXPECT_GT(info.LeftPos, 0);  // scrolled to keep the cursor in view
}

TEST_F(HostEditorTest, LineMinusOneIsTheCursorLine) {
  HostEditorOptions options;
  ASSERT_TRUE(farhost::ParseCursorOption("8,3", &options));
  Open(Lines(20), options);
  EXPECT_EQ(GetLine(-1).text, "line 7");
  EXPECT_EQ(Info().CurPos, 2);
}

TEST_F(HostEditorTest, SetPositionKeepsWhatIsMinusOne) {
  Open(Lines(200) + "\n\tx\ty");
  EditorSetPosition p = {100, 4, -1, -1, -1, 1};
  ASSERT_EQ(HostEditorControl(ECTL_SETPOSITION, &p), 1);
  EditorInfo info = Info();
  EXPECT_EQ(info.CurLine, 100);
  EXPECT_EQ(info.CurPos, 4);
  EXPECT_EQ(info.Overtype, 1);
  EXPECT_LE(info.TopScreenLine, 100);
  EXPECT_GT(info.TopScreenLine + info.WindowSizeY, 100);

  EditorSetPosition keep = {-1, -1, -1, -1, -1, -1};
  ASSERT_EQ(HostEditorControl(ECTL_SETPOSITION, &keep), 1);
  EditorInfo same = Info();
  EXPECT_EQ(same.CurLine, 100);
  EXPECT_EQ(same.CurPos, 4);
  EXPECT_EQ(same.TopScreenLine, info.TopScreenLine);
  EXPECT_EQ(same.Overtype, 1);

  EditorSetPosition column = {-1, 9, -1, -1, -1, 0};
  ASSERT_EQ(HostEditorControl(ECTL_SETPOSITION, &column), 1);
  EXPECT_EQ(Info().CurLine, 100);
  EXPECT_EQ(Info().CurPos, 9);
  EXPECT_EQ(Info().Overtype, 0);

  EditorSetPosition past = {5000, 0, -1, -1, -1, -1};
  ASSERT_EQ(HostEditorControl(ECTL_SETPOSITION, &past), 1);
  EXPECT_EQ(Info().CurLine, 200);  // the last line

  // Tabs: "\tx\ty" has x at screen column 8 and y at 16.
  EditorSetPosition tab = {200, -1, 16, -1, -1, -1};
  ASSERT_EQ(HostEditorControl(ECTL_SETPOSITION, &tab), 1);
  EXPECT_EQ(Info().CurPos, 3);
  EXPECT_EQ(Info().CurTabPos, 16);

  EditorSetPosition top = {0, 0, -1, 0, -1, -1};
  ASSERT_EQ(HostEditorControl(ECTL_SETPOSITION, &top), 1);
  EXPECT_EQ(Info().TopScreenLine, 0);
}

TEST_F(HostEditorTest, SelectMarksLinesAsTheEditorReportsThem) {
  struct Case {
    const char *name;
    EditorSelect select;
    int blockType;
    std::vector<std::pair<int, int>> lines;  // SelStart, SelEnd of lines 0 to 5
  };
  const std::pair<int, int> none = {-1, 0};
  const Case cases[] = {
      {"stream in one line", {1, 2, 3, 4, 1}, 1, {none, none, {3, 7}, none, none, none}},
      {"stream over three lines",
       {1, 2, 3, -1, 3},
       1,
       {none, none, {3, -1}, {0, -1}, {0, 2}, none}},
      {"stream of width -1 in one line",
       {1, 2, 3, -1, 1},
       1,
       {none, none, {3, -1}, none, none, none}},
      {"stream ending at a line's start",
       {1, 2, 3, -3, 3},
       1,
       {none, none, {3, -1}, {0, -1}, none, none}},
      {"stream ending before its start", {1, 2, 5, -3, 1}, 0, {none, none, none, none, none, none}},
      {"stream past the last line",
       {1, 4, 1, 2, 50},
       1,
       {none, none, none, none, {1, -1}, {0, -1}}},
      {"column", {2, 1, 2, 3, 2}, 2, {none, {2, 5}, {2, 5}, none, none, none}},
      {"column of width 0", {2, 1, 2, 0, 2}, 2, {none, {2, 2}, {2, 2}, none, none, none}},
      {"column past the last line", {2, 3, 0, 1, 9}, 2, {none, none, none, {0, 1}, {0, 1}, {0, 1}}},
      {"no block", {0, 3, 3, 3, 3}, 0, {none, none, none, none, none, none}},
  };
  Open(Lines(6));
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EditorSelect select = c.select;
    ASSERT_EQ(HostEditorControl(ECTL_SELECT, &select), 1);
    EditorInfo info = Info();
    EXPECT_EQ(info.BlockType, c.blockType);
    if (c.blockType != 0) {
      EXPECT_EQ(info.BlockStartLine, c.select.BlockStartLine);
    }
    for (int i = 0; i < 6; ++i) {
      Line line = GetLine(i);
      EXPECT_EQ(std::make_pair(line.selStart, line.selEnd), c.lines[i]) << "line " << i;
    }
  }
}

TEST_F(HostEditorTest, ImpossibleSelectionsFailAndChangeNothing) {
  Open(Lines(6));
  EditorSelect block = {1, 1, 1, 2, 1};
  ASSERT_EQ(HostEditorControl(ECTL_SELECT, &block), 1);
  const EditorSelect bad[] = {
      {2, 1, 1, -1, 2},  // column of negative width
      {1, 1, 1, 2, 0},   // no lines
      {1, 6, 0, 1, 1},   // past the last line
      {1, -1, 0, 1, 1},  // before the first
      {1, 1, -2, 1, 1},  // before the first column
  };
  for (const EditorSelect &b : bad) {
    EditorSelect copy = b;
    EXPECT_EQ(HostEditorControl(ECTL_SELECT, &copy), 0);
    EXPECT_EQ(Info().BlockType, 1);
    EXPECT_EQ(GetLine(1).selStart, 1);
    EXPECT_EQ(GetLine(1).selEnd, 3);
  }
}

TEST_F(HostEditorTest, BlockAndCursorFromTheCommandLine) {
  struct Case {
    const char *block;
    int type;
    std::vector<std::pair<int, int>> lines;  // lines 0 to 4
  };
  const std::pair<int, int> none = {-1, 0};
  const Case cases[] = {
      {"stream,2,3,4,5", 1, {none, {2, -1}, {0, -1}, {0, 4}, none}},
      {"stream,2,3,2,6", 1, {none, {2, 5}, none, none, none}},
      {"stream,2,3,3,1", 1, {none, {2, -1}, none, none, none}},
      {"column,1,2,3,4", 2, {{1, 3}, {1, 3}, {1, 3}, none, none}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.block);
    HostEditorOptions options;
    ASSERT_TRUE(farhost::ParseBlockOption(c.block, &options));
    ASSERT_TRUE(farhost::ParseCursorOption("5,2", &options));
    Open(Lines(5), options);
    EditorInfo info = Info();
    EXPECT_EQ(info.BlockType, c.type);
    EXPECT_EQ(info.CurLine, 4);
    EXPECT_EQ(info.CurPos, 1);
    for (int i = 0; i < 5; ++i) {
      Line line = GetLine(i);
      EXPECT_EQ(std::make_pair(line.selStart, line.selEnd), c.lines[i]) << "line " << i;
    }
  }
}

TEST_F(HostEditorTest, CommandLinePositionsPastTheEndAreRefused) {
  TempFile file("short.txt", "a\nb");
  std::string error;
  HostEditorOptions cursor;
  ASSERT_TRUE(farhost::ParseCursorOption("3,1", &cursor));
  EXPECT_FALSE(farhost::OpenHostEditor(file.Path(), cursor, &error));
  EXPECT_NE(error.find("--cursor: line 3 is past the end"), std::string::npos) << error;
  EXPECT_NE(error.find("(2 lines)"), std::string::npos) << error;

  HostEditorOptions block;
  ASSERT_TRUE(farhost::ParseBlockOption("stream,1,1,5,1", &block));
  EXPECT_FALSE(farhost::OpenHostEditor(file.Path(), block, &error));
  EXPECT_NE(error.find("--block: line 5"), std::string::npos) << error;
  EditorInfo info;
  EXPECT_EQ(HostEditorControl(ECTL_GETINFO, &info), 0);
}

TEST_F(HostEditorTest, PositionsInAUtf8FileCountCharacters) {
#ifdef _WIN32
  if (GetOEMCP() != 437) GTEST_SKIP() << "the system's OEM code page is not 437";
#else
  WinportSetOemCodePage(437);
#endif
  HostEditorOptions options;
  ASSERT_TRUE(farhost::ParseCursorOption("1,7", &options));
  ASSERT_TRUE(farhost::ParseBlockOption("stream,1,4,1,6", &options));
  Open("Caf\xC3\xA9 na\xC3\xAFve\n", options);
  Line line = GetLine(0);
  EXPECT_EQ(line.text,
            "Caf\x82 na\x8B"
            "ve");
  EXPECT_EQ(std::make_pair(line.selStart, line.selEnd), std::make_pair(3, 5));  // "é "
  EXPECT_EQ(Info().CurPos, 6);                                                  // on the ï
}
