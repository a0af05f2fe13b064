// The sprite-sheet animation on the headless display: cutting the sheet, the 200-frame limit,
// per-frame colour keys, holes left by failed frames, the failure texts and closing.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <utility>

#include "components/DDani.h"
#include "tests/components/PaletteCheck.h"
#include "tests/components/SpriteFixture.h"

namespace {

using namespace sprite_test;

class DDaniTest : public DisplayTest {
 protected:
  // A sheet `width` wide of `frames` frames of `frameHeight` rows (plus `extraRows`), showing
  // its pixels' coordinates.
  TDDani* Sheet(int width, int frameHeight, int frames, int extraRows = 0) {
    TDDani* ani = Sprite<TDDani>();
    ani->SetBitmap(Picture(width, frameHeight * frames + extraRows, Coordinates).get());
    ani->SetYOffsetFrame(frameHeight);
    return ani;
  }
  // Draws frame `frame` at (x, y) on a cleared back surface.
  void DrawFrame(TDDani* ani, int frame, int x = 2, int y = 2) {
    DDmain->ClearBackSurface();
    ani->SetNumberFrame(frame);
    ani->SetShowX(x);
    ani->SetShowY(y);
    ani->DrawAni();
  }
};

TEST_F(DDaniTest, RowsBelowTheLastWholeFrameAreIgnored) {
  Open();
  TDDani* ani = Sheet(4, 6, 3, 5);
  ani->CreateSurface();
  EXPECT_EQ(ani->GetFrameCount(), 3);
  for (int frame = 0; frame < 3; ++frame) {
    SCOPED_TRACE(frame);
    ASSERT_NE(ani->GetSurface(frame), nullptr);
    DrawFrame(ani, frame);
    EXPECT_EQ(BackColumn(3), DrawnSpan(kH, 2, 6, 6 * frame));  // the frame's own rows
    EXPECT_EQ(SourceColumn(Back(5, 2)), 3);
  }
  EXPECT_EQ(ani->GetSurface(3), nullptr);
  EXPECT_TRUE(Errors.empty());
}

TEST_F(DDaniTest, TwoHundredFramesAreAcceptedAndOneMoreRefused) {
  Open();
  TDDani* full = Sheet(1, 1, TDDani::MaxFrames);
  full->CreateSurface();
  EXPECT_EQ(full->GetFrameCount(), 200);
  EXPECT_NE(full->GetSurface(199), nullptr);
  EXPECT_TRUE(Errors.empty());

  TDDani* over = Sheet(1, 1, TDDani::MaxFrames + 1);
  over->CreateSurface();
  EXPECT_EQ(Errors, std::vector<std::string>{"TOO match sprites"});
  EXPECT_EQ(over->GetFrameCount(), 0);
  EXPECT_EQ(over->GetSurface(0), nullptr);

  // A count from before stays as it was.
  over->SetBitmap(Picture(1, 3, Coordinates).get());
  over->CreateSurface();
  over->SetBitmap(Picture(1, 201, Coordinates).get());
  over->CreateSurface();
  EXPECT_EQ(over->GetFrameCount(), 3);
}

TEST_F(DDaniTest, NoFrameHeightIsReportedBeforeThePictureIsLookedAt) {
  Open();
  TDDani* ani = Sprite<TDDani>();  // empty picture
  ani->CreateSurface();
  EXPECT_EQ(Errors, std::vector<std::string>{"Not defined FYOffsetFrame"});
  EXPECT_EQ(ani->GetFrameCount(), 0);
}

TEST_F(DDaniTest, DisplayChecksComeFirstWithTheSpriteTexts) {
  TDDani* ani = Sheet(2, 2, 2);
  ani->DDmainModule = nullptr;
  ani->CreateSurface();
  ani->DDmainModule = DDmain;
  ani->CreateSurface();  // display not open
  Open();
  IDirectDrawSurface7* back = std::exchange(DDmain->FpDDSBack, nullptr);
  ani->CreateSurface();
  DDmain->FpDDSBack = back;
  ani->DrawAni();  // nothing was made, so no back surface was copied
  EXPECT_EQ(Errors, (std::vector<std::string>{"Error connect to DDMAIN", "Error FDD==NULL", "Error FDDBACK==NULL",
                                              "Error FDDBACK==NULL"}));
  EXPECT_EQ(ani->GetFrameCount(), 0);
}

// Drawing checks only the back surface: without one the text says so, display owner or not.
TEST_F(DDaniTest, DrawingWithoutABackSurfaceSaysSoEvenWithoutADisplayOwner) {
  TDDani* ani = Sheet(2, 2, 2);
  ani->DDmainModule = nullptr;
  ani->DrawAni();
  EXPECT_EQ(Errors, std::vector<std::string>{"Error FDDBACK==NULL"});
}

TEST_F(DDaniTest, StretchedFramesHaveTheStretchSize) {
  Open();
  TDDani* ani = Sheet(2, 1, 2);
  ani->SetStretching(true);
  ani->SetStretchWidth(4);
  ani->SetStretchHeight(3);
  ani->CreateSurface();
  DrawFrame(ani, 1);
  std::vector<int> across(kW, -1);
  across[2] = across[3] = 0;
  across[4] = across[5] = 1;
  EXPECT_EQ(BackRow(4), across);
  EXPECT_EQ(SourceRow(Back(2, 2)), 1);  // the second frame's row, three times over
  EXPECT_EQ(Back(2, 5), 0u);
}

// A sheet whose every stored bit is random: colour-table indices, 5-6-5 values, the unused
// byte of 32-bit pixels.
std::unique_ptr<TBitmap> RandomSheet(TPixelFormat Format, int Bits, int Width, int Height, std::mt19937& Random) {
  auto sheet = std::make_unique<TBitmap>();
  sheet->SetPixelFormat(Format);
  sheet->SetSize(Width, Height);
  for (int y = 0; y < Height; ++y) {
    auto* row = static_cast<std::uint8_t*>(sheet->GetScanLine(y));
    for (int i = 0; i < (Width * Bits + 7) / 8; ++i) row[i] = static_cast<std::uint8_t>(Random());
  }
  return sheet;
}

// The stored values of a surface, row by row.
std::vector<DWORD> SurfacePixels(IDirectDrawSurface7* Surface, int Width, int Height) {
  std::vector<DWORD> pixels;
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) pixels.push_back(ddraw_test::ReadPixel(Surface, x, y));
  return pixels;
}

