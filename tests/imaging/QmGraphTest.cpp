// The pixel-format unit's streams and conversions: every BMP it writes reads back through our
// reader and Qt's with the same pixels; the formats colour counts choose, same-format and grey
// requests, in-place changes and their failures, the screen's and a palette's format, zoom,
// tile and the gradient settings.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <tuple>

#include "imaging/QmGraph.h"
#include "platform/gdi/GdiMemory.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/GdiObject.h"
#include "platform/win32/GlobalMemory.h"
#include "tests/imaging/BmpStream.h"

namespace {

using bmpstream::Bmp;
using bmpstream::Picture;

constexpr COLORREF kRed = RGB(255, 0, 0), kWhite = RGB(255, 255, 255), kBlack = 0;

// Odd sizes, so every row needs padding at every depth; colours from all over the cube.
Picture Colourful(int width = 13, int height = 7) {
  Picture rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      rows[y].push_back(RGB(x * 255 / (width - 1), y * 255 / (height - 1), (x * 37 + y * 91) % 256));
  return rows;
}

struct Target {
  const char* name;
  TPixelFormat format;
  TMappingMethod method;
  int bits;
};
void PrintTo(const Target& t, std::ostream* os) { *os << t.name; }

class EveryStream : public testing::TestWithParam<Target> {};

// From bitmaps of every depth, the same depth included (the bitmap's own stream).
TEST_P(EveryStream, ReadsBackThroughBothReadersWithTheSamePixels) {
  const Target& t = GetParam();
  for (const TPixelFormat source : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    SCOPED_TRACE(testing::Message() << "from format " << source);
    const auto bitmap = bmpstream::MakeBitmap(Colourful(), source);
    const auto stream = BitmapToMemoryStream(bitmap.get(), t.format, t.method);
    const Bmp bmp = bmpstream::ReadBmp(*stream);
    EXPECT_EQ(bmp.info.biBitCount, t.bits);
    EXPECT_EQ(bmp.info.biWidth, 13);
    EXPECT_EQ(bmp.info.biHeight, 7);
    const Picture own = bmp.picture();
    EXPECT_EQ(bmpstream::OurReader(*stream), own);
    EXPECT_EQ(bmpstream::QtReader(*stream), own);
    if (t.bits == 24 && t.method != mmGrayscale) {
      EXPECT_EQ(own, bmpstream::PixelsOf(*bitmap));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, EveryStream,
    testing::Values(Target{"1 bit", pf1bit, mmHistogram, 1}, Target{"4 bits", pf4bit, mmHistogram, 4},
                    Target{"popularity", pf8bit, mmHistogram, 8}, Target{"median cut", pf8bit, mmQuantize, 8},
                    Target{"784", pf8bit, mmTrunc784, 8}, Target{"666", pf8bit, mmTrunc666, 8},
                    Target{"tripel", pf8bit, mmTripel, 8}, Target{"grey", pf8bit, mmGrayscale, 8},
                    Target{"24 bits of 24 bits", pf24bit, mmHistogram, 24},
                    Target{"24 grey bits", pf24bit, mmGrayscale, 24}));

TEST(BitmapToMemoryStream, AnEightBitBitmapStaysItselfUnlessGreyIsAsked) {
  const auto bitmap = bmpstream::MakeBitmap(Colourful(), pf8bit);
  TMemoryStream own;
  bitmap->SaveToStream(&own);
  const auto same = BitmapToMemoryStream(bitmap.get(), pf8bit, mmHistogram);
  EXPECT_EQ(bmpstream::BytesOf(*same), bmpstream::BytesOf(own));
  EXPECT_EQ(same->GetPosition(), 0);

  const auto grey = BitmapToMemoryStream(bitmap.get(), pf8bit, mmGrayscale);
  const Bmp bmp = bmpstream::ReadBmp(*grey);
  const Picture before = bmpstream::PixelsOf(*bitmap);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) {
      const COLORREF c = before[y][x];
      const int g = (GetRValue(c) * 77 + GetGValue(c) * 150 + GetBValue(c) * 29) >> 8;
      ASSERT_EQ(bmp.index(x, y), g);
    }
}

// An 8-bit bitmap asked for 24 bits becomes a true 24-bit image of its own colours.
TEST(BitmapToMemoryStream, TwentyFourBitsOfAPalettedBitmapAreItsColours) {
  const auto bitmap = bmpstream::MakeBitmap(Colourful(), pf8bit);
  const auto stream = BitmapToMemoryStream(bitmap.get(), pf24bit, mmQuantize);
  const Bmp bmp = bmpstream::ReadBmp(*stream);
  EXPECT_EQ(bmp.info.biBitCount, 24);
  EXPECT_EQ(bmp.picture(), bmpstream::PixelsOf(*bitmap));
}

TEST(BitmapToMemoryStream, ADibSectionsResolutionIsKept) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, 2, 1, 32, BI_RGB, 0, 2835, 1417, 0, 0};
  void* bits = nullptr;
  TBitmap bitmap;
  bitmap.SetHandle(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  for (const TPixelFormat format : {pf4bit, pf8bit}) {
    const Bmp bmp = bmpstream::ReadBmp(*BitmapToMemoryStream(&bitmap, format, mmTrunc666));
    EXPECT_EQ(bmp.info.biXPelsPerMeter, 2835);
    EXPECT_EQ(bmp.info.biYPelsPerMeter, 1417);
  }
}

TEST(BitmapToMemoryStream, RefusesWhatItCannotWrite) {
  TBitmap empty;
  try {
    BitmapToMemoryStream(&empty, pf8bit, mmHistogram);
    FAIL() << "no error";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message, "Bitmap image is not valid");
  }
  EXPECT_THROW(BitmapToMemoryStream(nullptr, pf8bit, mmHistogram), EInvalidGraphic);
  // Other formats tell the user and end silently.
  vcl::ScopedMessageDialogSink dialogs;
  const auto bitmap = bmpstream::MakeBitmap({{kRed}});
  for (const TPixelFormat format : {pf15bit, pf16bit, pf32bit, pfDevice})
    EXPECT_THROW(BitmapToMemoryStream(bitmap.get(), format, mmHistogram), EAbort) << format;
  ASSERT_EQ(dialogs.Calls.size(), 4u);
  EXPECT_EQ(dialogs.Calls[0].text, "Функция не реализована");
}

