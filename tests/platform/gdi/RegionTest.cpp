// Polygon regions: the pixels they cover by either fill rule, their bounds, and clipping.
#include <gtest/gtest.h>

#include "platform/gdi/Gdi.h"

namespace {

TEST(PolygonRegion, CoversWhatTheFillRuleFillsWithinItsBounds) {
  // Two overlapping squares in one outline, both walked the same way round.
  const POINT twice[] = {{0, 0}, {8, 0}, {8, 8}, {0, 8}, {0, 0}, {2, 2}, {6, 2}, {6, 6}, {2, 6}, {2, 2}};
  HRGN winding = CreatePolygonRgn(twice, 10, WINDING);
  HRGN alternate = CreatePolygonRgn(twice, 10, ALTERNATE);
  EXPECT_TRUE(PtInRegion(winding, 4, 4));
  EXPECT_FALSE(PtInRegion(alternate, 4, 4));
  EXPECT_TRUE(PtInRegion(alternate, 1, 1));
  EXPECT_FALSE(PtInRegion(alternate, 8, 4));
  RECT box{};
  EXPECT_EQ(GetRgnBox(winding, &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.right, 8);
  EXPECT_EQ(box.bottom, 8);
  DeleteObject(winding);
  DeleteObject(alternate);
}

TEST(PolygonRegion, DegenerateOutlinesCoverNothingAndOnlyRectanglesClip) {
  const POINT line[] = {{0, 0}, {5, 5}};
  HRGN empty = CreatePolygonRgn(line, 2, WINDING);
  RECT box{1, 1, 1, 1};
  EXPECT_EQ(GetRgnBox(empty, &box), NULLREGION);
  EXPECT_FALSE(PtInRegion(empty, 0, 0));
  EXPECT_EQ(CreatePolygonRgn(line, 2, 7), nullptr);
  const POINT triangle[] = {{0, 0}, {10, 0}, {0, 10}};
  HRGN shape = CreatePolygonRgn(triangle, 3, ALTERNATE);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectClipRgn(dc, shape), RGN_ERROR);
  HRGN rect = CreateRectRgn(0, 0, 4, 4);
  EXPECT_EQ(SelectClipRgn(dc, rect), SIMPLEREGION);
  DeleteObject(rect);
  DeleteObject(shape);
  DeleteObject(empty);
  DeleteDC(dc);
}

}  // namespace
