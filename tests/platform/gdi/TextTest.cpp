// Text: drawn in the text colour inside its measured cell, opaque or transparent background,
// font sizes by character or cell height, face fallback, and text on several threads at once.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/platform/gdi/GdiFixture.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

// Fonts are looked up without the user's own configuration.
class NoUserConfig : public testing::Environment {
 public:
  void SetUp() override {
    char folder[] = "/tmp/gdi-text-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    setenv("XDG_CONFIG_HOME", folder, 1);
    setenv("XDG_CACHE_HOME", folder, 1);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

 private:
  std::string folder_;
};
const auto* const kEnvironment = testing::AddGlobalTestEnvironment(new NoUserConfig);

// The bounding box of the pixels of one colour, empty when there are none.
RECT Ink(const TestCanvas& c, COLORREF color) {
  RECT box{c.width, c.height, 0, 0};
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x)
      if (GetPixel(c.dc, x, y) == color) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
  return box;
}

HFONT Font(int height, const char* face, int weight = FW_NORMAL) {
  return CreateFontA(height, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, 0, 0, face);
}

TEST(Text, TransparentTextStaysInsideItsExtentAndLeavesTheBackground) {
  TestCanvas c(120, 40);
  c.clear(kBlue);
  SetBkMode(c.dc, TRANSPARENT);
  SetTextColor(c.dc, kWhite);
  ASSERT_TRUE(TextOutA(c.dc, 10, 5, "Frame rate: 60 FPS", 18));
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32A(c.dc, "Frame rate: 60 FPS", 18, &size));
  const RECT box = Ink(c, kWhite);
  ASSERT_LT(box.left, box.right) << "nothing drawn";
  EXPECT_GE(box.left, 10);
  EXPECT_GE(box.top, 5);
  EXPECT_LE(box.right, std::min<LONG>(10 + size.cx, c.width));
  EXPECT_LE(box.bottom, 5 + size.cy);
  EXPECT_GT(box.right - box.left, size.cx / 2);
  EXPECT_EQ(GetPixel(c.dc, 10, 5), kBlue);
  EXPECT_EQ(GetPixel(c.dc, 0, 0), kBlue);
}

TEST(Text, OpaqueModeFillsTheCellWithTheBackgroundColour) {
  TestCanvas c(60, 30);
  SetBkColor(c.dc, kRed);
  SetTextColor(c.dc, kWhite);
  TextOutA(c.dc, 2, 3, "Hi", 2);
  SIZE size{};
  GetTextExtentPoint32A(c.dc, "Hi", 2, &size);
  EXPECT_EQ(GetPixel(c.dc, 2, 3), kRed);
  EXPECT_EQ(GetPixel(c.dc, 2 + size.cx - 1, 3 + size.cy - 1), kRed);
  EXPECT_EQ(GetPixel(c.dc, 2 + size.cx, 3), 0u);
  EXPECT_EQ(GetPixel(c.dc, 2, 3 + size.cy), 0u);
  EXPECT_LT(Ink(c, kWhite).left, Ink(c, kWhite).right);
}

TEST(Text, SystemFontIsASansFaceAboutSixteenPixelsHigh) {
  TestCanvas c(1, 1);
  TEXTMETRICA tm{};
  ASSERT_TRUE(GetTextMetricsA(c.dc, &tm));
  EXPECT_EQ(tm.tmHeight, 16);
  EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
  EXPECT_GT(tm.tmAveCharWidth, 0);
  EXPECT_EQ(tm.tmWeight, FW_NORMAL);
}

TEST(Text, HeightsNameTheCharacterOrTheCell) {
  TestCanvas c(1, 1);
  TEXTMETRICA tm{};
  const HFONT character = Font(-20, "DejaVu Sans");
  const HGDIOBJ old = SelectObject(c.dc, character);
  GetTextMetricsA(c.dc, &tm);
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 20);
  const HFONT cell = Font(30, "DejaVu Sans");
  SelectObject(c.dc, cell);
  GetTextMetricsA(c.dc, &tm);
  EXPECT_EQ(tm.tmHeight, 30);
  SelectObject(c.dc, old);
  DeleteObject(character);
  DeleteObject(cell);
}

TEST(Text, UnknownFaceFallsBackToTheSansFaceAndBoldIsWider) {
  TestCanvas c(1, 1);
  const auto width = [&](HFONT f) {
    SIZE s{};
    const HGDIOBJ old = SelectObject(c.dc, f);
    GetTextExtentPoint32A(c.dc, "Waterfall", 9, &s);
    SelectObject(c.dc, old);
    DeleteObject(f);
    return s.cx;
  };
  const LONG known = width(Font(-14, "DejaVu Sans"));
  EXPECT_EQ(width(Font(-14, "No Such Face At All")), known);
  EXPECT_GT(width(Font(-14, "DejaVu Sans", FW_BOLD)), known);
  SIZE empty{1, 1};
  EXPECT_TRUE(GetTextExtentPoint32A(c.dc, "", 0, &empty));
  EXPECT_EQ(empty.cx, 0);
}

TEST(Text, ContextsOnSeveralThreadsDrawTheSameText) {
  const auto draw = [] {
    TestCanvas c(80, 20);
    SetTextColor(c.dc, kWhite);
    SetBkMode(c.dc, TRANSPARENT);
    const HFONT f = Font(-13, "DejaVu Sans");
    SelectObject(c.dc, f);
    TextOutA(c.dc, 1, 1, "12:34 \xE9t\xE9", 9);
    Ellipse(c.dc, 60, 2, 75, 17);
    SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(f);
    return c.picture(kWhite);
  };
  std::string results[4];
  std::vector<std::thread> threads;
  for (auto& r : results) threads.emplace_back([&r, &draw] { r = draw(); });
  for (auto& t : threads) t.join();
  for (const auto& r : results) EXPECT_EQ(r, results[0]);
  EXPECT_NE(results[0].find('#'), std::string::npos);
}

}  // namespace
