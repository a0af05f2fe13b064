// The bitmap sprite on the headless display: the clipping rule and its consequences, the blit
// with its retry and failure, each error text, the colour key at every depth, the frame strip.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <new>
#include <utility>

#include "components/DDbmp.h"
#include "tests/components/PaletteCheck.h"
#include "tests/components/SpriteFixture.h"

// The program's allocations go through here so a test can see that a frame allocates nothing;
// out of line, so the compiler does not pair the malloc inside with new-expressions and warn.
namespace {
thread_local long allocations = 0;
[[gnu::noinline]] void* Allocate(std::size_t size) {
  ++allocations;
  return std::malloc(size ? size : 1);
}
}  // namespace
long sprite_test::AllocationCount() { return allocations; }
[[gnu::noinline]] void* operator new(std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void* operator new[](std::size_t size) { return operator new(size); }
[[gnu::noinline]] void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
[[gnu::noinline]] void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

using namespace sprite_test;

class DDbmpTest : public DisplayTest {
 protected:
  // A sprite of the given size showing its pixels' own coordinates, surface made.
  TDDbmp* Made(int width, int height) {
    TDDbmp* sprite = Sprite<TDDbmp>();
    sprite->SetBitmap(Picture(width, height, Coordinates).get());
    sprite->CreateSurface();
    EXPECT_NE(sprite->GetSurface(), nullptr);
    return sprite;
  }
};

// One axis of the clipping rule: where a sprite at `pos` of length `len` lands on an axis of
// kW (across) or kH (down) pixels, and from which source column or row it starts.
struct ClipCase {
  const char* name;
  int pos;
  int len;
  int dest;   // first display pixel drawn
  int count;  // pixels drawn (0: nothing)
  int from;   // first source pixel drawn
};

// `size` is the axis length; the cases hold for both axes.
std::vector<ClipCase> ClipCases(int size) {
  return {
      {"inside", 10, 5, 10, 5, 0},
      {"full size at 0 loses the last pixel", 0, size, 0, size - 1, 0},
      {"at size - 1 nothing", size - 1, 3, 0, 0, 0},
      {"at size - 2 width 2 one pixel", size - 2, 2, size - 2, 1, 0},
      {"past the far edge cut before its last pixel", size - 4, 10, size - 4, 3, 0},
      {"ending at 1 nothing", -3, 4, 0, 0, 0},
      {"ending at 2 two pixels from -pos", -3, 5, 0, 2, 3},
      {"at 0 width 1 nothing", 0, 1, 0, 0, 0},
      {"at 0 width 5 unclipped", 0, 5, 0, 5, 0},
      {"past the near edge", -4, 10, 0, 6, 4},
      {"past both edges drawn from the near edge", -3, size + 10, 0, size - 1, 3},
  };
}

TEST_F(DDbmpTest, ClipsAcrossByTheRule) {
  Open();
  for (const ClipCase& c : ClipCases(kW)) {
    SCOPED_TRACE(c.name);
    DDmain->ClearBackSurface();
    TDDbmp* sprite = Made(c.len, 3);
    sprite->SetShowX(c.pos);
    sprite->SetShowY(5);
    sprite->DrawImage();
    EXPECT_EQ(BackRow(6), DrawnSpan(kW, c.dest, c.count, c.from));
    delete sprite;
  }
  EXPECT_TRUE(Errors.empty());
}

TEST_F(DDbmpTest, ClipsDownByTheSameRule) {
  Open();
  for (const ClipCase& c : ClipCases(kH)) {
    SCOPED_TRACE(c.name);
    DDmain->ClearBackSurface();
    TDDbmp* sprite = Made(3, c.len);
    sprite->SetShowX(5);
    sprite->SetShowY(c.pos);
    sprite->DrawImage();
    EXPECT_EQ(BackColumn(6), DrawnSpan(kH, c.dest, c.count, c.from));
    delete sprite;
  }
  EXPECT_TRUE(Errors.empty());
}

TEST_F(DDbmpTest, NothingShownAcrossEndsTheDrawBeforeTheVerticalTest) {
  Open();
  TDDbmp* sprite = Made(1, kH);
  sprite->SetShowX(0);
  sprite->DrawImage();
  for (int y = 0; y < kH; ++y) EXPECT_EQ(Back(0, y), 0u);
  EXPECT_TRUE(Errors.empty());
}

TEST_F(DDbmpTest, FullDisplaySpriteLeavesTheLastColumnAndRow) {
  Open();
  TDDbmp* sprite = Made(kW, kH);
  sprite->DrawImage();
  EXPECT_EQ(SourceColumn(Back(kW - 2, kH - 2)), kW - 2);
  EXPECT_EQ(SourceRow(Back(kW - 2, kH - 2)), kH - 2);
  for (int y = 0; y < kH; ++y) EXPECT_EQ(Back(kW - 1, y), 0u);
  for (int x = 0; x < kW; ++x) EXPECT_EQ(Back(x, kH - 1), 0u);
}

TEST_F(DDbmpTest, FarOffPositionsDrawNothing) {
  Open();
  TDDbmp* sprite = Made(4, 4);
  for (const auto& [x, y] : {std::pair{INT32_MAX, 0}, {INT32_MIN, 0}, {0, INT32_MAX}, {2, INT32_MIN}}) {
    sprite->SetShowX(x);
    sprite->SetShowY(y);
    sprite->DrawImage();
  }
  EXPECT_EQ(BackRow(2), DrawnSpan(kW, 0, 0, 0));
  EXPECT_TRUE(Errors.empty());
}

TEST_F(DDbmpTest, DrawingAllocatesNothing) {
  Open();
  TDDbmp* plain = Made(8, 8);
  TDDbmp* keyed = Made(8, 8);
  keyed->SetTransparency(true);
  TDDbmp* strip = Made(4, 8);
  strip->SetYOffsetFrame(2);
  const auto frame = [&](int i) {
    plain->SetShowX(i - 4);  // clipped on the left for the first frames
    plain->DrawImage();
    keyed->SetShowX(kW - 6);
    keyed->SetShowY(i);
    keyed->DrawImage();
    strip->SetNumberFrame(i % 4);
    strip->DrawAni();
  };
  frame(0);
  const long before = AllocationCount();
  for (int i = 0; i < 10; ++i) frame(i);
  EXPECT_EQ(AllocationCount() - before, 0);
  EXPECT_TRUE(Errors.empty());
}

TEST_F(DDbmpTest, StillDrawingBlitIsIssuedAgain) {
  Open();
  TDDbmp* sprite = Made(4, 4);
  sprite->SetShowX(8);
  sprite->SetShowY(8);
  ddraw::FailCall(ddraw::Op::BltFast, 1, DDERR_WASSTILLDRAWING);
  ddraw::FailCall(ddraw::Op::BltFast, 2, DDERR_WASSTILLDRAWING);
  sprite->DrawImage();
  EXPECT_EQ(SourceColumn(Back(11, 9)), 3);
  EXPECT_TRUE(Errors.empty());
  EXPECT_NE(sprite->GetSurface(), nullptr);
}

TEST_F(DDbmpTest, FailedBlitReleasesTheSurfaceAndTheNextDrawSaysSo) {
  Open();
  TDDbmp* sprite = Made(4, 4);
  sprite->SetShowX(8);
  sprite->SetShowY(8);
  ddraw::FailCall(ddraw::Op::BltFast, 1, DDERR_SURFACELOST);
  sprite->DrawImage();
  EXPECT_EQ(sprite->GetSurface(), nullptr);
  sprite->DrawImage();
  EXPECT_EQ(Errors, (std::vector<std::string>{"Error FDDBACK->BltFast (BMP)", "Error FpSurface==NULL"}));
  EXPECT_EQ(Back(9, 9), 0u);
}

// Each failure of the table: its text, raised once, and whether the surface went with it.
struct FailureCase {
  const char* text;
  std::function<void(TDDbmp*, TDDmain*)> provoke;
  bool surfaceKept;
};

TEST_F(DDbmpTest, EachFailureReportsItsText) {
  const FailureCase cases[] = {
      {"Error connect to DDMAIN", [](TDDbmp* s, TDDmain*) { s->DDmainModule = nullptr; s->CreateSurface(); }, false},
      {"Error FDD==NULL", [](TDDbmp* s, TDDmain* d) { d->SetEnabled(false); s->CreateSurface(); }, false},
      {"Error FDDBACK==NULL",
       [](TDDbmp* s, TDDmain* d) {
         IDirectDrawSurface7* back = std::exchange(d->FpDDSBack, nullptr);
         s->CreateSurface();
         d->FpDDSBack = back;
       },
       false},
      {"Error CreateSurfaceBMP",
       [](TDDbmp* s, TDDmain*) {
         ddraw::FailCall(ddraw::Op::CreateSurface, 1, DDERR_OUTOFMEMORY);
         s->CreateSurface();
       },
       false},
      {"Error FpSurface->GetDC (BMP)",
       [](TDDbmp* s, TDDmain*) {
         ddraw::FailCall(ddraw::Op::GetDC, 1, DDERR_GENERIC);
         s->CreateSurface();
       },
       false},
      {"Error FpSurface==NULL", [](TDDbmp* s, TDDmain*) { s->DrawImage(); }, false},
      {"Error FpSurface==NULL", [](TDDbmp* s, TDDmain*) { s->DrawAni(); }, false},
      {"Error FpSurface==NULL", [](TDDbmp* s, TDDmain*) { s->DrawImageFunc(); }, false},
      {"Error FDDBACK==NULL",
       [](TDDbmp* s, TDDmain* d) {
         s->CreateSurface();
         d->SetEnabled(false);  // the back surface the sprite copied is gone
         s->DrawImage();
       },
       true},
      {"Error FNumberFrame (Ani)",
       [](TDDbmp* s, TDDmain*) {
         s->CreateSurface();
         s->SetYOffsetFrame(2);
         s->SetNumberFrame(2);  // rows 4..6 of a 5-row picture
         s->DrawAni();
       },
       true},
      {"Error FNumberFrame (Ani Stretch)",
       [](TDDbmp* s, TDDmain*) {
         s->SetStretching(true);
         s->SetStretchWidth(4);
         s->SetStretchHeight(10);
         s->CreateSurface();
         s->SetYOffsetFrame(2);
         s->SetNumberFrame(2);  // frame height 4: rows 8..12 of 10
         s->DrawAni();
       },
       true},
      {"Error SetColorKey (BMP)",
       [](TDDbmp* s, TDDmain*) {
         s->CreateSurface();
         ddraw::FailCall(ddraw::Op::SetColorKey, 1, DDERR_GENERIC);
         s->SetTransparency(true);
         EXPECT_TRUE(s->GetTransparency());  // set although the key failed
       },
       false},
  };
  Open();
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.text);
    if (!DDmain->GetEnabled()) Open();
    Errors.clear();
    TDDbmp* sprite = Sprite<TDDbmp>();
    sprite->SetBitmap(Picture(4, 5, Coordinates).get());
    c.provoke(sprite, DDmain);
    EXPECT_EQ(Errors, std::vector<std::string>{c.text});
    EXPECT_EQ(sprite->GetErrorResult(), c.text);
    EXPECT_EQ(sprite->GetSurface() != nullptr, c.surfaceKept);
    delete sprite;
  }
}

