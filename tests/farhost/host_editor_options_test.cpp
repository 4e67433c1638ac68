// The --cursor and --block values of the command line.
#include <gtest/gtest.h>

#include "farhost/host_editor.hpp"

using farhost::HostEditorOptions;

TEST(ParseCursorOption, OneBasedLineAndColumn) {
  HostEditorOptions options;
  ASSERT_TRUE(farhost::ParseCursorOption("12,5", &options));
  EXPECT_TRUE(options.hasCursor);
  EXPECT_EQ(options.cursorLine, 11);
  EXPECT_EQ(options.cursorColumn, 4);
}

TEST(ParseCursorOption, RefusesAnythingElse) {
  for (const char *bad : {"", "1", "1,", ",1", "0,1", "1,0", "-1,2", "1,2,3", "a,b", "1, 2", "1;2",
                          "999999999999,1", "1,2x"}) {
    HostEditorOptions options;
    EXPECT_FALSE(farhost::ParseCursorOption(bad, &options)) << bad;
    EXPECT_FALSE(options.hasCursor) << bad;
  }
  HostEditorOptions options;
  EXPECT_FALSE(farhost::ParseCursorOption(nullptr, &options));
  EXPECT_FALSE(farhost::ParseCursorOption("1,1", nullptr));
}

TEST(ParseBlockOption, StreamAndColumnBlocks) {
  struct Case {
    const char *value;
    int type, firstLine, firstColumn, lastLine, endColumn;
  };
  const Case cases[] = {
      {"stream,2,3,4,5", BTYPE_STREAM, 1, 2, 3, 4},
      {"stream,2,3,2,9", BTYPE_STREAM, 1, 2, 1, 8},
      {"Stream,2,3,3,1", BTYPE_STREAM, 1, 2, 2, 0},
      {"column,20,6,23,9", BTYPE_COLUMN, 19, 5, 22, 8},
      {"COLUMN,1,1,1,2", BTYPE_COLUMN, 0, 0, 0, 1},
  };
  for (const Case &c : cases) {
    HostEditorOptions options;
    ASSERT_TRUE(farhost::ParseBlockOption(c.value, &options)) << c.value;
    EXPECT_EQ(options.blockType, c.type) << c.value;
    EXPECT_EQ(options.blockFirstLine, c.firstLine) << c.value;
    EXPECT_EQ(options.blockFirstColumn, c.firstColumn) << c.value;
    EXPECT_EQ(options.blockLastLine, c.lastLine) << c.value;
    EXPECT_EQ(options.blockEndColumn, c.endColumn) << c.value;
  }
}

TEST(ParseBlockOption, RefusesAnythingElse) {
  for (const char *bad :
       {"", "stream", "stream,", "stream,1,1,1", "stream,1,1,1,1", "stream,2,1,1,5",
        "stream,1,5,1,3", "column,1,5,3,5", "column,1,5,3,4", "box,1,1,2,2", "streams,1,1,2,2",
        "stream,0,1,2,2", "stream,1,1,2,2,", "stream 1,1,2,2"}) {
    HostEditorOptions options;
    EXPECT_FALSE(farhost::ParseBlockOption(bad, &options)) << bad;
    EXPECT_EQ(options.blockType, BTYPE_NONE) << bad;
  }
}