// Frame Index of Sheet as frame surfaces were first made: the frame's rows copied into a bitmap
// at the desktop's depth, which is then stretched into a surface of Width x Height.
std::vector<DWORD> CopiedFrame(IDirectDraw7* DD, TBitmap* Sheet, int FrameHeight, int Index, int Width, int Height) {
  ddraw::Ref<IDirectDrawSurface7> surface = ddraw_test::Offscreen(DD, Width, Height);
  HDC dc = nullptr;
  EXPECT_EQ(surface->GetDC(&dc), DD_OK);
  {
    TCanvas canvas;
    canvas.SetHandle(dc);
    TBitmap frame;
    frame.SetSize(Sheet->GetWidth(), FrameHeight);
    const int top = FrameHeight * Index;
    frame.GetCanvas()->CopyRect(Rect(0, 0, Sheet->GetWidth(), FrameHeight), Sheet->GetCanvas(),
                                Rect(0, top, Sheet->GetWidth(), top + FrameHeight));
    canvas.StretchDraw(Rect(0, 0, Width, Height), &frame);
  }
  surface->ReleaseDC(dc);
  return SurfacePixels(surface.get(), Width, Height);
}

TEST_F(DDaniTest, FramesHaveThePixelsOfTheirRowsCopiedAtTheDesktopsDepthAndStretched) {
  struct SheetFormat {
    TPixelFormat Format;
    int Bits;
  };
  const SheetFormat formats[] = {{pf1bit, 1}, {pf8bit, 8}, {pf16bit, 16}, {pf24bit, 24}, {pf32bit, 32}};
  const TSize sizes[] = {{7, 5}, {13, 9}, {4, 2}};  // the sheet's own frame size, enlarged, reduced
  std::mt19937 random(15);
  for (const int display : {16, 24, 32}) {
    DDmain->SetEnabled(false);
    Open(display);
    for (const int desktop : {16, 24, 32}) {
      gdi::SetDesktopMode({1024, 768, desktop});
      for (const SheetFormat& format : formats) {
        for (const TSize& size : sizes) {
          SCOPED_TRACE(testing::Message() << "display " << display << ", desktop " << desktop << ", sheet "
                                          << format.Bits << " bits, frames " << size.cx << "x" << size.cy);
          TDDani* ani = Sprite<TDDani>();
          ani->SetBitmap(RandomSheet(format.Format, format.Bits, 7, 5 * 3, random).get());
          ani->SetYOffsetFrame(5);
          ani->SetStretching(true);
          ani->SetStretchWidth(size.cx);
          ani->SetStretchHeight(size.cy);
          ani->CreateSurface();
          ASSERT_EQ(ani->GetFrameCount(), 3);
          for (int frame = 0; frame < 3; ++frame)
            EXPECT_EQ(SurfacePixels(ani->GetSurface(frame), size.cx, size.cy),
                      CopiedFrame(DDmain->FpDD7, ani->GetBitmap(), 5, frame, size.cx, size.cy))
                << "frame " << frame;
          delete ani;
        }
      }
    }
  }
  EXPECT_TRUE(Errors.empty());
}