TEST_F(DDbmpTest, FailuresWithoutAHandlerOnlyStoreTheText) {
  Open();
  auto* sprite = new TDDbmp(Form.get());
  sprite->DrawImage();
  EXPECT_EQ(sprite->GetErrorResult(), "Error FpSurface==NULL");
}

TEST_F(DDbmpTest, TransparencyBeforeCreateSurfaceIsRefusedAndStaysOff) {
  Open();
  TDDbmp* sprite = Sprite<TDDbmp>();
  sprite->SetTransparency(true);
  EXPECT_FALSE(sprite->GetTransparency());
  EXPECT_EQ(Errors, std::vector<std::string>{"Error FpSurface==NULL"});
}

// The colour key is the sprite's own surface's business: it needs the surface and a copied back
// surface, not an open display; drawing still refuses the back surface the display released.
TEST_F(DDbmpTest, TransparencyNeedsOnlyTheSurfaceAndACopiedBackSurface) {
  Open();
  TDDbmp* sprite = Made(3, 3);
  DDmain->SetEnabled(false);
  sprite->SetTransparency(true);
  EXPECT_TRUE(sprite->GetTransparency());
  EXPECT_TRUE(Errors.empty());
  sprite->DrawImage();
  EXPECT_EQ(Errors, std::vector<std::string>{"Error FDDBACK==NULL"});
  EXPECT_NE(sprite->GetSurface(), nullptr);
}

