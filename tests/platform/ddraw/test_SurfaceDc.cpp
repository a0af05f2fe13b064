// A surface's device context is made once and handed out again: fresh defaults on every
// GetDC, always over the surface's current pixels (a flip swaps them), inert once released.
#include "DDrawTest.h"

#include "platform/gdi/Gdi.h"

namespace ddraw_test {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

class SurfaceDc : public DDrawTest {
 protected:
  void SetUp() override {
    DDrawTest::SetUp();
    Open(d, 640, 480, 32);
  }
  // Sets one white pixel through a device context of `surface`, and gives the context back.
  static void Mark(IDirectDrawSurface7* surface, int x, int y) {
    HDC dc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    SetPixel(dc, x, y, kWhite);
    ASSERT_EQ(surface->ReleaseDC(dc), DD_OK);
  }
  Opened d;
};

TEST_F(SurfaceDc, EachGetDcHandsOutTheSameContextWithFreshDefaults) {
  HDC dc = nullptr;
  ASSERT_EQ(d.back->GetDC(&dc), DD_OK);
  const HPEN pen = CreatePen(PS_SOLID, 3, kWhite);
  const HBRUSH brush = CreateSolidBrush(kWhite);
  SelectObject(dc, pen);
  SelectObject(dc, brush);
  SetTextColor(dc, kWhite);
  SetBkColor(dc, 0);
  SetBkMode(dc, TRANSPARENT);
  SetROP2(dc, R2_XORPEN);
  SetPolyFillMode(dc, WINDING);
  MoveToEx(dc, 5, 6, nullptr);
  IntersectClipRect(dc, 0, 0, 1, 1);
  SaveDC(dc);
  ASSERT_EQ(d.back->ReleaseDC(dc), DD_OK);
  DeleteObject(pen);
  DeleteObject(brush);

  HDC again = nullptr;
  ASSERT_EQ(d.back->GetDC(&again), DD_OK);
  EXPECT_EQ(again, dc);
  EXPECT_EQ(GetCurrentObject(again, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(again, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetCurrentObject(again, OBJ_FONT), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(GetTextColor(again), 0u);
  EXPECT_EQ(GetBkColor(again), kWhite);
  EXPECT_EQ(GetBkMode(again), OPAQUE);
  EXPECT_EQ(SetROP2(again, R2_COPYPEN), R2_COPYPEN);
  EXPECT_EQ(SetPolyFillMode(again, ALTERNATE), ALTERNATE);
  POINT position{-1, -1};
  MoveToEx(again, 0, 0, &position);
  EXPECT_EQ(position.x, 0);
  EXPECT_EQ(position.y, 0);
  EXPECT_FALSE(RestoreDC(again, -1));                       // nothing saved
  EXPECT_NE(SetPixel(again, 300, 200, kWhite), CLR_INVALID);  // no clip left over
  ASSERT_EQ(d.back->ReleaseDC(again), DD_OK);
  EXPECT_EQ(ReadPixel(d.back.get(), 300, 200), 0x00FFFFFFu);
}

TEST_F(SurfaceDc, TheContextFollowsTheBackBufferAcrossFlips) {
  Mark(d.back.get(), 1, 1);
  ASSERT_EQ(d.primary->Flip(nullptr, 0), DD_OK);
  Mark(d.back.get(), 2, 2);  // the old front's memory is the back buffer now
  EXPECT_EQ(ReadPixel(d.back.get(), 2, 2), 0x00FFFFFFu);
  EXPECT_EQ(ReadPixel(d.back.get(), 1, 1), 0u);
  EXPECT_EQ(ReadPixel(d.primary.get(), 1, 1), 0x00FFFFFFu);
  EXPECT_EQ(ReadPixel(d.primary.get(), 2, 2), 0u);
  ASSERT_EQ(d.primary->Flip(nullptr, 0), DD_OK);
  EXPECT_EQ(ddraw::HeadlessLastFrame().At(2, 2), 0x00FFFFFFu);
  EXPECT_EQ(ddraw::HeadlessLastFrame().At(1, 1), 0u);
}

TEST_F(SurfaceDc, AReleasedHandleDrawsNowhereAndCannotBeReleasedTwice) {
  HDC dc = nullptr;
  ASSERT_EQ(d.back->GetDC(&dc), DD_OK);
  ASSERT_EQ(d.back->ReleaseDC(dc), DD_OK);
  SetPixel(dc, 3, 3, kWhite);
  TextOutA(dc, 0, 0, "late", 4);
  EXPECT_EQ(GetPixel(dc, 3, 3), CLR_INVALID);
  EXPECT_EQ(ReadPixel(d.back.get(), 3, 3), 0u);
  EXPECT_EQ(d.back->ReleaseDC(dc), DDERR_INVALIDPARAMS);
  EXPECT_EQ(d.primary->Flip(nullptr, 0), DD_OK);  // not busy
}

TEST_F(SurfaceDc, ARestoredSurfaceDrawsThroughItsContextAgain) {
  Mark(d.back.get(), 1, 1);
  ddraw::LoseAllSurfaces();
  HDC dc = nullptr;
  EXPECT_EQ(d.back->GetDC(&dc), DDERR_SURFACELOST);
  ASSERT_EQ(d.primary->Restore(), DD_OK);
  Mark(d.back.get(), 4, 4);
  EXPECT_EQ(ReadPixel(d.back.get(), 4, 4), 0x00FFFFFFu);
}

TEST_F(SurfaceDc, TheContextEndsWithItsSurface) {
  Ref<IDirectDrawSurface7> sprite = Offscreen(d.dd7.get(), 4, 4);
  HDC dc = nullptr;
  ASSERT_EQ(sprite->GetDC(&dc), DD_OK);
  ASSERT_EQ(sprite->ReleaseDC(dc), DD_OK);
  EXPECT_NE(GetTextColor(dc), CLR_INVALID);
  sprite.reset();
  EXPECT_EQ(GetTextColor(dc), CLR_INVALID);  // the handle no longer names anything
}

}  // namespace
}  // namespace ddraw_test
