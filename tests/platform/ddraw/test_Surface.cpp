// Surfaces: lock pitch and format, colour fill and BltFast (with and without the source colour
// key) at every depth, the rectangle rules, device contexts, and lost surfaces with restore.
#include "DDrawTest.h"

namespace ddraw_test {
namespace {

class SurfaceAtDepth : public DDrawTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    DDrawTest::SetUp();
    ListEveryDepth();
    Open(d, 640, 480, GetParam());
  }
  DWORD Mask() const { return GetParam() == 32 ? 0xFFFFFFFFu : (1u << GetParam()) - 1; }
  Opened d;
};

INSTANTIATE_TEST_SUITE_P(Depths, SurfaceAtDepth, ::testing::Values(8, 16, 24, 32),
                         [](const auto& info) { return std::to_string(info.param) + "bits"; });

TEST_P(SurfaceAtDepth, LockGivesPitchAndFormat) {
  struct Expected {
    int bits;
    LONG pitchOf3;
    DWORD flags, r, g, b;
  };
  const Expected table[] = {{8, 4, DDPF_RGB | DDPF_PALETTEINDEXED8, 0, 0, 0},
                            {16, 8, DDPF_RGB, 0xF800, 0x07E0, 0x001F},
                            {24, 12, DDPF_RGB, 0xFF0000, 0xFF00, 0xFF},
                            {32, 12, DDPF_RGB, 0xFF0000, 0xFF00, 0xFF}};
  const Expected& e = *std::find_if(std::begin(table), std::end(table), [&](auto& x) { return x.bits == GetParam(); });
  Ref<IDirectDrawSurface7> surface = Offscreen(d.dd7.get(), 3, 2);
  DDSURFACEDESC2 desc = LockDesc();
  ASSERT_EQ(surface->Lock(nullptr, &desc, 0, nullptr), DD_OK);
  EXPECT_NE(desc.lpSurface, nullptr);
  EXPECT_EQ(desc.lPitch, e.pitchOf3);
  EXPECT_EQ(desc.dwWidth, 3u);
  EXPECT_EQ(desc.dwHeight, 2u);
  EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, static_cast<DWORD>(GetParam()));
  EXPECT_EQ(desc.ddpfPixelFormat.dwFlags, e.flags);
  EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, e.r);
  EXPECT_EQ(desc.ddpfPixelFormat.dwGBitMask, e.g);
  EXPECT_EQ(desc.ddpfPixelFormat.dwBBitMask, e.b);

  DDSURFACEDESC2 again = LockDesc();
  EXPECT_EQ(surface->Lock(nullptr, &again, 0, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(Fill(surface.get(), 1), DDERR_SURFACEBUSY);
  EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
  EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);
  RECT part{0, 0, 1, 1};
  EXPECT_EQ(surface->Lock(&part, &again, 0, nullptr), DDERR_UNSUPPORTED);
  again.dwSize = 124;
  EXPECT_EQ(surface->Lock(nullptr, &again, 0, nullptr), DDERR_INVALIDPARAMS);
}

TEST_P(SurfaceAtDepth, ColourFillWritesTheValueMaskedToTheDepth) {
  Ref<IDirectDrawSurface7> surface = Offscreen(d.dd7.get(), 5, 4);
  const DWORD value = 0xA5C3E1F7;
  ASSERT_EQ(Fill(surface.get(), value), DD_OK);
  EXPECT_EQ(ReadPixel(surface.get(), 0, 0), value & Mask());
  EXPECT_EQ(ReadPixel(surface.get(), 4, 3), value & Mask());
  RECT area{1, 1, 3, 2};
  ASSERT_EQ(Fill(surface.get(), 0, &area), DD_OK);
  EXPECT_EQ(ReadPixel(surface.get(), 1, 1), 0u);
  EXPECT_EQ(ReadPixel(surface.get(), 2, 1), 0u);
  EXPECT_EQ(ReadPixel(surface.get(), 3, 1), value & Mask());
  EXPECT_EQ(ReadPixel(surface.get(), 1, 2), value & Mask());
  // The back buffer's clear, as the display owner does it.
  ASSERT_EQ(Fill(d.back.get(), 0), DD_OK);
  EXPECT_EQ(ReadPixel(d.back.get(), 639, 479), 0u);
}