// Limits what the platform's global memory may hold for one test.
class MemoryLimit {
 public:
  void Set(std::size_t bytes) { win32::SetGlobalMemoryLimit(bytes); }
  ~MemoryLimit() { win32::SetGlobalMemoryLimit(0); }
};

// The conversions work in place: beside the picture read at 24 bits they take only small
// working blocks (far less than an 8-bit copy of the picture), and the median cut its map of 2
// bytes a pixel. Memory that runs out ends a conversion with the out-of-memory error, and what
// it held is free again.
TEST(BitmapToMemoryStream, ConvertsInPlaceWithinTheBlocksItNeeds) {
  constexpr int kWidth = 800, kHeight = 600;
  constexpr std::size_t kPicture = 3 * kWidth * kHeight, kSmallBlocks = 256 * 1024, kMap = 2 * kWidth * kHeight;
  const auto bitmap = bmpstream::MakeBitmap(Colourful(kWidth, kHeight));
  MemoryLimit limit;
  for (const TMappingMethod method : {mmHistogram, mmQuantize, mmTrunc784, mmTrunc666, mmTripel, mmGrayscale}) {
    limit.Set(kPicture + kSmallBlocks + (method == mmQuantize ? kMap : 0));
    EXPECT_NO_THROW(BitmapToMemoryStream(bitmap.get(), pf8bit, method)) << method;
    limit.Set(kPicture - 1);
    try {
      BitmapToMemoryStream(bitmap.get(), pf8bit, method);
      ADD_FAILURE() << method << ": no error";
    } catch (const EOutOfMemory& e) {
      EXPECT_EQ(e.Message, "Out of memory");
    }
  }
  limit.Set(kPicture - 1);
  EXPECT_THROW(BitmapToMemoryStream(bitmap.get(), pf24bit, mmGrayscale), EOutOfMemory);
  EXPECT_NO_THROW(BitmapToMemoryStream(bitmap.get(), pf4bit, mmGrayscale));  // 4 bits are read at 4 bits
  // The picture fits, the median cut's map does not: the picture's block is given back.
  limit.Set(kPicture + kSmallBlocks);
  EXPECT_THROW(BitmapToMemoryStream(bitmap.get(), pf8bit, mmQuantize), EOutOfMemory);
  EXPECT_NO_THROW(BitmapToMemoryStream(bitmap.get(), pf8bit, mmHistogram));
}

