// Shared set-up for the DirectDraw tests: a fresh driver and desktop per test, and helpers that
// open the display as the display owner does and make surfaces with chosen pixels.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/ddraw/ComRef.h"
#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/Driver.h"
#include "platform/ddraw/HeadlessDevice.h"
#include "platform/gdi/GdiMemory.h"

namespace ddraw_test {

using ddraw::Ref;

class DDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ddraw::ResetDriver();
    gdi::SetDesktopMode({1024, 768, 32});
  }
  void TearDown() override {
    ddraw::ResetDriver();
    gdi::SetDesktopMode({});
  }
};

// 640 x 480 at every depth the display offers, 8 bits included.
inline void ListEveryDepth() { ddraw::SetModes({{640, 480, 8}, {640, 480, 16}, {640, 480, 24}, {640, 480, 32}}); }

inline HWND TestWindow() { return reinterpret_cast<HWND>(std::uintptr_t{0x51}); }

template <class T>
void** Out(Ref<T>& ref) {
  return reinterpret_cast<void**>(ref.put());
}

struct Opened {
  Ref<IDirectDraw> dd;
  Ref<IDirectDraw7> dd7;
  Ref<IDirectDrawSurface7> primary;
  Ref<IDirectDrawSurface7> back;
};

inline DDSURFACEDESC2 PrimaryDesc() {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  return desc;
}

inline DDSURFACEDESC2 OffscreenDesc(int width, int height) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = static_cast<DWORD>(width);
  desc.dwHeight = static_cast<DWORD>(height);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  return desc;
}

// The display owner's open sequence; stops the test at the first failure.
inline void Open(Opened& d, int width, int height, int bitsPerPixel) {
  ASSERT_EQ(DirectDrawCreate(nullptr, d.dd.put(), nullptr), DD_OK);
  ASSERT_EQ(d.dd->QueryInterface(IID_IDirectDraw7, Out(d.dd7)), DD_OK);
  ASSERT_EQ(d.dd7->SetCooperativeLevel(TestWindow(), 0x53), DD_OK);
  ASSERT_EQ(d.dd7->SetDisplayMode(width, height, bitsPerPixel, 0, 0), DD_OK);
  DDSURFACEDESC2 desc = PrimaryDesc();
  ASSERT_EQ(d.dd7->CreateSurface(&desc, d.primary.put(), nullptr), DD_OK);
  DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
  ASSERT_EQ(d.primary->GetAttachedSurface(&caps, d.back.put()), DD_OK);
}

inline Ref<IDirectDrawSurface7> Offscreen(IDirectDraw7* dd7, int width, int height) {
  Ref<IDirectDrawSurface7> surface;
  DDSURFACEDESC2 desc = OffscreenDesc(width, height);
  EXPECT_EQ(dd7->CreateSurface(&desc, surface.put(), nullptr), DD_OK);
  return surface;
}

inline DDSURFACEDESC2 LockDesc() {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof(desc);
  return desc;
}

// Pixel values through Lock; `bytes` per pixel, little-endian as stored.
inline DWORD ReadPixel(IDirectDrawSurface7* surface, int x, int y) {
  DDSURFACEDESC2 desc = LockDesc();
  if (surface->Lock(nullptr, &desc, 0, nullptr) != DD_OK) return 0xDEADBEEF;
  const int bytes = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount / 8);
  DWORD value = 0;
  std::memcpy(&value, static_cast<const std::byte*>(desc.lpSurface) + y * desc.lPitch + x * bytes, bytes);
  surface->Unlock(nullptr);
  return value;
}

inline void WritePixel(IDirectDrawSurface7* surface, int x, int y, DWORD value) {
  DDSURFACEDESC2 desc = LockDesc();
  ASSERT_EQ(surface->Lock(nullptr, &desc, 0, nullptr), DD_OK);
  const int bytes = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount / 8);
  std::memcpy(static_cast<std::byte*>(desc.lpSurface) + y * desc.lPitch + x * bytes, &value, bytes);
  surface->Unlock(nullptr);
}

// A ramp as the gamma control builds one: entry i of each channel is i times its level.
inline DDGAMMARAMP Level(int red, int green, int blue) {
  DDGAMMARAMP ramp{};
  for (int i = 0; i < 256; ++i) {
    ramp.red[i] = static_cast<WORD>(i * red);
    ramp.green[i] = static_cast<WORD>(i * green);
    ramp.blue[i] = static_cast<WORD>(i * blue);
  }
  return ramp;
}

inline HRESULT Fill(IDirectDrawSurface7* surface, DWORD value, RECT* area = nullptr) {
  DDBLTFX fx{};
  fx.dwSize = sizeof(fx);
  fx.dwFillColor = value;
  return surface->Blt(area, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

}  // namespace ddraw_test