// The key is the top-left pixel's own value at every depth; keyed pixels leave the back surface.
class DDbmpKeyTest : public DDbmpTest, public ::testing::WithParamInterface<int> {};

TEST_P(DDbmpKeyTest, KeyIsTheTopLeftPixelAndKeyedPixelsLeaveTheBackSurface) {
  const int depth = GetParam();
  Open(depth);
  // Key colour at the corner and in the middle; two other colours beside it.
  const TColor key = RGB(255, 0, 0), left = RGB(0, 0, 255), right = RGB(255, 255, 255);
  TDDbmp* sprite = Sprite<TDDbmp>();
  sprite->SetBitmap(Picture(5, 1, [&](int x, int) { return x == 0 || x == 2 ? key : x < 2 ? left : right; }).get());
  sprite->CreateSurface();
  IDirectDrawSurface7* surface = sprite->GetSurface();
  ASSERT_NE(surface, nullptr);
  const DWORD corner = ddraw_test::ReadPixel(surface, 0, 0);
  ASSERT_NE(ddraw_test::ReadPixel(surface, 1, 0), corner);
  // Only the first pixel counts, whatever follows it in the first word.
  EXPECT_EQ(sprite->DDColorMatch(surface, CLR_INVALID), corner);

  sprite->SetTransparency(true);
  EXPECT_TRUE(sprite->GetTransparency());
  const DWORD backdrop = 0x14;  // a dark blue at every depth, none of the picture's values
  ASSERT_EQ(ddraw_test::Fill(DDmain->FpDDSBack, backdrop), DD_OK);
  sprite->SetShowX(10);
  sprite->SetShowY(10);
  sprite->DrawImage();
  EXPECT_EQ(Back(10, 10), backdrop);
  EXPECT_EQ(Back(11, 10), ddraw_test::ReadPixel(surface, 1, 0));
  EXPECT_EQ(Back(12, 10), backdrop);
  EXPECT_EQ(Back(13, 10), ddraw_test::ReadPixel(surface, 3, 0));

  sprite->SetTransparency(false);  // the key stays on the surface, the blit ignores it
  sprite->DrawImage();
  EXPECT_EQ(Back(10, 10), corner);
  EXPECT_TRUE(Errors.empty());
}