TEST(BitmapToMemory, TheColourCountChoosesTheFormat) {
  const auto bitmap = bmpstream::MakeBitmap(Colourful());
  for (const auto& [colors, bits] : {std::pair{2, 1}, {16, 4}, {17, 8}, {256, 8}, {257, 24}}) {
    const Bmp bmp = bmpstream::ReadBmp(*BitmapToMemory(bitmap.get(), colors));
    EXPECT_EQ(bmp.info.biBitCount, bits) << colors << " colours";
  }
  // 8 bits by the program-wide method: popularity.
  const Bmp bmp = bmpstream::ReadBmp(*BitmapToMemory(bmpstream::MakeBitmap({{kRed, kWhite, kWhite}}).get(), 256));
  EXPECT_EQ(bmp.colors[0].rgbRed, 255);
  EXPECT_EQ(bmp.colors[0].rgbBlue, 255);
  EXPECT_EQ(bmp.colors[2].rgbGreen, 128);
}

TEST(SaveBitmapToFile, AMonochromeBitmapStaysOneBit) {
  const auto path = std::filesystem::temp_directory_path() / ("qmgraph_" + std::to_string(::getpid()) + ".bmp");
  const auto mono = bmpstream::MakeBitmap({{kBlack, kWhite}, {kWhite, kBlack}}, pf1bit);
  SaveBitmapToFile(path.string(), mono.get(), 256);
  TMemoryStream file;
  file.LoadFromFile(path.string());
  const Bmp bmp = bmpstream::ReadBmp(file);
  EXPECT_EQ(bmp.info.biBitCount, 1);
  EXPECT_EQ(bmp.picture(), (Picture{{kBlack, kWhite}, {kWhite, kBlack}}));

  const auto colour = bmpstream::MakeBitmap(Colourful());
  SaveBitmapToFile(path.string(), colour.get(), 16);  // overwrites
  file.LoadFromFile(path.string());
  EXPECT_EQ(bmpstream::ReadBmp(file).info.biBitCount, 4);
  std::filesystem::remove(path);
}

TEST(SetBitmapPixelFormat, ConvertsInPlaceOrLeavesTheBitmap) {
  const auto bitmap = bmpstream::MakeBitmap(Colourful());
  SetBitmapPixelFormat(bitmap.get(), pf8bit, mmTrunc666);
  EXPECT_EQ(bitmap->GetPixelFormat(), pf8bit);
  EXPECT_EQ(bitmap->GetCanvas()->GetPixels(12, 0), static_cast<TColor>(RGB(255, 0, 204)));  // was 255, 0, 188
  const Picture reduced = bmpstream::PixelsOf(*bitmap);

  {
    vcl::ScopedMessageDialogSink dialogs;
    EXPECT_THROW(SetBitmapPixelFormat(bitmap.get(), pf16bit, mmHistogram), EAbort);
  }
  EXPECT_EQ(bitmap->GetPixelFormat(), pf8bit);
  EXPECT_EQ(bmpstream::PixelsOf(*bitmap), reduced);

  SetBitmapPixelFormat(bitmap.get(), pf8bit, mmGrayscale);  // same format: nothing
  EXPECT_EQ(bmpstream::PixelsOf(*bitmap), reduced);
  TBitmap empty;
  SetBitmapPixelFormat(&empty, pf8bit, mmHistogram);
  EXPECT_TRUE(empty.GetEmpty());
}

