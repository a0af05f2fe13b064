// Flipping to the display device: the headless device shows the flipped frame with the gamma
// ramp applied at every depth; the ramp is whole in every frame while another thread sets it.
#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include "DDrawTest.h"

namespace ddraw_test {
namespace {

using Flip = DDrawTest;

TEST_F(Flip, HandsTheBackBufferToTheHeadlessDevice) {
  Opened d;
  Open(d, 640, 480, 32);
  ASSERT_EQ(Fill(d.back.get(), 0x00123456), DD_OK);
  WritePixel(d.back.get(), 639, 479, 0x00ABCDEF);
  ASSERT_EQ(d.primary->Flip(nullptr, 0), DD_OK);
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), 1);
  const ddraw::HeadlessFrame frame = ddraw::HeadlessLastFrame();
  ASSERT_EQ(frame.width, 640);
  ASSERT_EQ(frame.height, 480);
  EXPECT_EQ(frame.At(0, 0), 0x123456u);
  EXPECT_EQ(frame.At(639, 479), 0xABCDEFu);
  EXPECT_EQ(ReadPixel(d.primary.get(), 0, 0), 0x00123456u);
  EXPECT_EQ(ReadPixel(d.back.get(), 0, 0), 0u);  // the old front, cleared at creation

  EXPECT_EQ(d.primary->Flip(d.back.get(), 0), DD_OK);
  EXPECT_EQ(d.primary->Flip(d.primary.get(), 0), DDERR_INVALIDPARAMS);
  EXPECT_EQ(d.primary->Flip(nullptr, 1), DDERR_INVALIDPARAMS);
  EXPECT_EQ(d.back->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
  HDC dc = nullptr;
  ASSERT_EQ(d.back->GetDC(&dc), DD_OK);
  EXPECT_EQ(d.primary->Flip(nullptr, 0), DDERR_SURFACEBUSY);
  ASSERT_EQ(d.back->ReleaseDC(dc), DD_OK);
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), 2);
}

struct DepthCase {
  int bits;
  DWORD pixel;      // in the surface's format
  DWORD identity;   // 0x00RRGGBB shown with the identity ramp
  DWORD dimmed;     // shown with red 256, green 128, blue 0
};

class GammaAtDepth : public DDrawTest, public ::testing::WithParamInterface<DepthCase> {};

INSTANTIATE_TEST_SUITE_P(Depths, GammaAtDepth,
                         ::testing::Values(DepthCase{8, 215, 0xFFFFFF, 0xFF7F00},   // palette white
                                           DepthCase{8, 5 * 36, 0xFF0000, 0xFF0000},  // palette red
                                           DepthCase{16, 0xFFFF, 0xFFFFFF, 0xFF7F00},
                                           DepthCase{16, 0x07E0, 0x00FF00, 0x007F00},
                                           DepthCase{24, 0x204080, 0x204080, 0x202000},
                                           DepthCase{32, 0x00FF8040, 0xFF8040, 0xFF4000}),
                         [](const auto& info) { return std::to_string(info.index); });

TEST_P(GammaAtDepth, FrameShowsTheRampInForce) {
  ListEveryDepth();
  Opened d;
  Open(d, 640, 480, GetParam().bits);
  Ref<IDirectDrawGammaControl> gamma;
  ASSERT_EQ(d.primary->QueryInterface(IID_IDirectDrawGammaControl, Out(gamma)), DD_OK);
  DDGAMMARAMP ramp{};
  ASSERT_EQ(gamma->GetGammaRamp(0, &ramp), DD_OK);
  EXPECT_EQ(ramp.green[255], 65535);  // starts linear

  ASSERT_EQ(Fill(d.back.get(), GetParam().pixel), DD_OK);
  ASSERT_EQ(d.primary->Flip(nullptr, 0), DD_OK);
  EXPECT_EQ(ddraw::HeadlessLastFrame().At(10, 10), GetParam().identity);

  const DDGAMMARAMP dim = Level(256, 128, 0);
  ASSERT_EQ(gamma->SetGammaRamp(0, &dim), DD_OK);
  ASSERT_EQ(gamma->GetGammaRamp(0, &ramp), DD_OK);
  EXPECT_EQ(ramp.green[255], 255 * 128);
  ASSERT_EQ(Fill(d.back.get(), GetParam().pixel), DD_OK);
  ASSERT_EQ(d.primary->Flip(nullptr, 0), DD_OK);
  EXPECT_EQ(ddraw::HeadlessLastFrame().At(10, 10), GetParam().dimmed);
  EXPECT_EQ(gamma->SetGammaRamp(1, &dim), DDERR_INVALIDPARAMS);
  EXPECT_EQ(gamma->SetGammaRamp(0, nullptr), DDERR_INVALIDPARAMS);
}

// Keeps the middle pixel of every presented frame.
class SamplingDevice final : public ddraw::DisplayDevice {
 public:
  explicit SamplingDevice(std::set<std::uint32_t>& seen) : seen_(seen) {}
  void SetMode(const ddraw::DisplayMode& mode) override { image_.resize(mode.width * mode.height); }
  void Present(const ddraw::Frame& frame) override {
    ddraw::ConvertFrame(frame, image_);
    seen_.insert(image_[image_.size() / 2]);
  }
  void RestoreDesktop() override {}

 private:
  std::set<std::uint32_t>& seen_;
  std::vector<std::uint32_t> image_;
};

TEST_F(Flip, EveryFrameReadsAWholeRampWhileAnotherThreadSetsIt) {
  std::set<std::uint32_t> seen;
  ddraw::SetModes({{16, 8, 32}});
  ddraw::SetDeviceFactory([&](HWND, int) { return std::make_unique<SamplingDevice>(seen); });
  Opened d;
  Open(d, 16, 8, 32);
  std::atomic<bool> stop{false};
  std::thread timer([&] {
    const DDGAMMARAMP bright = Level(256, 256, 256);
    const DDGAMMARAMP dark = Level(0, 0, 0);
    for (int i = 0; !stop.load(std::memory_order_relaxed); ++i) {
      // As the gamma control does it: take the control, set a level, let it go.
      IDirectDrawGammaControl* gamma = nullptr;
      ASSERT_EQ(d.primary->QueryInterface(IID_IDirectDrawGammaControl, reinterpret_cast<void**>(&gamma)), DD_OK);
      DDGAMMARAMP old{};
      gamma->GetGammaRamp(0, &old);
      gamma->SetGammaRamp(0, i % 2 ? &bright : &dark);
      gamma->Release();
    }
  });
  for (int frame = 0; frame < 300; ++frame) {
    ASSERT_EQ(Fill(d.back.get(), 0x00FFFFFF), DD_OK);
    ASSERT_EQ(d.primary->Flip(nullptr, 0), DD_OK);
  }
  stop = true;
  timer.join();
  for (std::uint32_t pixel : seen) EXPECT_TRUE(pixel == 0xFFFFFF || pixel == 0) << std::hex << pixel;
}

}  // namespace
}  // namespace ddraw_test
