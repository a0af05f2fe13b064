// Mapping modes (origins, extents, the metric and scalable modes) applied to drawing, transfers
// and clipping, and styled pens with their dash runs.
#include <gtest/gtest.h>

#include "GdiFixture.h"

namespace {

constexpr COLORREF kInk = RGB(255, 0, 0);

// The canvas's pixels as they are in the bitmap, whatever mapping the context has.
std::string DevicePicture(TestCanvas& c, COLORREF ink) {
  const int saved = SaveDC(c.dc);
  SetMapMode(c.dc, MM_TEXT);
  SetWindowOrgEx(c.dc, 0, 0, nullptr);
  SetViewportOrgEx(c.dc, 0, 0, nullptr);
  SelectClipRgn(c.dc, nullptr);
  std::string picture = c.picture(ink);
  RestoreDC(c.dc, saved);
  return picture;
}

void Fill(HDC dc, int l, int t, int r, int b) {
  const RECT rect{l, t, r, b};
  HBRUSH brush = CreateSolidBrush(kInk);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

TEST(MappingMode, OriginsMoveEveryDrawingCall) {
  TestCanvas c(8, 4);
  c.clear(0);
  SetWindowOrgEx(c.dc, -3, -1, nullptr);  // logical (0, 0) is device (3, 1)
  Fill(c.dc, 0, 0, 2, 2);
  SetPixel(c.dc, -3, 2, kInk);
  EXPECT_EQ(GetPixel(c.dc, 0, 0), kInk);
  EXPECT_EQ(DevicePicture(c, kInk), Rows({"........", "...##...", "...##...", "#......."}));
  POINT previous{};
  SetWindowOrgEx(c.dc, 0, 0, &previous);
  EXPECT_EQ(previous.x, -3);
  c.clear(0);
  SetViewportOrgEx(c.dc, 6, 3, nullptr);
  IntersectClipRect(c.dc, -10, -10, 1, 1);  // logical, like the drawing
  Fill(c.dc, -1, -1, 5, 5);
  EXPECT_EQ(DevicePicture(c, kInk), Rows({"........", "........", ".....##.", ".....##."}));
}

TEST(MappingMode, MetricModesCountUpwardsAtTheDevicesResolution) {
  TestCanvas c(4, 4);
  EXPECT_EQ(SetMapMode(c.dc, MM_LOMETRIC), MM_TEXT);
  POINT points[] = {{254, -254}, {127, 0}};
  LPtoDP(c.dc, points, 2);
  EXPECT_EQ(points[0].x, 96);
  EXPECT_EQ(points[0].y, 96);
  EXPECT_EQ(points[1].x, 48);
  DPtoLP(c.dc, points, 1);
  EXPECT_EQ(points[0].x, 254);
  EXPECT_EQ(points[0].y, -254);
  // Extents are fixed by the mode.
  SetWindowExtEx(c.dc, 5, 5, nullptr);
  SIZE extent{};
  GetWindowExtEx(c.dc, &extent);
  EXPECT_EQ(extent.cx, 254);
}

TEST(MappingMode, ScalableModesAndTheirSavedState) {
  TestCanvas c(8, 8);
  c.clear(0);
  SetMapMode(c.dc, MM_ANISOTROPIC);
  SetWindowExtEx(c.dc, 10, 10, nullptr);
  SetViewportExtEx(c.dc, 20, 40, nullptr);  // 2 pixels across, 4 down per unit
  const int saved = SaveDC(c.dc);
  Fill(c.dc, 1, 0, 2, 1);
  EXPECT_EQ(DevicePicture(c, kInk), Rows({"..##....", "..##....", "..##....", "..##....", "........",
                                          "........", "........", "........"}));
  SetMapMode(c.dc, MM_ISOTROPIC);
  SetViewportExtEx(c.dc, 20, 40, nullptr);
  SIZE viewport{};
  GetViewportExtEx(c.dc, &viewport);
  EXPECT_EQ(viewport.cx, 20);
  EXPECT_EQ(viewport.cy, 20);  // shrunk to the smaller scale
  RestoreDC(c.dc, saved);
  EXPECT_EQ(GetMapMode(c.dc), MM_ANISOTROPIC);
  GetViewportExtEx(c.dc, &viewport);
  EXPECT_EQ(viewport.cy, 40);
}

TEST(MappingMode, TransfersMapBothContexts) {
  TestCanvas source(4, 4), target(6, 6);
  source.clear(0);
  SetPixel(source.dc, 2, 1, kInk);
  target.clear(0);
  // A transfer that reads its source outside the source's mapping would copy black only.
  SetWindowOrgEx(source.dc, -2, -1, nullptr);  // the source's (0, 0) is its pixel (2, 1)
  SetViewportOrgEx(target.dc, 3, 3, nullptr);
  BitBlt(target.dc, 0, 0, 2, 2, source.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(DevicePicture(target, kInk), Rows({"......", "......", "......", "...#..", "......", "......"}));
}

TEST(StyledPen, DashRunsFillTheirGapsOnlyOnAnOpaqueBackground) {
  TestCanvas c(14, 3);
  c.clear(0);
  HPEN dotted = CreatePen(PS_DOT, 1, kInk);
  HGDIOBJ previous = SelectObject(c.dc, dotted);
  SetBkMode(c.dc, TRANSPARENT);
  MoveToEx(c.dc, 0, 0, nullptr);
  LineTo(c.dc, 13, 0);
  // A polyline keeps its dash state from one segment to the next.
  const POINT corner[] = {{0, 2}, {4, 2}, {10, 2}};
  Polyline(c.dc, corner, 3);
  EXPECT_EQ(c.picture(kInk), Rows({"###...###...#.", "..............", "###...###.....", }));
  SetBkMode(c.dc, OPAQUE);
  SetBkColor(c.dc, RGB(0, 0, 255));
  MoveToEx(c.dc, 0, 1, nullptr);
  LineTo(c.dc, 8, 1);
  EXPECT_EQ(c.picture(RGB(0, 0, 255)).substr(15, 14), "...###........");
  SelectObject(c.dc, previous);
  DeleteObject(dotted);
}

TEST(StyledPen, DashedRectangleOutlineAndWidePensDrawSolid) {
  TestCanvas c(8, 4);
  c.clear(0);
  HPEN dashed = CreatePen(PS_DOT, 1, kInk);
  HGDIOBJ pen = SelectObject(c.dc, dashed);
  HGDIOBJ brush = SelectObject(c.dc, GetStockObject(NULL_BRUSH));
  SetBkMode(c.dc, TRANSPARENT);
  Rectangle(c.dc, 0, 0, 8, 4);
  EXPECT_EQ(c.picture(kInk), Rows({"###...##", "#......#", "#.......", "...###.."}));
  HPEN wide = CreatePen(PS_DASH, 2, kInk);
  SelectObject(c.dc, wide);
  c.clear(0);
  MoveToEx(c.dc, 0, 1, nullptr);
  LineTo(c.dc, 8, 1);
  EXPECT_EQ(c.picture(kInk), Rows({"########", "########", "........", "........"}));
  SelectObject(c.dc, pen);
  SelectObject(c.dc, brush);
  DeleteObject(dashed);
  DeleteObject(wide);
}

}  // namespace