INSTANTIATE_TEST_SUITE_P(Depths, DDbmpKeyTest, ::testing::Values(8, 16, 24, 32));

TEST_F(DDbmpTest, ColorMatchOfAColourPaintsItAndPutsTheCornerBack) {
  Open(16);
  TDDbmp* sprite = Made(3, 3);
  IDirectDrawSurface7* surface = sprite->GetSurface();
  const DWORD corner = ddraw_test::ReadPixel(surface, 0, 0);
  EXPECT_EQ(sprite->DDColorMatch(surface, RGB(255, 255, 255)), 0xFFFFu);  // white at 5-6-5
  EXPECT_EQ(sprite->DDColorMatch(surface, RGB(0, 0, 255)), 0x001Fu);
  EXPECT_EQ(ddraw_test::ReadPixel(surface, 0, 0), corner);
}

TEST_F(DDbmpTest, ColorMatchOfAnUnlockableSurfaceIsAllOnes) {
  Open();
  TDDbmp* sprite = Made(3, 3);
  ddraw::FailCall(ddraw::Op::Lock, 1, DDERR_SURFACELOST);
  EXPECT_EQ(sprite->DDColorMatch(sprite->GetSurface(), CLR_INVALID), 0xFFFFFFFFu);
  EXPECT_EQ(sprite->DDColorMatch(nullptr, CLR_INVALID), 0xFFFFFFFFu);
}

TEST_F(DDbmpTest, SetBitmapCopiesAndIgnoresNull) {
  TDDbmp* sprite = Sprite<TDDbmp>();
  auto picture = Picture(3, 2, Coordinates);
  sprite->SetBitmap(picture.get());
  picture->SetSize(7, 7);  // the caller's bitmap stays the caller's
  sprite->SetBitmap(nullptr);
  EXPECT_EQ(sprite->GetBitmap()->GetWidth(), 3);
  EXPECT_EQ(sprite->GetBitmap()->GetHeight(), 2);
}

TEST_F(DDbmpTest, ConstructionValues) {
  TDDbmp* sprite = Sprite<TDDbmp>();
  EXPECT_TRUE(sprite->GetBitmap()->GetEmpty());
  EXPECT_EQ(sprite->GetWidth(), 40);  // the design-time preview
  EXPECT_EQ(sprite->GetHeight(), 40);
  EXPECT_EQ(sprite->GetStretchWidth(), 0);
  EXPECT_EQ(sprite->GetStretchHeight(), 0);
  EXPECT_FALSE(sprite->GetStretching());
  EXPECT_FALSE(sprite->GetTransparency());
  EXPECT_EQ(sprite->GetSurface(), nullptr);
}

