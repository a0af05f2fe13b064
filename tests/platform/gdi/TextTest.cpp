// Text: drawn in the text colour inside its measured cell, opaque or transparent background,
// font sizes by character or cell height, face fallback, underline and strike-out where the
// faces put them, and text on several threads at once.
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
  const RECT box = c.inkBox(kWhite);
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
  EXPECT_LT(c.inkBox(kWhite).left, c.inkBox(kWhite).right);
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

// Where a face's own tables put its lines, in its units (2048 to the em): the underline's
// centre below the baseline and its thickness (post table, as FreeType reads it), the top of
// the strike-out above the baseline and its thickness (OS/2 table).
struct FaceLines {
  const char* face;
  int underlineCentre, underlineSize, strikeOutTop, strikeOutSize;
};
constexpr FaceLines kLiberationSans{"Liberation Sans", 142, 150, 530, 102};
constexpr FaceLines kDejaVuSans{"DejaVu Sans", 85, 90, 530, 102};

struct LineCase {
  const char* name;
  FaceLines lines;
  int em;
  int bkMode;
  bool clipped;  // ExtTextOutA clipped to the text's left half
};

// "a b": no glyph row runs across the blank, so only a line drawn across the advance fills a
// whole row.
TEST(Text, UnderlineAndStrikeOutRunAcrossTheAdvanceWhereTheFaceSays) {
  const LineCase cases[] = {
      {"the dialog's links", kLiberationSans, 11, TRANSPARENT, false},
      {"large, transparent", kLiberationSans, 100, TRANSPARENT, false},
      {"large, opaque", kLiberationSans, 100, OPAQUE, false},
      {"another face's lines", kDejaVuSans, 100, TRANSPARENT, false},
      {"clipped", kDejaVuSans, 40, OPAQUE, true},
  };
  constexpr int kX = 12, kY = 6;
  for (const LineCase& k : cases) {
    SCOPED_TRACE(k.name);
    TestCanvas c(360, 150);
    c.clear(kBlue);
    SetBkMode(c.dc, k.bkMode);
    SetBkColor(c.dc, kRed);
    SetTextColor(c.dc, kWhite);
    const double px = k.em / 2048.0;
    const HFONT plain = Font(-k.em, k.lines.face);
    const HFONT lined = CreateFontA(-k.em, 0, 0, 0, FW_NORMAL, 0, 1, 1, 0, 0, 0, 0, 0, k.lines.face);
    const HGDIOBJ old = SelectObject(c.dc, plain);
    SIZE size{};
    TEXTMETRICA tm{};
    GetTextExtentPoint32A(c.dc, "a b", 3, &size);
    GetTextMetricsA(c.dc, &tm);
    ASSERT_TRUE(ExtTextOutA(c.dc, kX, kY, 0, nullptr, "a b", 3, nullptr));
    EXPECT_TRUE(c.fullRows(kX, kX + size.cx, kWhite).empty()) << "lines without the font's flags";

    c.clear(kBlue);
    SelectObject(c.dc, lined);
    const int right = k.clipped ? kX + size.cx / 2 : kX + size.cx;
    const RECT clip{kX, kY, right, kY + size.cy};
    ASSERT_TRUE(ExtTextOutA(c.dc, kX, kY, k.clipped ? ETO_CLIPPED : 0, &clip, "a b", 3, nullptr));
    const auto bands = c.fullRows(kX, right, kWhite);
    ASSERT_EQ(bands.size(), 2u) << c.picture(kWhite);
    const int baseline = kY + tm.tmAscent;
    const auto [strikeTop, strikeBottom] = bands[0];
    const auto [underTop, underBottom] = bands[1];
    EXPECT_NEAR(strikeTop, baseline - k.lines.strikeOutTop * px, 1.0);
    EXPECT_NEAR(strikeBottom - strikeTop, std::max(1.0, k.lines.strikeOutSize * px), 1.0);
    EXPECT_NEAR((underTop + underBottom) / 2.0, baseline + k.lines.underlineCentre * px, 1.0);
    EXPECT_NEAR(underBottom - underTop, std::max(1.0, k.lines.underlineSize * px), 1.0);
    EXPECT_GE(underTop, baseline) << "the underline lies below the baseline";
    EXPECT_LE(underBottom, kY + size.cy) << "and inside the text's cell";
    // The background beside the lines follows the mode, and a clipped line stops at the rectangle.
    const COLORREF behind = k.bkMode == OPAQUE ? kRed : kBlue;
    EXPECT_EQ(GetPixel(c.dc, kX - 1, underTop), kBlue);
    EXPECT_EQ(GetPixel(c.dc, right, underTop), kBlue);
    EXPECT_EQ(GetPixel(c.dc, kX, kY + size.cy - 1), underBottom == kY + size.cy ? kWhite : behind);
    SelectObject(c.dc, old);
    DeleteObject(plain);
    DeleteObject(lined);
  }
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
