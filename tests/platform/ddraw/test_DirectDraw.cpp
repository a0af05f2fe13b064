// The DirectDraw object: the display owner's open sequence, modes, exclusive mode, the desktop
// coming back on release, reference counts, capabilities and the device enumeration.
#include <string>
#include <vector>

#include "DDrawTest.h"
#include "platform/win32/Kernel32.h"

namespace ddraw_test {
namespace {

using DirectDrawObject = DDrawTest;

TEST_F(DirectDrawObject, OpenSequenceGivesPrimaryChainInTheModeSet) {
  Opened d;
  Open(d, 800, 600, 24);
  ASSERT_TRUE(d.back);
  EXPECT_EQ(ddraw::HeadlessMode(), (ddraw::DisplayMode{800, 600, 24}));

  DDSURFACEDESC2 desc = LockDesc();
  ASSERT_EQ(d.primary->GetSurfaceDesc(&desc), DD_OK);
  EXPECT_EQ(desc.dwWidth, 800u);
  EXPECT_EQ(desc.dwHeight, 600u);
  EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 24u);
  EXPECT_EQ(desc.ddsCaps.dwCaps, DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX);
  EXPECT_EQ(desc.dwBackBufferCount, 1u);
  desc = LockDesc();
  ASSERT_EQ(d.back->GetSurfaceDesc(&desc), DD_OK);
  EXPECT_EQ(desc.ddsCaps.dwCaps & DDSCAPS_BACKBUFFER, DDSCAPS_BACKBUFFER);
  EXPECT_EQ(desc.dwWidth, 800u);

  desc = LockDesc();
  ASSERT_EQ(d.dd7->GetDisplayMode(&desc), DD_OK);
  EXPECT_EQ(desc.dwWidth, 800u);
  EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 24u);