TEST_F(DDbmpTest, StretchedSurfaceHasTheStretchSizeAndNearestPixels) {
  Open();
  TDDbmp* sprite = Sprite<TDDbmp>();
  sprite->SetBitmap(Picture(2, 1, Coordinates).get());
  sprite->SetStretching(true);
  sprite->SetStretchWidth(4);
  sprite->SetStretchHeight(2);
  sprite->CreateSurface();
  sprite->SetShowX(1);
  sprite->SetShowY(1);
  sprite->DrawImage();
  for (int y : {1, 2}) {
    EXPECT_EQ(SourceColumn(Back(1, y)), 0);
    EXPECT_EQ(SourceColumn(Back(2, y)), 0);
    EXPECT_EQ(SourceColumn(Back(3, y)), 1);
    EXPECT_EQ(SourceColumn(Back(4, y)), 1);
  }
  EXPECT_EQ(Back(5, 1), 0u);
  EXPECT_EQ(Back(1, 3), 0u);
}

// DrawAni on the one surface: bottom exactly at the stretched height is drawn, one row more refused.
struct StripCase {
  int sheetHeight;
  int frameHeight;
  int stretchHeight;
  int frame;
  bool drawn;
};

TEST_F(DDbmpTest, StretchedStripAcceptsTheLastRowAndRefusesOneMore) {
  Open();
  const StripCase cases[] = {
      {4, 2, 8, 1, true},   // frame height 4: rows 4..8 of 8
      {5, 2, 5, 2, false},  // frame height 2: rows 4..6 of 5
  };
  for (const StripCase& c : cases) {
    SCOPED_TRACE(c.frame);
    Errors.clear();
    DDmain->ClearBackSurface();
    TDDbmp* sprite = Sprite<TDDbmp>();
    sprite->SetBitmap(Picture(3, c.sheetHeight, Coordinates).get());
    sprite->SetStretching(true);
    sprite->SetStretchWidth(3);
    sprite->SetStretchHeight(c.stretchHeight);
    sprite->CreateSurface();
    sprite->SetYOffsetFrame(c.frameHeight);
    sprite->SetNumberFrame(c.frame);
    sprite->SetShowX(1);
    sprite->SetShowY(1);
    sprite->DrawAni();
    EXPECT_EQ(Errors.empty(), c.drawn);
    EXPECT_EQ(Back(1, 1) != 0, c.drawn);
    delete sprite;
  }
}

TEST_F(DDbmpTest, StripDrawsTheChosenFrame) {
  Open();
  TDDbmp* sprite = Made(3, 9);
  sprite->SetYOffsetFrame(3);
  sprite->SetNumberFrame(2);
  sprite->SetShowX(1);
  sprite->SetShowY(1);
  sprite->DrawAni();
  EXPECT_EQ(BackColumn(2), DrawnSpan(kH, 1, 3, 6));
  sprite->SetNumberFrame(3);  // rows 9..12 of 9
  sprite->DrawAni();
  EXPECT_EQ(Errors, std::vector<std::string>{"Error FNumberFrame (Ani)"});
}

TEST_F(DDbmpTest, StretchedStripOfAnEmptyPictureIsRefused) {
  Open();
  TDDbmp* sprite = Sprite<TDDbmp>();
  sprite->SetStretching(true);
  sprite->SetStretchWidth(4);
  sprite->SetStretchHeight(4);
  sprite->CreateSurface();  // a blank 4 x 4 surface
  ASSERT_NE(sprite->GetSurface(), nullptr);
  sprite->SetYOffsetFrame(2);
  sprite->DrawAni();
  EXPECT_EQ(Errors, std::vector<std::string>{"Error FNumberFrame (Ani Stretch)"});
}

TEST_F(DDbmpTest, CloseSurfaceReleasesAndCreateAgainRebuildsFromTheOwnPicture) {
  Open();
  TDDbmp* sprite = Made(4, 4);
  sprite->CloseSurface();
  EXPECT_EQ(sprite->GetSurface(), nullptr);
  sprite->CloseSurface();
  sprite->CreateSurface();
  sprite->SetShowX(2);
  sprite->SetShowY(2);
  sprite->DrawImage();
  EXPECT_EQ(SourceColumn(Back(5, 2)), 3);
  sprite->CreateSurface();  // again without closing: the old surface is released, not lost
  EXPECT_NE(sprite->GetSurface(), nullptr);
  EXPECT_TRUE(Errors.empty());
}

TEST(DDbmpRegister, PutsTheClassOnThePalettePage) {
  DDbmp::Register();
  palette_test::ExpectOnPalettePage<TDDbmp>("TDDbmp", "roVivavaV");
}

}  // namespace
