// DrawTextA on a bitmap: lines, word breaks, tabs, prefixes, placement, measuring and clipping,
// seen in the pixels the text leaves.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/gdi/Gdi.h"
#include "platform/user/WinUser.h"

namespace {

class DrawTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    old = SelectObject(dc, bitmap);
    const RECT all{0, 0, kWidth, kHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    line = tm.tmHeight;
  }
  void TearDown() override {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  // Rows from..to-1 hold black ink somewhere between columns left and right-1.
  bool Ink(int left, int from, int right, int to) const {
    for (int y = from; y < to; ++y)
      for (int x = left; x < right; ++x)
        if (GetPixel(dc, x, y) == 0) return true;
    return false;
  }
  int Width(const char* text) const {
    SIZE s{};
    GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &s);
    return s.cx;
  }
  static constexpr int kWidth = 200, kHeight = 100;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  int line = 0;
};

TEST_F(DrawTextTest, LineBreaksAndWordBreaks) {
  RECT r{0, 0, kWidth, kHeight};
  EXPECT_EQ(DrawTextA(dc, "one\r\ntwo\nthree", -1, &r, DT_LEFT), 3 * line);
  EXPECT_TRUE(Ink(0, 2 * line, kWidth, 3 * line));
  RECT narrow{0, 0, Width("alpha beta") + 2, kHeight};
  RECT measured = narrow;
  EXPECT_EQ(DrawTextA(dc, "alpha beta gamma", -1, &measured, DT_WORDBREAK | DT_CALCRECT), 2 * line);
  EXPECT_EQ(measured.bottom, 2 * line);
  EXPECT_LE(measured.right, narrow.right);
  // DT_SINGLELINE keeps one line whatever the breaks.
  RECT single{0, 0, kWidth, kHeight};
  EXPECT_EQ(DrawTextA(dc, "a\nb", -1, &single, DT_SINGLELINE | DT_CALCRECT), line);
}

TEST_F(DrawTextTest, PlacementAlignmentAndClipping) {
  RECT r{0, 0, kWidth, kHeight};
  EXPECT_EQ(DrawTextA(dc, "W", 1, &r, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT), kHeight);
  EXPECT_TRUE(Ink(kWidth - Width("W"), kHeight - line, kWidth, kHeight));
  EXPECT_FALSE(Ink(0, 0, kWidth - Width("W"), kHeight));
  RECT clip{10, 10, 14, 14};
  DrawTextA(dc, "WWWWWWWW", -1, &clip, DT_LEFT);
  EXPECT_FALSE(Ink(14, 0, kWidth - Width("W"), kHeight - line));
  EXPECT_TRUE(Ink(10, 10, 14, 14));
}

TEST_F(DrawTextTest, TabsPrefixesAndNoPrefix) {
  RECT r{0, 0, kWidth, kHeight};
  DrawTextA(dc, "a\tb", -1, &r, DT_CALCRECT | DT_EXPANDTABS);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  EXPECT_EQ(r.right, 8 * tm.tmAveCharWidth + Width("b"));
  RECT p{0, 0, kWidth, kHeight};
  DrawTextA(dc, "&&x&y", -1, &p, DT_CALCRECT);
  EXPECT_EQ(p.right, Width("&xy"));
  RECT q{0, 0, kWidth, kHeight};
  DrawTextA(dc, "&&x&y", -1, &q, DT_CALCRECT | DT_NOPREFIX);
  EXPECT_EQ(q.right, Width("&&x&y"));
  // The underlined character gets a line at the bottom of the text's row.
  RECT u{0, 0, kWidth, kHeight};
  DrawTextA(dc, "&_", -1, &u, 0);
  const int underline = line - 1;
  EXPECT_TRUE(Ink(0, underline, Width("_"), underline + 1));
}

}  // namespace