TEST_P(SurfaceAtDepth, BltFastCopiesWithAndWithoutTheSourceKey) {
  const DWORD key = 0x00112233 & Mask();
  const DWORD ink = 0x00445566 & Mask();
  const DWORD paper = 0x00778899 & Mask();
  Ref<IDirectDrawSurface7> sprite = Offscreen(d.dd7.get(), 3, 2);
  ASSERT_EQ(Fill(sprite.get(), key), DD_OK);
  WritePixel(sprite.get(), 1, 0, ink);
  WritePixel(sprite.get(), 2, 1, ink);
  DDCOLORKEY colourKey{key, key};
  ASSERT_EQ(sprite->SetColorKey(DDCKEY_SRCBLT, &colourKey), DD_OK);

  Ref<IDirectDrawSurface7> target = Offscreen(d.dd7.get(), 8, 4);
  ASSERT_EQ(Fill(target.get(), paper), DD_OK);
  ASSERT_EQ(target->BltFast(4, 1, sprite.get(), nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
  const DWORD keyed[2][3] = {{paper, ink, paper}, {paper, paper, ink}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(ReadPixel(target.get(), 4 + x, 1 + y), keyed[y][x]) << x << "," << y;
  EXPECT_EQ(ReadPixel(target.get(), 3, 1), paper);
  EXPECT_EQ(ReadPixel(target.get(), 7, 1), paper);

  ASSERT_EQ(Fill(target.get(), paper), DD_OK);
  RECT part{1, 0, 3, 2};
  ASSERT_EQ(target->BltFast(0, 0, sprite.get(), &part, DDBLTFAST_NOCOLORKEY | DDBLTFAST_WAIT), DD_OK);
  const DWORD plain[2][3] = {{ink, key, paper}, {key, ink, paper}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(ReadPixel(target.get(), x, y), plain[y][x]) << x << "," << y;
}

// A fill of the whole surface is written when something first looks: an opaque blit onto the
// surface leaves only the fill around it to write, a blit from it or a flip of it writes it all.
TEST_P(SurfaceAtDepth, AWholeFillIsWhatLaterBlitsAndFlipsSee) {
  const DWORD ink = 0x00445566 & Mask();
  const DWORD paper = 0x00778899 & Mask();
  Ref<IDirectDrawSurface7> sprite = Offscreen(d.dd7.get(), 3, 2);
  ASSERT_EQ(Fill(sprite.get(), ink), DD_OK);
  Ref<IDirectDrawSurface7> target = Offscreen(d.dd7.get(), 9, 7);
  ASSERT_EQ(Fill(target.get(), 0x00123456 & Mask()), DD_OK);
  ASSERT_EQ(Fill(target.get(), paper), DD_OK);  // the last fill is the one that counts
  ASSERT_EQ(target->BltFast(4, 2, sprite.get(), nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x)
      EXPECT_EQ(ReadPixel(target.get(), x, y), x >= 4 && x < 7 && y >= 2 && y < 4 ? ink : paper) << x << "," << y;

  ASSERT_EQ(Fill(d.back.get(), paper), DD_OK);
  ASSERT_EQ(d.primary->Flip(nullptr, 0), DD_OK);
  EXPECT_EQ(ReadPixel(d.primary.get(), 0, 0), paper);
  EXPECT_EQ(ReadPixel(d.primary.get(), 639, 479), paper);
}

TEST_P(SurfaceAtDepth, GetDcDrawsIntoTheSurface) {
  Ref<IDirectDrawSurface7> surface = Offscreen(d.dd7.get(), 4, 4);
  ASSERT_EQ(Fill(surface.get(), 0), DD_OK);
  HDC dc = nullptr;
  ASSERT_EQ(surface->GetDC(&dc), DD_OK);
  ASSERT_NE(dc, nullptr);
  SetPixel(dc, 2, 1, RGB(255, 255, 255));
  HDC second = nullptr;
  EXPECT_EQ(surface->GetDC(&second), DDERR_DCALREADYCREATED);
  DDSURFACEDESC2 desc = LockDesc();
  EXPECT_EQ(surface->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(surface->ReleaseDC(reinterpret_cast<HDC>(std::uintptr_t{1})), DDERR_INVALIDPARAMS);
  ASSERT_EQ(surface->ReleaseDC(dc), DD_OK);
  const DWORD white = GetParam() == 8 ? 215u : Mask() & 0x00FFFFFF;  // the palette's white
  EXPECT_EQ(ReadPixel(surface.get(), 2, 1), white);
  EXPECT_EQ(ReadPixel(surface.get(), 1, 1), 0u);
}

using Rects = DDrawTest;

TEST_F(Rects, BltFastRefusesWhatDoesNotFitAndCopiesNothing) {
  Opened d;
  Open(d, 640, 480, 32);
  Ref<IDirectDrawSurface7> sprite = Offscreen(d.dd7.get(), 4, 3);
  Ref<IDirectDrawSurface7> target = Offscreen(d.dd7.get(), 10, 8);
  ASSERT_EQ(Fill(sprite.get(), 0x123456), DD_OK);
  ASSERT_EQ(Fill(target.get(), 0), DD_OK);
  struct Case {
    const char* what;
    DWORD x, y;
    RECT part;
    HRESULT expected;
  };
  const Case cases[] = {
      {"whole sprite at the far corner", 6, 5, {0, 0, 4, 3}, DD_OK},
      {"one column past the right edge", 7, 0, {0, 0, 4, 3}, DDERR_INVALIDRECT},
      {"one row past the bottom", 0, 6, {0, 0, 4, 3}, DDERR_INVALIDRECT},
      {"left of the surface", static_cast<DWORD>(-1), 0, {0, 0, 4, 3}, DDERR_INVALIDRECT},
      {"source wider than the sprite", 0, 0, {0, 0, 5, 3}, DDERR_INVALIDRECT},
      {"source starts left of the sprite", 0, 0, {-1, 0, 2, 3}, DDERR_INVALIDRECT},
      {"empty source", 0, 0, {2, 0, 2, 3}, DDERR_INVALIDRECT},
      {"reversed source", 0, 0, {0, 3, 4, 0}, DDERR_INVALIDRECT},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Fill(target.get(), 0), DD_OK);
    RECT part = c.part;
    EXPECT_EQ(target->BltFast(c.x, c.y, sprite.get(), &part, 0), c.expected) << c.what;
    if (c.expected != DD_OK) {
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(ReadPixel(target.get(), x, y), 0u) << c.what;
    }
  }
  EXPECT_EQ(target->BltFast(0, 0, nullptr, nullptr, 0), DDERR_INVALIDPARAMS);
  EXPECT_EQ(target->BltFast(0, 0, target.get(), nullptr, 0), DDERR_INVALIDPARAMS);
  EXPECT_EQ(target->BltFast(0, 0, sprite.get(), nullptr, 0x100), DDERR_INVALIDPARAMS);
  EXPECT_EQ(target->BltFast(0, 0, sprite.get(), nullptr, DDBLTFAST_SRCCOLORKEY), DDERR_NOCOLORKEY);
  DDCOLORKEY key{0, 0};
  ASSERT_EQ(sprite->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  EXPECT_EQ(target->BltFast(0, 0, sprite.get(), nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
  ASSERT_EQ(sprite->SetColorKey(DDCKEY_SRCBLT, nullptr), DD_OK);  // removes the key
  EXPECT_EQ(target->BltFast(0, 0, sprite.get(), nullptr, DDBLTFAST_SRCCOLORKEY), DDERR_NOCOLORKEY);
  EXPECT_EQ(sprite->SetColorKey(0x2, &key), DDERR_INVALIDPARAMS);

  RECT outside{0, 0, 11, 1};
  EXPECT_EQ(Fill(target.get(), 1, &outside), DDERR_INVALIDRECT);
  EXPECT_EQ(target->Blt(nullptr, sprite.get(), nullptr, DDBLT_WAIT, nullptr), DDERR_UNSUPPORTED);
  DDBLTFX fx{};
  fx.dwSize = 100;
  EXPECT_EQ(target->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDPARAMS);
}

TEST_F(Rects, BltFastRefusesSurfacesOfAnotherFormat) {
  Opened d;
  Open(d, 640, 480, 16);
  Ref<IDirectDraw> other;
  ASSERT_EQ(DirectDrawCreate(nullptr, other.put(), nullptr), DD_OK);
  Ref<IDirectDraw7> other7;
  ASSERT_EQ(other->QueryInterface(IID_IDirectDraw7, Out(other7)), DD_OK);
  Ref<IDirectDrawSurface7> desktopFormat = Offscreen(other7.get(), 2, 2);  // the desktop's 32 bits
  EXPECT_EQ(d.back->BltFast(0, 0, desktopFormat.get(), nullptr, 0), DDERR_INVALIDPIXELFORMAT);
}

using Lost = DDrawTest;

TEST_F(Lost, LostSurfacesRefuseWorkUntilRestored) {
  Opened d;
  Open(d, 800, 600, 32);
  Ref<IDirectDrawSurface7> sprite = Offscreen(d.dd7.get(), 4, 4);
  ddraw::LoseAllSurfaces();
  for (IDirectDrawSurface7* s : {d.primary.get(), d.back.get(), sprite.get()}) EXPECT_EQ(s->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(Fill(d.back.get(), 0), DDERR_SURFACELOST);
  EXPECT_EQ(d.back->BltFast(0, 0, sprite.get(), nullptr, 0), DDERR_SURFACELOST);
  EXPECT_EQ(d.primary->Flip(nullptr, 0), DDERR_SURFACELOST);
  DDSURFACEDESC2 desc = LockDesc();
  EXPECT_EQ(sprite->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACELOST);
  HDC dc = nullptr;
  EXPECT_EQ(d.back->GetDC(&dc), DDERR_SURFACELOST);
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), 0);

  ASSERT_EQ(d.dd7->RestoreAllSurfaces(), DD_OK);
  for (IDirectDrawSurface7* s : {d.primary.get(), d.back.get(), sprite.get()}) EXPECT_EQ(s->IsLost(), DD_OK);

  ddraw::LoseAllSurfaces();
  ASSERT_EQ(d.primary->Restore(), DD_OK);  // brings its back buffer with it
  EXPECT_EQ(d.back->IsLost(), DD_OK);
  EXPECT_EQ(sprite->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(sprite->Restore(), DD_OK);
  EXPECT_EQ(d.primary->Flip(nullptr, 0), DD_OK);
}

TEST_F(Lost, AModeSwitchLosesSurfacesMadeForTheOldMode) {
  Opened d;
  Open(d, 800, 600, 32);
  Ref<IDirectDrawSurface7> sprite = Offscreen(d.dd7.get(), 4, 4);
  ASSERT_EQ(d.dd7->SetDisplayMode(1024, 768, 32, 0, 0), DD_OK);
  EXPECT_EQ(d.primary->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(d.primary->Restore(), DDERR_WRONGMODE);
  EXPECT_EQ(sprite->Restore(), DD_OK);  // same depth: still usable
  EXPECT_EQ(d.dd7->RestoreAllSurfaces(), DDERR_WRONGMODE);
}

}  // namespace
}  // namespace ddraw_test