TEST(GrayscaleBitmap, TurnsAnEightBitBitmapGreyToo) {
  const auto bitmap = bmpstream::MakeBitmap({{kRed, kWhite}}, pf8bit);
  GrayscaleBitmap(bitmap.get());
  EXPECT_EQ(bitmap->GetPixelFormat(), pf8bit);
  EXPECT_EQ(bmpstream::PixelsOf(*bitmap), (Picture{{RGB(76, 76, 76), kWhite}}));
}

TEST(Formats, TheScreensFormatComesFromItsDepth) {
  for (const auto& [depth, format, colors] :
       {std::tuple{8, pf8bit, 256}, {16, pfDevice, 0}, {24, pf24bit, 0}, {32, pfDevice, 0}}) {
    gdi::SetDesktopMode({1024, 768, depth});
    EXPECT_EQ(ScreenPixelFormat(), format) << depth;
    EXPECT_EQ(ScreenColorCount(), colors) << depth;
  }
  gdi::SetDesktopMode({});
}

// A bitmap whose palette the test chooses, as a picture of another format may report one.
class PalettedBitmap : public TBitmap {
 public:
  explicit PalettedBitmap(int entries) {
    if (entries == 0) return;
    FPalette = vcl::NewPalette(std::vector<RGBQUAD>(static_cast<std::size_t>(entries)));
  }
  HPALETTE GetPalette() override { return FPalette.get(); }

 private:
  vcl::GdiPalette FPalette;
};

TEST(Formats, APalettesEntryCountChoosesTheFormat) {
  for (const auto& [entries, format] : {std::pair{0, pfDevice}, {2, pf1bit}, {3, pf4bit}, {16, pf4bit}, {20, pf8bit},
                                        {256, pf8bit}, {300, pfDevice}}) {
    PalettedBitmap bitmap(entries);
    EXPECT_EQ(GetPaletteBitmapFormat(&bitmap), format) << entries << " entries";
  }
  const auto eight = bmpstream::MakeBitmap({{kRed}}, pf8bit);
  EXPECT_EQ(GetPaletteBitmapFormat(eight.get()), pf8bit);
  EXPECT_EQ(GetPaletteBitmapFormat(bmpstream::MakeBitmap({{kRed}}).get()), pfDevice);
  EXPECT_EQ(GetBitmapPixelFormat(eight.get()), pf8bit);
}

TEST(ZoomImage, FitsThePictureOrTakesTheBox) {
  struct Zoom {
    int w, h, boxW, boxH;
    bool fit;
    int x, y;
  };
  for (const Zoom& z : {Zoom{200, 100, 100, 100, true, 98, 49}, Zoom{50, 50, 100, 200, true, 98, 98},
                        Zoom{200, 100, 100, 100, false, 100, 100}, Zoom{50, 50, 100, 200, false, 100, 200},
                        Zoom{0, 50, 100, 200, true, 0, 0}, Zoom{50, 50, 100, 0, false, 0, 0},
                        Zoom{25, 1, 100, 100, true, 98, 4}}) {  // 3.92 rounds to 4
    const TPoint p = ZoomImage(z.w, z.h, z.boxW, z.boxH, z.fit);
    EXPECT_EQ(p.x, z.x) << z.w << "x" << z.h << " in " << z.boxW << "x" << z.boxH;
    EXPECT_EQ(p.y, z.y) << z.w << "x" << z.h << " in " << z.boxW << "x" << z.boxH;
  }
}

