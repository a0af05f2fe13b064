// Text in a face that has none of the tables a TrueType face keeps its strike-out in (a Type 1
// face, the only kind of font this program's font configuration holds): its lines still come
// out where its letters are. A program of its own, as the font configuration is read once.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/gdi/Fonts.h"
#include "tests/platform/gdi/GdiFixture.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlue = RGB(0, 0, 255);
constexpr const char* kType1Fonts = "/usr/share/fonts/type1/urw-base35";

class Type1FontsOnly : public testing::Environment {
 public:
  void SetUp() override {
    char folder[] = "/tmp/gdi-type1-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    const std::filesystem::path config = folder_ / "fonts.conf";
    std::ofstream(config) << "<?xml version=\"1.0\"?>\n<fontconfig><dir>" << kType1Fonts << "</dir><cachedir>"
                          << folder_.string() << "</cachedir></fontconfig>\n";
    setenv("FONTCONFIG_FILE", config.c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

 private:
  std::filesystem::path folder_;
};
const auto* const kEnvironment = testing::AddGlobalTestEnvironment(new Type1FontsOnly);

TEST(Type1Text, TheStrikeOutCrossesTheMiddleOfTheLowerCaseLettersAndTheUnderlineIsTheFacesOwn) {
  ASSERT_TRUE(std::filesystem::is_directory(kType1Fonts)) << "the package fonts-urw-base35 is missing";
  ASSERT_EQ(gdi::InstalledFamily("Nimbus Sans"), "Nimbus Sans");
  TestCanvas c(300, 140);
  c.clear(kBlue);
  SetBkMode(c.dc, TRANSPARENT);
  SetTextColor(c.dc, kWhite);
  constexpr int kX = 10, kY = 5, kEm = 100;
  const HFONT plain = CreateFontA(-kEm, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Nimbus Sans");
  const HFONT lined = CreateFontA(-kEm, 0, 0, 0, FW_NORMAL, 0, 1, 1, 0, 0, 0, 0, 0, "Nimbus Sans");
  const HGDIOBJ old = SelectObject(c.dc, plain);
  TEXTMETRICA tm{};
  GetTextMetricsA(c.dc, &tm);
  const int baseline = kY + tm.tmAscent;
  TextOutA(c.dc, kX, kY, "x", 1);
  const RECT x = c.inkBox(kWhite);
  ASSERT_EQ(x.bottom, baseline) << "an x stands on the baseline";

  c.clear(kBlue);
  SelectObject(c.dc, lined);
  SIZE size{};
  GetTextExtentPoint32A(c.dc, "a b", 3, &size);
  TextOutA(c.dc, kX, kY, "a b", 3);
  const auto bands = c.fullRows(kX, kX + size.cx, kWhite);
  ASSERT_EQ(bands.size(), 2u) << c.picture(kWhite);
  const auto [strikeTop, strikeBottom] = bands[0];
  const auto [underTop, underBottom] = bands[1];
  EXPECT_NEAR((strikeTop + strikeBottom) / 2.0, (x.top + x.bottom) / 2.0, 1.0);
  EXPECT_EQ(strikeBottom - strikeTop, underBottom - underTop) << "as thick as the underline";
  // The face's own underline: 151/1000 of the em below the baseline, 50/1000 thick.
  EXPECT_NEAR((underTop + underBottom) / 2.0, baseline + 0.151 * kEm, 1.0);
  EXPECT_EQ(underBottom - underTop, 5);
  SelectObject(c.dc, old);
  DeleteObject(plain);
  DeleteObject(lined);
}

}  // namespace
