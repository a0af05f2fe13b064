// Pixel fixtures for the drawing rules: lines leave out their end point, rectangles and ellipses
// their right and bottom edges, polygons fill alternate or winding, fills clip to the bitmap.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/platform/gdi/GdiFixture.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

struct LineCase {
  const char* name;
  POINT from, to;
  std::string expected;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class LineTest : public testing::TestWithParam<LineCase> {};

TEST_P(LineTest, LeavesOutTheEndPoint) {
  TestCanvas c(5, 5);
  const HPEN pen = CreatePen(PS_SOLID, 1, kWhite);
  const HGDIOBJ old = SelectObject(c.dc, pen);
  MoveToEx(c.dc, GetParam().from.x, GetParam().from.y, nullptr);
  LineTo(c.dc, GetParam().to.x, GetParam().to.y);
  EXPECT_EQ(c.picture(kWhite), GetParam().expected);
  POINT at{};
  MoveToEx(c.dc, 0, 0, &at);
  EXPECT_EQ(at.x, GetParam().to.x);
  EXPECT_EQ(at.y, GetParam().to.y);
  SelectObject(c.dc, old);
  DeleteObject(pen);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineTest,
    testing::Values(LineCase{"Horizontal", {0, 1}, {4, 1}, Rows({".....", "####.", ".....", ".....", "....."})},
                    LineCase{"Vertical", {2, 4}, {2, 0}, Rows({".....", "..#..", "..#..", "..#..", "..#.."})},
                    LineCase{"Diagonal", {0, 0}, {4, 4}, Rows({"#....", ".#...", "..#..", "...#.", "....."})},
                    LineCase{"Steep", {0, 0}, {2, 4}, Rows({"#....", ".#...", ".#...", "..#..", "....."})},
                    LineCase{"Empty", {2, 2}, {2, 2}, Rows({".....", ".....", ".....", ".....", "....."})}),
    [](const auto& info) { return info.param.name; });

// Draws one shape with a red pen and a blue brush; gives the pen's and the brush's pixels.
std::pair<std::string, std::string> DrawShape(BOOL (*shape)(HDC, int, int, int, int), int right, int bottom) {
  TestCanvas c(6, 6);
  const HPEN pen = CreatePen(PS_SOLID, 1, kRed);
  const HBRUSH brush = CreateSolidBrush(kBlue);
  SelectObject(c.dc, pen);
  SelectObject(c.dc, brush);
  shape(c.dc, 0, 0, right, bottom);
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(pen);
  DeleteObject(brush);
  return {c.picture(kRed), c.picture(kBlue)};
}

TEST(Draw, RectangleCoversAllButRightAndBottomEdge) {
  const auto [pen, brush] = DrawShape(Rectangle, 4, 4);
  EXPECT_EQ(pen, Rows({"####..", "#..#..", "#..#..", "####..", "......", "......"}));
  EXPECT_EQ(brush, Rows({"......", ".##...", ".##...", "......", "......", "......"}));
}

TEST(Draw, EllipseExactPixels) {
  const auto [pen, brush] = DrawShape(Ellipse, 5, 5);
  EXPECT_EQ(pen, Rows({".###..", "#...#.", "#...#.", "#...#.", ".###..", "......"}));
  EXPECT_EQ(brush, Rows({"......", ".###..", ".###..", ".###..", "......", "......"}));
}

TEST(Draw, NullPenLeavesTheWholeShapeToTheBrushAndNullBrushTheInside) {
  TestCanvas c(4, 4);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  Rectangle(c.dc, 0, 0, 3, 3);
  EXPECT_EQ(c.picture(kWhite), Rows({"###.", "###.", "###.", "...."}));
  c.clear(0);
  SelectObject(c.dc, GetStockObject(WHITE_PEN));
  SelectObject(c.dc, GetStockObject(NULL_BRUSH));
  Rectangle(c.dc, 0, 0, 4, 4);
  EXPECT_EQ(c.picture(kWhite), Rows({"####", "#..#", "#..#", "####"}));
}

TEST(Draw, StarFillsAlternateOrWinding) {
  // A five-pointed star drawn in one stroke crosses itself; its centre has winding number 2.
  const POINT star[] = {{10, 0}, {16, 19}, {0, 7}, {20, 7}, {4, 19}};
  for (const int mode : {ALTERNATE, WINDING}) {
    TestCanvas c(21, 21);
    SelectObject(c.dc, GetStockObject(NULL_PEN));
    SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
    SetPolyFillMode(c.dc, mode);
    Polygon(c.dc, star, 5);
    EXPECT_EQ(GetPixel(c.dc, 10, 10), mode == WINDING ? kWhite : 0) << mode;
    EXPECT_EQ(GetPixel(c.dc, 10, 2), kWhite) << mode;   // a point of the star
    EXPECT_EQ(GetPixel(c.dc, 0, 20), 0u) << mode;       // outside
  }
}

TEST(Draw, PolygonOutlineRunsThroughEveryCorner) {
  TestCanvas c(5, 5);
  SelectObject(c.dc, GetStockObject(WHITE_PEN));
  SelectObject(c.dc, GetStockObject(NULL_BRUSH));
  const POINT square[] = {{0, 0}, {3, 0}, {3, 3}, {0, 3}};
  Polygon(c.dc, square, 4);
  EXPECT_EQ(c.picture(kWhite), Rows({"####.", "#..#.", "#..#.", "####.", "....."}));
}

// Corners past what a polygon call keeps inside itself still fill exactly: extra corners on
// the right edge leave the square as it was.
TEST(Draw, PolygonWithManyCornersFillsLikeItsFourCornerShape) {
  const auto fill = [](int extra) {
    std::vector<POINT> corners{{0, 0}, {12, 0}};
    for (int i = 1; i <= extra; ++i) corners.push_back({12, 12 * i / (extra + 1)});
    corners.push_back({12, 12});
    corners.push_back({0, 12});
    TestCanvas c(14, 14);
    SelectObject(c.dc, GetStockObject(NULL_PEN));
    Polygon(c.dc, corners.data(), static_cast<int>(corners.size()));
    return c.picture(kWhite);
  };
  const std::string square = fill(0);
  EXPECT_EQ(square.substr(0, 15), "############..\n");
  for (const int extra : {28, 29, 60}) EXPECT_EQ(fill(extra), square) << extra + 4 << " corners";
}

// Pens and brushes reuse freed memory, never a live object's, and never a handle.
TEST(Draw, RecreatedPensAndBrushesKeepTheirOwnHandlesAndColours) {
  TestCanvas c(3, 2);
  const HPEN gone = CreatePen(PS_SOLID, 1, kRed);
  ASSERT_TRUE(DeleteObject(gone));
  const HPEN pen = CreatePen(PS_SOLID, 1, kBlue);
  EXPECT_NE(pen, gone);
  EXPECT_EQ(SelectObject(c.dc, gone), nullptr);
  SelectObject(c.dc, pen);
  MoveToEx(c.dc, 0, 0, nullptr);
  LineTo(c.dc, 3, 0);
  EXPECT_EQ(c.picture(kBlue), Rows({"###", "..."}));

  const HBRUSH selected = CreateSolidBrush(kRed);
  SelectObject(c.dc, selected);
  ASSERT_TRUE(DeleteObject(selected));  // still selected: it lives on
  const HBRUSH other = CreateSolidBrush(kWhite);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  Rectangle(c.dc, 0, 1, 3, 2);
  EXPECT_EQ(c.picture(kRed), Rows({"...", "###"}));
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  EXPECT_TRUE(DeleteObject(other));
  EXPECT_TRUE(DeleteObject(pen));
}

TEST(Draw, PensAndBrushesComeAndGoOnSeveralThreads) {
  const auto draw = [] {
    TestCanvas c(8, 8);
    for (int i = 0; i < 200; ++i) {
      const HPEN pen = CreatePen(PS_SOLID, 1, RGB(i % 2 * 255, 0, 0));
      const HBRUSH brush = CreateSolidBrush(RGB(0, 0, i % 2 * 255));
      const HGDIOBJ oldPen = SelectObject(c.dc, pen);
      const HGDIOBJ oldBrush = SelectObject(c.dc, brush);
      Ellipse(c.dc, 0, 0, 8, 8);
      SelectObject(c.dc, oldPen);
      SelectObject(c.dc, oldBrush);
      DeleteObject(pen);
      DeleteObject(brush);
    }
    return c.picture(kBlue) + c.picture(kRed);
  };
  std::string results[4];
  {
    std::vector<std::thread> threads;
    for (auto& r : results) threads.emplace_back([&r, &draw] { r = draw(); });
    for (auto& t : threads) t.join();
  }
  const std::string expected = draw();
  EXPECT_NE(expected.find('#'), std::string::npos);
  for (const auto& r : results) EXPECT_EQ(r, expected);
}

TEST(Draw, FillRectExcludesRightAndBottomAndClipsToTheBitmap) {
  TestCanvas c(4, 3);
  const HBRUSH brush = CreateSolidBrush(kRed);
  const RECT r{1, 1, 3, 2};
  FillRect(c.dc, &r, brush);
  EXPECT_EQ(c.picture(kRed), Rows({"....", ".##.", "...."}));
  const RECT outside{-5, -5, 100, 100};
  FillRect(c.dc, &outside, brush);
  EXPECT_EQ(c.picture(kRed), Rows({"####", "####", "####"}));
  DeleteObject(brush);
}

TEST(Draw, FrameRectDrawsTheBorderOnly) {
  TestCanvas c(5, 4);
  const RECT r{0, 0, 4, 4};
  FrameRect(c.dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(c.picture(kWhite), Rows({"####.", "#..#.", "#..#.", "####."}));
}

TEST(Draw, ClipRegionLimitsEveryPrimitive) {
  TestCanvas c(5, 5);
  const HRGN region = CreateRectRgn(1, 1, 4, 4);
  EXPECT_EQ(SelectClipRgn(c.dc, region), SIMPLEREGION);
  DeleteObject(region);  // the context keeps its own copy
  EXPECT_EQ(IntersectClipRect(c.dc, 0, 0, 3, 5), SIMPLEREGION);
  const RECT all{0, 0, 5, 5};
  FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(c.picture(kWhite), Rows({".....", ".##..", ".##..", ".##..", "....."}));
  EXPECT_EQ(GetPixel(c.dc, 0, 0), CLR_INVALID);
  EXPECT_EQ(SetPixel(c.dc, 4, 4, kRed), CLR_INVALID);
  SelectClipRgn(c.dc, nullptr);
  EXPECT_EQ(GetPixel(c.dc, 0, 0), 0u);
}

TEST(Draw, SaveDcRestoresColoursObjectsAndClip) {
  TestCanvas c(2, 2);
  const int level = SaveDC(c.dc);
  SetTextColor(c.dc, kRed);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  IntersectClipRect(c.dc, 0, 0, 1, 1);
  EXPECT_TRUE(RestoreDC(c.dc, level));
  EXPECT_EQ(GetTextColor(c.dc), 0u);
  EXPECT_EQ(GetCurrentObject(c.dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetPixel(c.dc, 1, 1), 0u);
  EXPECT_FALSE(RestoreDC(c.dc, -1));
}

TEST(Draw, HugeCoordinatesClipWithoutOverflow) {
  TestCanvas c(3, 3);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  Ellipse(c.dc, -2000000000, -2000000000, 2000000000, 2000000000);
  EXPECT_EQ(c.picture(kWhite), Rows({"###", "###", "###"}));
  c.clear(0);
  const POINT wedge[] = {{-2000000000, 0}, {2000000000, 0}, {0, 2000000000}};
  Polygon(c.dc, wedge, 3);
  EXPECT_EQ(c.picture(kWhite), Rows({"###", "###", "###"}));
  SelectObject(c.dc, GetStockObject(WHITE_PEN));
  MoveToEx(c.dc, -2000000000, 1, nullptr);
  EXPECT_TRUE(LineTo(c.dc, -1999999990, 1));  // far outside: nothing to draw
}

TEST(Draw, XorPenModeInvertsTwice) {
  TestCanvas c(4, 1);
  SelectObject(c.dc, GetStockObject(WHITE_PEN));
  SetROP2(c.dc, R2_XORPEN);
  MoveToEx(c.dc, 0, 0, nullptr);
  LineTo(c.dc, 3, 0);
  EXPECT_EQ(c.picture(kWhite), Rows({"###."}));
  MoveToEx(c.dc, 1, 0, nullptr);
  LineTo(c.dc, 4, 0);
  EXPECT_EQ(c.picture(kWhite), Rows({"#..#"}));
}

}  // namespace