TEST_F(DDaniTest, EachFrameIsKeyedByItsOwnCorner) {
  Open(16);
  // Frame 0 has red in its corner, frame 1 green; each has the other colour beside it.
  const TColor red = RGB(255, 0, 0), green = RGB(0, 255, 0);
  TDDani* ani = Sprite<TDDani>();
  ani->SetBitmap(Picture(2, 2, [&](int x, int y) { return (x == 0) == (y == 0) ? red : green; }).get());
  ani->SetYOffsetFrame(1);
  ani->CreateSurface();
  ani->SetTransparency(true);
  EXPECT_TRUE(ani->GetTransparency());
  const DWORD backdrop = 0x0014;
  for (int frame = 0; frame < 2; ++frame) {
    SCOPED_TRACE(frame);
    ASSERT_EQ(ddraw_test::Fill(DDmain->FpDDSBack, backdrop), DD_OK);
    ani->SetNumberFrame(frame);
    ani->SetShowX(2);
    ani->SetShowY(2);
    ani->DrawAni();
    EXPECT_EQ(Back(2, 2), backdrop);
    EXPECT_EQ(Back(3, 2), ddraw_test::ReadPixel(ani->GetSurface(frame), 1, 0));
  }
  EXPECT_TRUE(Errors.empty());
}

TEST_F(DDaniTest, TransparencyBeforeCreateSurfaceDoesNothing) {
  Open();
  TDDani* ani = Sheet(2, 2, 2);
  ani->SetTransparency(true);
  EXPECT_FALSE(ani->GetTransparency());
  EXPECT_TRUE(Errors.empty());
}

// Only a count of exactly 0 makes transparency do nothing; a negative one cuts no frames.
TEST_F(DDaniTest, ANegativeFrameHeightKeepsANegativeCount) {
  Open();
  TDDani* ani = Sheet(2, 5, 3);
  ani->SetYOffsetFrame(-5);
  ani->CreateSurface();
  EXPECT_EQ(ani->GetFrameCount(), -3);
  EXPECT_EQ(ani->GetSurface(0), nullptr);
  ani->SetTransparency(true);
  EXPECT_TRUE(ani->GetTransparency());
  EXPECT_TRUE(Errors.empty());
}

TEST_F(DDaniTest, AFailedFrameLeavesAHoleThatIsSkipped) {
  Open();
  TDDani* ani = Sheet(3, 2, 3);
  ddraw::FailCall(ddraw::Op::CreateSurface, 2, DDERR_OUTOFMEMORY);
  ani->CreateSurface();
  EXPECT_EQ(Errors, std::vector<std::string>{"Error CreateSurfaceANI"});
  EXPECT_EQ(ani->GetFrameCount(), 3);
  EXPECT_EQ(ani->GetSurface(1), nullptr);
  ani->SetTransparency(true);  // the hole gets no key and no report
  DrawFrame(ani, 1);
  EXPECT_EQ(BackRow(2), DrawnSpan(kW, 0, 0, 0));
  DrawFrame(ani, 2);
  EXPECT_EQ(SourceRow(Back(3, 2)), 4);  // its corner is now the transparent colour
  EXPECT_EQ(Errors.size(), 1u);
}