  DDSCAPS2 other{DDSCAPS_OFFSCREENPLAIN, 0, 0, 0};
  Ref<IDirectDrawSurface7> none;
  EXPECT_EQ(d.primary->GetAttachedSurface(&other, none.put()), DDERR_NOTFOUND);
  EXPECT_FALSE(none);
  Ref<IDirectDrawSurface7> second;
  DDSURFACEDESC2 primary = PrimaryDesc();
  EXPECT_EQ(d.dd7->CreateSurface(&primary, second.put(), nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
}

TEST_F(DirectDrawObject, SetDisplayModeAcceptsOnlyListedModes) {
  struct Case {
    DWORD width, height, bits, refresh;
    HRESULT expected;
  };
  const Case cases[] = {
      {1024, 768, 32, 0, DD_OK},  {800, 600, 16, 0, DD_OK},           {640, 480, 24, 0, DD_OK},
      {800, 600, 8, 0, DDERR_INVALIDMODE},  {1280, 1024, 32, 0, DD_OK},  // larger than the desktop, scaled
      {800, 601, 32, 0, DDERR_INVALIDMODE}, {800, 600, 32, 60, DDERR_INVALIDMODE},
      {0xFFFFFFFF, 600, 32, 0, DDERR_INVALIDMODE},
  };
  Opened d;
  ASSERT_EQ(DirectDrawCreate(nullptr, d.dd.put(), nullptr), DD_OK);
  ASSERT_EQ(d.dd->QueryInterface(IID_IDirectDraw7, Out(d.dd7)), DD_OK);
  ASSERT_EQ(d.dd7->SetCooperativeLevel(TestWindow(), 0x53), DD_OK);
  for (const Case& c : cases) {
    EXPECT_EQ(d.dd7->SetDisplayMode(c.width, c.height, c.bits, c.refresh, 0), c.expected)
        << c.width << "x" << c.height << "x" << c.bits << "@" << c.refresh;
  }
  EXPECT_EQ(d.dd7->SetDisplayMode(800, 600, 32, 0, 1), DDERR_INVALIDPARAMS);
}

TEST_F(DirectDrawObject, PrimaryNeedsExclusiveModeAndADisplayMode) {
  Opened d;
  ASSERT_EQ(DirectDrawCreate(nullptr, d.dd.put(), nullptr), DD_OK);
  ASSERT_EQ(d.dd->QueryInterface(IID_IDirectDraw7, Out(d.dd7)), DD_OK);
  DDSURFACEDESC2 desc = PrimaryDesc();
  EXPECT_EQ(d.dd7->CreateSurface(&desc, d.primary.put(), nullptr), DDERR_NOEXCLUSIVEMODE);
  EXPECT_FALSE(d.primary);
  EXPECT_EQ(d.dd7->SetDisplayMode(800, 600, 32, 0, 0), DDERR_NOEXCLUSIVEMODE);

  EXPECT_EQ(d.dd7->SetCooperativeLevel(TestWindow(), DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
  EXPECT_EQ(d.dd7->SetCooperativeLevel(nullptr, 0x53), DDERR_INVALIDPARAMS);
  ASSERT_EQ(d.dd7->SetCooperativeLevel(TestWindow(), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
  EXPECT_EQ(d.dd7->CreateSurface(&desc, d.primary.put(), nullptr), DDERR_NOEXCLUSIVEMODE);

  desc.dwFlags |= DDSD_WIDTH;
  ASSERT_EQ(d.dd7->SetDisplayMode(800, 600, 32, 0, 0), DD_OK);
  EXPECT_EQ(d.dd7->CreateSurface(&desc, d.primary.put(), nullptr), DDERR_INVALIDPARAMS);
  desc = PrimaryDesc();
  desc.dwBackBufferCount = 2;
  EXPECT_EQ(d.dd7->CreateSurface(&desc, d.primary.put(), nullptr), DDERR_INVALIDPARAMS);
  desc = PrimaryDesc();
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  EXPECT_EQ(d.dd7->CreateSurface(&desc, d.primary.put(), nullptr), DDERR_INVALIDCAPS);
  desc = PrimaryDesc();
  desc.dwSize = 124;  // anything but sizeof is refused
  EXPECT_EQ(d.dd7->CreateSurface(&desc, d.primary.put(), nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DirectDrawObject, OffscreenSurfacesNeedASize) {
  Opened d;
  Open(d, 800, 600, 16);
  for (auto [w, h] : {std::pair{0, 10}, std::pair{10, 0}, std::pair{16385, 1}, std::pair{-1, 1}}) {
    DDSURFACEDESC2 desc = OffscreenDesc(w, h);
    Ref<IDirectDrawSurface7> surface;
    EXPECT_EQ(d.dd7->CreateSurface(&desc, surface.put(), nullptr), DDERR_INVALIDPARAMS) << w << "x" << h;
    EXPECT_FALSE(surface);
  }
  Ref<IDirectDrawSurface7> sprite = Offscreen(d.dd7.get(), 46, 23);
  DDSURFACEDESC2 desc = LockDesc();
  ASSERT_EQ(sprite->GetSurfaceDesc(&desc), DD_OK);
  EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);  // the display's format
  EXPECT_EQ(desc.ddsCaps.dwCaps, DDSCAPS_OFFSCREENPLAIN);
}

TEST_F(DirectDrawObject, OnlyOneObjectHoldsExclusiveMode) {
  Opened first, second;
  Open(first, 800, 600, 32);
  ASSERT_EQ(DirectDrawCreate(nullptr, second.dd.put(), nullptr), DD_OK);
  ASSERT_EQ(second.dd->QueryInterface(IID_IDirectDraw7, Out(second.dd7)), DD_OK);
  EXPECT_EQ(second.dd7->SetCooperativeLevel(TestWindow(), 0x53), DDERR_EXCLUSIVEMODEALREADYSET);
  EXPECT_EQ(first.dd7->SetCooperativeLevel(TestWindow(), 0x53), DD_OK);  // again, same window
  first = Opened{};
  EXPECT_EQ(second.dd7->SetCooperativeLevel(TestWindow(), 0x53), DD_OK);
}

// Records what the display device is told.
struct DeviceLog {
  std::vector<std::string> calls;
  HWND window = nullptr;
};

class LoggingDevice final : public ddraw::DisplayDevice {
 public:
  explicit LoggingDevice(DeviceLog& log) : log_(log) {}
  void SetMode(const ddraw::DisplayMode& m) override {
    log_.calls.push_back("mode " + std::to_string(m.width) + "x" + std::to_string(m.height) + "x" +
                         std::to_string(m.bitsPerPixel));
  }
  void Present(const ddraw::Frame&) override { log_.calls.push_back("present"); }
  void RestoreDesktop() override { log_.calls.push_back("desktop"); }

 private:
  DeviceLog& log_;
};

TEST_F(DirectDrawObject, DeviceFactoryGetsTheWindowAndReleaseGivesTheDesktopBack) {
  DeviceLog log;
  ddraw::SetDeviceFactory([&](HWND window, int) {
    log.window = window;
    return std::make_unique<LoggingDevice>(log);
  });
  {
    Opened d;
    Open(d, 640, 480, 16);
    ASSERT_EQ(d.primary->Flip(nullptr, 0), DD_OK);
    // The display owner's close order: back, primary, DirectDraw 7, DirectDraw.
    d.back.reset();
    d.primary.reset();
    d.dd7.reset();
    EXPECT_EQ(log.calls.back(), "present");  // one reference left: still exclusive
  }
  EXPECT_EQ(log.window, TestWindow());
  EXPECT_EQ(log.calls, (std::vector<std::string>{"mode 640x480x16", "present", "desktop"}));
}

TEST_F(DirectDrawObject, HeadlessDisplayShowsTheDesktopAfterRelease) {
  {
    Opened d;
    Open(d, 800, 600, 32);
    EXPECT_TRUE(ddraw::HeadlessMode());
  }
  EXPECT_FALSE(ddraw::HeadlessMode());
}

TEST_F(DirectDrawObject, ReferenceCounts) {
  IDirectDraw* dd = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
  EXPECT_EQ(dd->AddRef(), 2u);
  EXPECT_EQ(dd->Release(), 1u);
  IDirectDraw7* dd7 = nullptr;
  ASSERT_EQ(dd->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void**>(&dd7)), DD_OK);
  EXPECT_EQ(dd->AddRef(), 3u);  // one object behind both interfaces
  EXPECT_EQ(dd->Release(), 2u);
  void* unknown = reinterpret_cast<void*>(1);
  EXPECT_EQ(dd->QueryInterface(IID_IDirectDrawSurface7, &unknown), E_NOINTERFACE);
  EXPECT_EQ(unknown, nullptr);

  ASSERT_EQ(dd7->SetCooperativeLevel(TestWindow(), 0x53), DD_OK);
  ASSERT_EQ(dd7->SetDisplayMode(800, 600, 32, 0, 0), DD_OK);
  IDirectDrawSurface7* primary = nullptr;
  DDSURFACEDESC2 desc = PrimaryDesc();
  ASSERT_EQ(dd7->CreateSurface(&desc, &primary, nullptr), DD_OK);
  IDirectDrawSurface7* back = nullptr;
  DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
  ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
  EXPECT_EQ(back->AddRef(), 3u);  // the primary's attachment, ours, this one
  EXPECT_EQ(back->Release(), 2u);
  EXPECT_EQ(back->Release(), 1u);  // the attachment keeps it
  IDirectDrawSurface7* offscreen = nullptr;
  DDSURFACEDESC2 plain = OffscreenDesc(8, 8);
  ASSERT_EQ(dd7->CreateSurface(&plain, &offscreen, nullptr), DD_OK);

  EXPECT_EQ(primary->Release(), 0u);
  EXPECT_EQ(dd7->Release(), 1u);
  EXPECT_EQ(dd->Release(), 0u);
  // A surface that outlives its DirectDraw object stays safe to use and to release.
  EXPECT_EQ(offscreen->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(offscreen->Restore(), DDERR_WRONGMODE);
  EXPECT_EQ(Fill(offscreen, 0), DDERR_SURFACELOST);
  EXPECT_EQ(offscreen->Release(), 0u);
}

TEST_F(DirectDrawObject, GetCapsReportsGammaCapability) {
  for (bool gamma : {true, false}) {
    ddraw::SetGammaCapability(gamma);
    Ref<IDirectDraw> dd;
    ASSERT_EQ(DirectDrawCreate(nullptr, dd.put(), nullptr), DD_OK);
    DDCAPS caps{};
    caps.dwSize = sizeof(caps);
    ASSERT_EQ(dd->GetCaps(&caps, nullptr), DD_OK);
    EXPECT_EQ((caps.dwCaps2 & DDCAPS2_PRIMARYGAMMA) != 0, gamma);
    EXPECT_EQ(sizeof(caps), 380u);  // the size its callers set
    DDCAPS wrong{};
    wrong.dwSize = 12;
    EXPECT_EQ(dd->GetCaps(&wrong, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->GetCaps(nullptr, nullptr), DDERR_INVALIDPARAMS);
  }
}

TEST_F(DirectDrawObject, GammaControlOnlyOnThePrimaryWhenOffered) {
  Opened d;
  Open(d, 800, 600, 32);
  Ref<IDirectDrawGammaControl> gamma;
  EXPECT_EQ(d.primary->QueryInterface(IID_IDirectDrawGammaControl, Out(gamma)), DD_OK);
  EXPECT_TRUE(gamma);
  EXPECT_EQ(d.back->QueryInterface(IID_IDirectDrawGammaControl, Out(gamma)), E_NOINTERFACE);
  ddraw::SetGammaCapability(false);
  EXPECT_EQ(d.primary->QueryInterface(IID_IDirectDrawGammaControl, Out(gamma)), E_NOINTERFACE);
  EXPECT_FALSE(gamma);
}

std::vector<ddraw::DisplayMode> Enumerate(IDirectDraw* dd, int stopAfter = 1000) {
  struct Context {
    std::vector<ddraw::DisplayMode> modes;
    int stopAfter;
  } context{{}, stopAfter};
  const auto callback = [](DDSURFACEDESC2* desc, LPVOID p) -> HRESULT {
    auto& c = *static_cast<Context*>(p);
    c.modes.push_back({static_cast<int>(desc->dwWidth), static_cast<int>(desc->dwHeight),
                       static_cast<int>(desc->ddpfPixelFormat.dwRGBBitCount)});
    return static_cast<int>(c.modes.size()) < c.stopAfter ? DDENUMRET_OK : DDENUMRET_CANCEL;
  };
  EXPECT_EQ(dd->EnumDisplayModes(0, nullptr, &context, callback), DD_OK);
  return context.modes;
}

// The display device scales any mode to the screen: every common size is listed, whatever
// the desktop's size, and the desktop's own size after them.
TEST_F(DirectDrawObject, EnumDisplayModesListsEveryCommonSizeAndTheDesktop) {
  Ref<IDirectDraw> dd;
  ASSERT_EQ(DirectDrawCreate(nullptr, dd.put(), nullptr), DD_OK);
  using M = ddraw::DisplayMode;
  std::vector<M> common;
  for (const M size : {M{640, 480, 0}, M{800, 600, 0}, M{1024, 768, 0}, M{1152, 864, 0}, M{1280, 1024, 0}})
    for (int depth : {16, 24, 32}) common.push_back({size.width, size.height, depth});
  EXPECT_EQ(Enumerate(dd.get()), common);  // the 1024 x 768 desktop is among them
  // The desktop's own size at every depth, whatever the desktop's own depth.
  for (const M desktop : {M{1366, 768, 16}, M{1920, 1080, 24}, M{2560, 1440, 32}}) {
    gdi::SetDesktopMode({desktop.width, desktop.height, desktop.bitsPerPixel});
    const std::vector<M> listed = Enumerate(dd.get());
    ASSERT_EQ(listed.size(), 18u);
    EXPECT_EQ(std::vector<M>(listed.begin(), listed.begin() + 15), common);
    EXPECT_EQ(std::vector<M>(listed.end() - 3, listed.end()),
              (std::vector<M>{{desktop.width, desktop.height, 16}, {desktop.width, desktop.height, 24},
                              {desktop.width, desktop.height, 32}}));
  }
  gdi::SetDesktopMode({800, 600, 16});
  EXPECT_EQ(Enumerate(dd.get()), common);
  gdi::SetDesktopMode({1024, 768, 8});
  EXPECT_EQ(Enumerate(dd.get()).back(), (M{1024, 768, 8}));

  EXPECT_EQ(Enumerate(dd.get(), 2).size(), 2u);  // the callback cancels

  ddraw::SetModes({{800, 600, 16}, {1024, 768, 24}, {320, 200, 12}});
  EXPECT_EQ(Enumerate(dd.get()), (std::vector<M>{{800, 600, 16}, {1024, 768, 24}}));
  DDSURFACEDESC2 filter = LockDesc();
  EXPECT_EQ(dd->EnumDisplayModes(0, &filter, nullptr, [](DDSURFACEDESC2*, LPVOID) { return DDENUMRET_OK; }),
            DDERR_UNSUPPORTED);
}

struct Reported {
  bool hasGuid;
  GUID guid;
  std::string description;
  HMONITOR monitor;
};

BOOL Collect(GUID* guid, LPSTR description, LPSTR, LPVOID context, HMONITOR monitor) {
  auto& list = *static_cast<std::vector<Reported>*>(context);
  list.push_back({guid != nullptr, guid ? *guid : GUID{}, description, monitor});
  return list.size() < 2 ? TRUE : FALSE;
}

BOOL CollectAll(GUID* guid, LPSTR description, LPSTR name, LPVOID context, HMONITOR monitor) {
  Collect(guid, description, name, context, monitor);
  return TRUE;
}

TEST_F(DirectDrawObject, EnumerateExReportsPrimaryThenOneDevicePerMonitor) {
  ddraw::SetMonitorCount(2);
  std::vector<Reported> devices;
  ASSERT_EQ(DirectDrawEnumerateExA(&CollectAll, &devices, DDENUM_ATTACHEDSECONDARYDEVICES), DD_OK);
  ASSERT_EQ(devices.size(), 3u);
  EXPECT_FALSE(devices[0].hasGuid);
  EXPECT_TRUE(devices[1].hasGuid && devices[2].hasGuid);
  EXPECT_FALSE(devices[1].guid == devices[2].guid);
  EXPECT_NE(devices[2].monitor, nullptr);

  Ref<IDirectDraw> second;
  EXPECT_EQ(DirectDrawCreate(&devices[2].guid, second.put(), nullptr), DD_OK);
  GUID unknown{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(DirectDrawCreate(&unknown, second.put(), nullptr), DDERR_INVALIDDIRECTDRAWGUID);
  EXPECT_FALSE(second);

  devices.clear();
  ASSERT_EQ(DirectDrawEnumerateExA(&CollectAll, &devices, 0), DD_OK);
  EXPECT_EQ(devices.size(), 1u);  // without the flag: the primary display driver only
  devices.clear();
  ASSERT_EQ(DirectDrawEnumerateExA(&Collect, &devices, DDENUM_ATTACHEDSECONDARYDEVICES), DD_OK);
  EXPECT_EQ(devices.size(), 2u);  // the callback stops it
  EXPECT_EQ(DirectDrawEnumerateExA(nullptr, nullptr, 0), DDERR_INVALIDPARAMS);
}

TEST_F(DirectDrawObject, EnumerateExIsExportedByTheBuiltInModule) {
  HMODULE module = LoadLibraryA("DDRAW.DLL");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetProcAddress(module, "DirectDrawEnumerateExA"), reinterpret_cast<FARPROC>(&DirectDrawEnumerateExA));
  EXPECT_TRUE(FreeLibrary(module));
  win32::UnregisterModule("ddraw.dll");
  EXPECT_EQ(LoadLibraryA("ddraw.dll"), nullptr);
  ddraw::ResetDriver();  // puts it back
  module = LoadLibraryA("ddraw.dll");
  EXPECT_NE(module, nullptr);
  FreeLibrary(module);
}

TEST_F(DirectDrawObject, CreateRefusesAggregationAndNullOut) {
  EXPECT_EQ(DirectDrawCreate(nullptr, nullptr, nullptr), DDERR_INVALIDPARAMS);
  Ref<IDirectDraw> dd;
  ASSERT_EQ(DirectDrawCreate(nullptr, dd.put(), nullptr), DD_OK);
  Ref<IDirectDraw> other;
  EXPECT_EQ(DirectDrawCreate(nullptr, other.put(), dd.get()), DDERR_INVALIDPARAMS);
  EXPECT_FALSE(other);
}

}  // namespace
}  // namespace ddraw_test
