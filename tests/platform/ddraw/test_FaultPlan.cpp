// The fault plan: the n-th call of each named operation returns the planned result and does
// nothing else; the calls around it behave as usual.
#include <functional>

#include "DDrawTest.h"

namespace ddraw_test {
namespace {

using ddraw::Op;

constexpr HRESULT kPlanned = MAKE_DDHRESULT(0x3FF);

struct World {
  Opened d;
  Ref<IDirectDrawSurface7> sprite;
  Ref<IDirectDrawGammaControl> gamma;
};

struct Case {
  const char* name;
  Op op;
  std::function<HRESULT(World&)> call;
};

// Runs `call`, which hands out an interface into `made`, and releases what it made.
template <class T, class Call>
HRESULT Keep(T*& made, Call call) {
  const HRESULT result = call();
  if (made) made->Release();
  return result;
}

const Case kCases[] = {
    {"DirectDrawCreate", Op::DirectDrawCreate,
     [](World&) {
       IDirectDraw* dd = nullptr;
       return Keep(dd, [&] { return DirectDrawCreate(nullptr, &dd, nullptr); });
     }},
    {"DirectDrawEnumerateExA", Op::DirectDrawEnumerateExA,
     [](World&) {
       return DirectDrawEnumerateExA([](GUID*, LPSTR, LPSTR, LPVOID, HMONITOR) { return TRUE; }, nullptr, 1);
     }},
    {"QueryInterface", Op::QueryInterface,
     [](World& w) {
       IDirectDraw7* dd7 = nullptr;
       return Keep(dd7, [&] { return w.d.dd->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void**>(&dd7)); });
     }},
    {"GetCaps", Op::GetCaps,
     [](World& w) {
       DDCAPS caps{sizeof(DDCAPS), 0, 0, {}};
       return w.d.dd->GetCaps(&caps, nullptr);
     }},
    {"EnumDisplayModes", Op::EnumDisplayModes,
     [](World& w) {
       return w.d.dd->EnumDisplayModes(0, nullptr, nullptr, [](DDSURFACEDESC2*, LPVOID) { return DDENUMRET_OK; });
     }},
    {"SetCooperativeLevel", Op::SetCooperativeLevel,
     [](World& w) { return w.d.dd7->SetCooperativeLevel(TestWindow(), 0x53); }},
    {"SetDisplayMode", Op::SetDisplayMode, [](World& w) { return w.d.dd7->SetDisplayMode(800, 600, 32, 0, 0); }},
    {"CreateSurface", Op::CreateSurface,
     [](World& w) {
       DDSURFACEDESC2 desc = OffscreenDesc(2, 2);
       IDirectDrawSurface7* made = nullptr;
       return Keep(made, [&] { return w.d.dd7->CreateSurface(&desc, &made, nullptr); });
     }},
    {"RestoreAllSurfaces", Op::RestoreAllSurfaces, [](World& w) { return w.d.dd7->RestoreAllSurfaces(); }},
    {"GetAttachedSurface", Op::GetAttachedSurface,
     [](World& w) {
       DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
       IDirectDrawSurface7* back = nullptr;
       return Keep(back, [&] { return w.d.primary->GetAttachedSurface(&caps, &back); });
     }},
    {"Flip", Op::Flip, [](World& w) { return w.d.primary->Flip(nullptr, 0); }},
    {"Blt", Op::Blt, [](World& w) { return Fill(w.d.back.get(), 0); }},
    {"BltFast", Op::BltFast, [](World& w) { return w.d.back->BltFast(0, 0, w.sprite.get(), nullptr, 0); }},
    {"SetColorKey", Op::SetColorKey,
     [](World& w) {
       DDCOLORKEY key{0, 0};
       return w.sprite->SetColorKey(DDCKEY_SRCBLT, &key);
     }},
    {"Lock", Op::Lock,
     [](World& w) {
       DDSURFACEDESC2 desc = LockDesc();
       const HRESULT result = w.sprite->Lock(nullptr, &desc, 0, nullptr);
       if (result == DD_OK) w.sprite->Unlock(nullptr);
       return result;
     }},
    {"GetDC", Op::GetDC,
     [](World& w) {
       HDC dc = nullptr;
       const HRESULT result = w.sprite->GetDC(&dc);
       if (result == DD_OK) w.sprite->ReleaseDC(dc);
       return result;
     }},
    {"IsLost", Op::IsLost, [](World& w) { return w.sprite->IsLost(); }},
    {"Restore", Op::Restore, [](World& w) { return w.d.primary->Restore(); }},
    {"GetGammaRamp", Op::GetGammaRamp,
     [](World& w) {
       DDGAMMARAMP ramp{};
       return w.gamma->GetGammaRamp(0, &ramp);
     }},
    {"SetGammaRamp", Op::SetGammaRamp,
     [](World& w) {
       DDGAMMARAMP ramp{};
       return w.gamma->SetGammaRamp(0, &ramp);
     }},
};

class FaultPlan : public DDrawTest, public ::testing::WithParamInterface<Case> {
 protected:
  void SetUp() override {
    DDrawTest::SetUp();
    Open(w.d, 800, 600, 32);
    w.sprite = Offscreen(w.d.dd7.get(), 2, 2);
    ASSERT_EQ(w.d.primary->QueryInterface(IID_IDirectDrawGammaControl, Out(w.gamma)), DD_OK);
  }
  World w;
};

INSTANTIATE_TEST_SUITE_P(Ops, FaultPlan, ::testing::ValuesIn(kCases), [](const auto& info) { return info.param.name; });

TEST_P(FaultPlan, TheNthCallReturnsThePlannedResult) {
  ddraw::FailCall(GetParam().op, 2, kPlanned);
  ddraw::FailCall(GetParam().op, 4, DDERR_WASSTILLDRAWING);
  EXPECT_EQ(GetParam().call(w), DD_OK);
  EXPECT_EQ(GetParam().call(w), kPlanned);
  EXPECT_EQ(GetParam().call(w), DD_OK);
  EXPECT_EQ(GetParam().call(w), DDERR_WASSTILLDRAWING);
  EXPECT_EQ(GetParam().call(w), DD_OK);
}

TEST_P(FaultPlan, ResetClearsThePlan) {
  ddraw::FailCall(GetParam().op, 1, kPlanned);
  ddraw::ResetDriver();
  EXPECT_EQ(GetParam().call(w), DD_OK);
}

using FaultEffects = DDrawTest;

TEST_F(FaultEffects, AFailedCallDoesNothingElse) {
  World w;
  Open(w.d, 800, 600, 32);
  ASSERT_EQ(Fill(w.d.back.get(), 0x00FF00), DD_OK);
  ddraw::FailCall(Op::Blt, 1, DDERR_SURFACELOST);
  EXPECT_EQ(Fill(w.d.back.get(), 0), DDERR_SURFACELOST);
  EXPECT_EQ(ReadPixel(w.d.back.get(), 0, 0), 0x00FF00u);
  EXPECT_EQ(w.d.back->IsLost(), DD_OK);  // the planned code does not lose the surface

  ddraw::FailCall(Op::Flip, 1, DDERR_WASSTILLDRAWING);
  EXPECT_EQ(w.d.primary->Flip(nullptr, 0), DDERR_WASSTILLDRAWING);
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), 0);
  EXPECT_EQ(w.d.primary->Flip(nullptr, 0), DD_OK);
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), 1);

  IDirectDraw* dd = reinterpret_cast<IDirectDraw*>(1);
  ddraw::FailCall(Op::DirectDrawCreate, 1, DDERR_GENERIC);
  EXPECT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DDERR_GENERIC);
  EXPECT_EQ(dd, nullptr);  // out pointers are cleared on failure
}

}  // namespace
}  // namespace ddraw_test