TEST_F(DDaniTest, FrameNumbersOutsideTheSlotsDrawNothing) {
  Open();
  TDDani* ani = Sheet(3, 2, 3);
  ani->CreateSurface();
  for (int frame : {-1, 3, 199, 200, 100000, INT32_MIN}) {
    SCOPED_TRACE(frame);
    DrawFrame(ani, frame);
    EXPECT_EQ(BackRow(2), DrawnSpan(kW, 0, 0, 0));
  }
  EXPECT_TRUE(Errors.empty());
}

TEST_F(DDaniTest, DeviceContextFailureReleasesThatFrameOnly) {
  Open();
  TDDani* ani = Sheet(3, 2, 3);
  ddraw::FailCall(ddraw::Op::GetDC, 3, DDERR_GENERIC);
  ani->CreateSurface();
  EXPECT_EQ(Errors, std::vector<std::string>{"Error FpSurface->GetDC (ANI)"});
  EXPECT_NE(ani->GetSurface(0), nullptr);
  EXPECT_NE(ani->GetSurface(1), nullptr);
  EXPECT_EQ(ani->GetSurface(2), nullptr);
}

TEST_F(DDaniTest, FailedBlitReleasesTheDrawnFrame) {
  Open();
  TDDani* ani = Sheet(3, 2, 3);
  ani->CreateSurface();
  ddraw::FailCall(ddraw::Op::BltFast, 1, DDERR_GENERIC);
  DrawFrame(ani, 1);
  EXPECT_EQ(Errors, std::vector<std::string>{"Error FDDBACK->BltFast (BMP)"});
  EXPECT_EQ(ani->GetSurface(1), nullptr);
  EXPECT_NE(ani->GetSurface(0), nullptr);
  EXPECT_NE(ani->GetSurface(2), nullptr);
  DrawFrame(ani, 1);  // now a hole
  EXPECT_EQ(Errors.size(), 1u);
}

TEST_F(DDaniTest, DrawingAllocatesNothing) {
  Open();
  TDDani* ani = Sheet(6, 4, 8);
  ani->CreateSurface();
  ani->SetTransparency(true);
  DrawFrame(ani, 0);
  const long before = AllocationCount();
  for (int i = 0; i < 10; ++i) {
    ani->SetNumberFrame(i % 8);
    ani->SetShowX(i * 7 - 3);
    ani->SetShowY(kH - 2 - i);
    ani->DrawAni();
  }
  EXPECT_EQ(AllocationCount() - before, 0);
  EXPECT_TRUE(Errors.empty());
}

TEST_F(DDaniTest, StillDrawingBlitIsIssuedAgain) {
  Open();
  TDDani* ani = Sheet(3, 2, 3);
  ani->CreateSurface();
  ddraw::FailCall(ddraw::Op::BltFast, 1, DDERR_WASSTILLDRAWING);
  DrawFrame(ani, 2);
  EXPECT_EQ(SourceRow(Back(2, 2)), 4);
  EXPECT_TRUE(Errors.empty());
}

TEST_F(DDaniTest, ColourKeyFailureReleasesThatFrame) {
  Open();
  TDDani* ani = Sheet(3, 2, 3);
  ani->CreateSurface();
  ddraw::FailCall(ddraw::Op::SetColorKey, 2, DDERR_GENERIC);
  ani->SetTransparency(true);
  EXPECT_EQ(Errors, std::vector<std::string>{"Error SetColorKey (ANI)"});
  EXPECT_EQ(ani->GetSurface(1), nullptr);
  EXPECT_NE(ani->GetSurface(2), nullptr);
  EXPECT_TRUE(ani->GetTransparency());
}

TEST_F(DDaniTest, CloseSurfaceEmptiesEverySlotAndKeepsTheCount) {
  Open();
  TDDani* ani = Sheet(3, 2, 5);
  ani->CreateSurface();
  ani->CloseSurface();
  for (int i = 0; i < TDDani::MaxFrames; ++i) EXPECT_EQ(ani->GetSurface(i), nullptr) << i;
  EXPECT_EQ(ani->GetFrameCount(), 5);
  ani->SetTransparency(true);  // meets only holes
  DrawFrame(ani, 0);
  EXPECT_TRUE(Errors.empty());
  ani->CreateSurface();  // rebuilt from the own picture
  EXPECT_NE(ani->GetSurface(4), nullptr);
}

TEST(DDaniRegister, PutsTheClassOnThePalettePage) {
  DDani::Register();
  palette_test::ExpectOnPalettePage<TDDani>("TDDani", "roVivavaV");
}

}  // namespace
