#include <gtest/gtest.h>

#include "editor/region.hpp"

namespace {

Region Make(int sc, int sl, int ec, int el, uint32_t color = 0x1E) {
  Region r;
  r.Set(sc, sl, ec, el);
  r.color = color;
  return r;
}

void ExpectCoordinates(const Region &r, int sc, int sl, int ec, int el) {
  EXPECT_EQ(r.startColumn, sc);
  EXPECT_EQ(r.startLine, sl);
  EXPECT_EQ(r.endColumn, ec);
  EXPECT_EQ(r.endLine, el);
}

TEST(Region, SetPointAndClear) {
  Region r = Make(1, 2, 3, 4);
  ExpectCoordinates(r, 1, 2, 3, 4);
  EXPECT_EQ(r.LineSpan(), 2);
  EXPECT_FALSE(r.IsEmpty());
  EXPECT_FALSE(r.IsNull());
  r.SetPoint(5, 6);
  ExpectCoordinates(r, 5, 6, 5, 6);
  EXPECT_TRUE(r.IsEmpty());
  EXPECT_FALSE(r.IsNull());  // empty, yet not cleared
  EXPECT_EQ(r.LineSpan(), 0);
  r.Clear();
  ExpectCoordinates(r, 0, 0, 0, 0);
  EXPECT_TRUE(r.IsNull());
  EXPECT_TRUE(r.IsEmpty());
  EXPECT_EQ(r.color, 0x1Eu);  // the color stays
}

TEST(Region, CoordinatesBeyondTheirRangeStopAtItsEnds) {
  Region r = Make(40000, 1, 70000, -40000);
  ExpectCoordinates(r, 32767, 1, 32767, -32768);
}

TEST(Region, EmptyAndNullDifferOnEachCoordinate) {
  struct Case {
    int sc, sl, ec, el;
    bool empty, null;
  } cases[] = {
      {0, 0, 0, 0, true, true},   {3, 1, 3, 1, true, false},  {0, 0, 1, 0, false, false},
      {0, 0, 0, 1, false, false}, {1, 0, 0, 0, false, false}, {0, 1, 0, 0, false, false},
  };
  for (const Case &c : cases) {
    Region r = Make(c.sc, c.sl, c.ec, c.el);
    EXPECT_EQ(r.IsEmpty(), c.empty) << c.sc << c.sl << c.ec << c.el;
    EXPECT_EQ(r.IsNull(), c.null) << c.sc << c.sl << c.ec << c.el;
  }
}

TEST(Region, Normalize) {
  struct Case {
    int in[4];
    int out[4];
  } cases[] = {
      {{2, 1, 5, 3}, {2, 1, 5, 3}},  // already in order
      {{5, 3, 2, 1}, {2, 1, 5, 3}},  // lines reversed: both points swap
      {{1, 3, 7, 1}, {7, 1, 1, 3}},  // lines reversed, columns follow their points
      {{9, 2, 4, 2}, {4, 2, 9, 2}},  // one line: columns swap
      {{4, 2, 4, 2}, {4, 2, 4, 2}},
  };
  for (const Case &c : cases) {
    Region r = Make(c.in[0], c.in[1], c.in[2], c.in[3]);
    r.Normalize();
    SCOPED_TRACE(testing::Message()
                 << c.in[0] << "," << c.in[1] << "-" << c.in[2] << "," << c.in[3]);
    ExpectCoordinates(r, c.out[0], c.out[1], c.out[2], c.out[3]);
    EXPECT_EQ(r.color, 0x1Eu);
  }
}

}  // namespace