TEST(TileImage, CoversTheRectangleClippedToIt) {
  Picture tile(10, std::vector<COLORREF>(10, kRed));
  tile[0][0] = kWhite;  // marks each copy's corner
  const auto graphic = bmpstream::MakeBitmap(tile);
  const auto target = bmpstream::MakeBitmap(Picture(30, std::vector<COLORREF>(30, kBlack)));
  TileImage(target->GetCanvas(), Rect(2, 3, 27, 28), graphic.get());
  const Picture shown = bmpstream::PixelsOf(*target);
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) EXPECT_EQ(shown[3 + 10 * j][2 + 10 * i], kWhite) << i << ", " << j;
  EXPECT_EQ(shown[27][26], kRed);    // the last copy, cut at the rectangle
  EXPECT_EQ(shown[28][26], kBlack);  // below it
  EXPECT_EQ(shown[27][27], kBlack);  // right of it
  EXPECT_EQ(shown[2][2], kBlack);
  // The clip is the canvas's own again afterwards.
  target->GetCanvas()->SetPixels(29, 29, static_cast<TColor>(kWhite));
  EXPECT_EQ(target->GetCanvas()->GetPixels(29, 29), static_cast<TColor>(kWhite));

  TBitmap nothing;
  TileImage(target->GetCanvas(), Rect(0, 0, 30, 30), &nothing);
  EXPECT_EQ(bmpstream::PixelsOf(*target)[0][0], kBlack);
}

TEST(TQmGradient, ReportsEachEffectiveChangeOnce) {
  TQmGradient gradient;
  EXPECT_EQ(gradient.GetStartColor(), clSilver);
  EXPECT_EQ(gradient.GetEndColor(), clGray);
  EXPECT_EQ(gradient.GetDirection(), fdTopToBottom);
  EXPECT_EQ(gradient.GetStepCount(), 64);
  EXPECT_FALSE(gradient.GetVisible());
  int changes = 0;
  gradient.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &gradient);
    ++changes;
  };
  gradient.SetStartColor(clSilver);
  gradient.SetStepCount(64);
  EXPECT_EQ(changes, 0);
  gradient.SetStartColor(clRed);
  gradient.SetEndColor(clBlue);
  gradient.SetDirection(fdLeftToRight);
  gradient.SetStepCount(8);
  gradient.SetVisible(true);
  EXPECT_EQ(changes, 5);

  TQmGradient copy;
  copy.Assign(&gradient);
  int copyChanges = 0;
  copy.OnChange = [&](TObject*) { ++copyChanges; };
  copy.Assign(&gradient);  // equal already: still one change
  EXPECT_EQ(copyChanges, 1);
  EXPECT_EQ(copy.GetEndColor(), clBlue);
  EXPECT_EQ(copy.GetDirection(), fdLeftToRight);
  EXPECT_TRUE(copy.GetVisible());
  TBitmap other;
  EXPECT_THROW(copy.Assign(&other), EConvertError);
}

TEST(TQmGradient, DrawsItsBandsWhateverVisibleSays) {
  TQmGradient gradient;  // silver to gray in 64 bands from the top, not visible
  const auto target = bmpstream::MakeBitmap(Picture(100, std::vector<COLORREF>(4, kBlack)));
  gradient.Draw(target->GetCanvas(), Rect(0, 0, 4, 100));
  const Picture shown = bmpstream::PixelsOf(*target);
  EXPECT_EQ(shown[0][0], RGB(192, 192, 192));
  EXPECT_EQ(shown[32][3], RGB(159, 159, 159));  // 192 - 64 x 32 / 63, rounded
  EXPECT_EQ(shown[63][0], RGB(128, 128, 128));
  EXPECT_EQ(shown[99][0], RGB(128, 128, 128));  // the rest in the end colour

  gradient.SetDirection(fdLeftToRight);
  gradient.SetStepCount(2);
  gradient.Draw(target->GetCanvas(), Rect(0, 0, 4, 100));
  EXPECT_EQ(bmpstream::PixelsOf(*target)[50], (std::vector<COLORREF>{RGB(192, 192, 192), RGB(192, 192, 192),
                                                                      RGB(128, 128, 128), RGB(128, 128, 128)}));
}

}  // namespace
