// The frame loop and the tick: layer order on the pixels of a composed headless frame, the
// flyers drawn where they are, and the tick's counters, demo clock and laps.
#include <algorithm>
#include <functional>
#include <initializer_list>

#include "tests/savers/waterfall/SceneFixture.h"

namespace waterfall_test {
namespace {

constexpr TColor Key = 0xFF00FF;

// A picture of one colour; with frames, each frame's top-left corner has the key colour, so
// the key is its top-left pixel also after the frame was shrunk.
std::unique_ptr<TBitmap> Solid(int Width, int Height, TColor Color, int FrameHeight = 0) {
  auto picture = std::make_unique<TBitmap>();
  picture->SetPixelFormat(pf24bit);
  picture->SetSize(Width, Height);
  TCanvas* canvas = picture->GetCanvas();
  canvas->GetBrush()->SetColor(Color);
  canvas->FillRect(TRect(0, 0, Width, Height));
  canvas->GetBrush()->SetColor(Key);
  if (FrameHeight > 0)
    for (int y = 0; y < Height; y += FrameHeight) canvas->FillRect(TRect(0, y, 3, y + 3));
  return picture;
}

// Gives a layer a solid picture of its own size; keyed layers keep their top-left pixel clear.
template <class TSprite>
void Repaint(TSprite* Sprite, TColor Color, bool Keyed, int FrameHeight = 0) {
  const int width = Sprite->GetBitmap()->GetWidth();
  const int height = Sprite->GetBitmap()->GetHeight();
  Sprite->CloseSurface();
  auto picture = Solid(width, height, Color, Keyed ? (FrameHeight ? FrameHeight : height) : 0);
  Sprite->SetBitmap(picture.get());
  Sprite->CreateSurface();
  if (Keyed) Sprite->SetTransparency(true);
}

// 0x00RRGGBB, as the headless display shows a colour.
std::uint32_t OnScreen(TColor Color) {
  return (GetRValue(Color) << 16) | (GetGValue(Color) << 8) | GetBValue(Color);
}

constexpr TColor Ground = 0x204020, Water = 0x804000, Mask1 = 0x0000A0, Mask2 = 0x00A000, Mask3 = 0xA00000,
                 Mask4 = 0x00A0A0, Eagle = 0x101010, Butterfly = 0x00FFFF;

class FrameTest : public SceneTest {
 protected:
  // An 800 x 600 scene whose layers are solid colours, without text lines and tint, unless
  // `Edit` changes the settings.
  TForm1* ComposedScene(const std::function<void(TWaterfallSettings&)>& Edit = nullptr) {
    gdi::SetDesktopMode({800, 600, 32});
    TForm1* form = SceneWith([&](TWaterfallSettings& s) {
      s.ResHor = 800;
      s.clockX = 750;
      s.clockY = 550;
      s.flag_fps = false;
      s.ShowRisSet = false;
      if (Edit) Edit(s);
    });
    Repaint(form->DDbmp1ground, Ground, false);
    for (TDDani* water : {form->DDani1Waterfall, form->DDani1hightwater, form->DDani1lowwater})
      Repaint(water, Water, false, water->GetYOffsetFrame());
    Repaint(form->DDbmp1maskstone, Ground, true);
    Repaint(form->DDbmp1mask1, Mask1, true);
    Repaint(form->DDbmp1mask2, Mask2, true);
    Repaint(form->DDbmp1mask3, Mask3, true);
    Repaint(form->DDbmp1mask4, Mask4, true);
    Repaint(form->DDani1Eagles, Eagle, true, 23);
    Repaint(form->DDani1Butterflys, Butterfly, true, 30);
    return form;
  }

  static void Place(TFlyer& Flyer, float X, float Y) {
    Flyer.X = X;
    Flyer.Y = Y;
  }

  static ddraw::HeadlessFrame Draw(TForm1* Form) {
    bool done = true;
    Form->RenderFrame(Form, done);
    EXPECT_FALSE(done);  // called again at once
    return ddraw::HeadlessLastFrame();
  }
};

TEST_F(FrameTest, LayersAreDrawnInTheirOrder) {
  TForm1* form = ComposedScene();
  Place(*form->Eagles[0], 100, 100);    // under mask 1
  Place(*form->Eagles[1], 300, 450);    // over the lower water
  Place(*form->Butterflies[0], 100, 150);  // over mask 1
  Place(*form->Butterflies[1], 50, 400);   // under mask 3
  Place(*form->Butterflies[2], 700, 100);  // over mask 2
  const ddraw::HeadlessFrame frame = Draw(form);
  ASSERT_EQ(frame.width, 800);
  EXPECT_EQ(frame.At(500, 100), OnScreen(Ground));
  EXPECT_EQ(frame.At(300, 500), OnScreen(Water));
  EXPECT_EQ(frame.At(105, 104), OnScreen(Mask1));
  EXPECT_EQ(frame.At(305, 454), OnScreen(Eagle));
  EXPECT_EQ(frame.At(107, 157), OnScreen(Butterfly));
  EXPECT_EQ(frame.At(57, 407), OnScreen(Mask3));
  EXPECT_EQ(frame.At(707, 107), OnScreen(Butterfly));
  EXPECT_EQ(frame.At(650, 250), OnScreen(Mask2));
  EXPECT_EQ(frame.At(750, 550), OnScreen(clWhite));  // the clock's centre, over mask 4
  EXPECT_EQ(frame.At(790, 500), OnScreen(Mask4));
}

// The stored clock colour reaches the frame as it is; without the clock the layer shows.
TEST_F(FrameTest, ClockIsDrawnInTheStoredColourOrNotAtAll) {
  constexpr TColor Orange = 0x0080FF;
  struct Case {
    bool Clock;
    TColor Expected;
  };
  for (const Case c : {Case{true, Orange}, Case{false, Mask4}}) {
    SCOPED_TRACE(c.Clock);
    TForm1* form = ComposedScene([&](TWaterfallSettings& s) {
      s.flag_clock = c.Clock;
      s.ColorClock = static_cast<int>(Orange);
    });
    const ddraw::HeadlessFrame frame = Draw(form);
    EXPECT_EQ(frame.At(750, 550), OnScreen(c.Expected));  // the centre disc
    EXPECT_EQ(frame.At(750, 560), OnScreen(c.Expected));  // on the hands or the tail
    ResetApplicationForTest();
  }
}

// Every pixel of the band of a text line: a colour of the layers beneath, or the text's.
struct TextBand {
  int Layer = 0;
  int Text = 0;
  int Other = 0;
};
TextBand ReadBand(const ddraw::HeadlessFrame& Frame, int Top, std::initializer_list<std::uint32_t> Layers,
                  std::uint32_t Text) {
  TextBand band;
  for (int y = Top; y < Top + 16; ++y)
    for (int x = 20; x < 220; ++x) {
      const std::uint32_t p = Frame.At(x, y);
      const bool layer = std::find(Layers.begin(), Layers.end(), p) != Layers.end();
      ++(layer ? band.Layer : p == Text ? band.Text : band.Other);
    }
  return band;
}

// White letters straight on the picture: no box behind them, no colour but white.
TEST_F(FrameTest, FrameRateLineIsWhiteTextWithoutABox) {
  TForm1* form = ComposedScene([](TWaterfallSettings& s) { s.flag_fps = true; });
  const TextBand band = ReadBand(Draw(form), 600 - 30, {OnScreen(Water), OnScreen(Mask3)}, 0xFFFFFF);
  EXPECT_GT(band.Text, 100);
  EXPECT_GT(band.Layer, band.Text);
  EXPECT_EQ(band.Other, 0);
}

// The demo day tints the picture either way; its time line shows only when asked for.
TEST_F(FrameTest, DemoTimeLineFollowsItsSetting) {
  for (bool shown : {true, false}) {
    SCOPED_TRACE(shown);
    TForm1* form = ComposedScene([&](TWaterfallSettings& s) {
      s.FlagDemoDaytime = true;
      s.FlagShowSimulateTime = shown;
    });
    form->DDtimer1Timer(form->DDtimer1);
    EXPECT_EQ(form->DDmain1->GetShowTestString(), shown);
    const ddraw::HeadlessFrame frame = Draw(form);
    // White through the daylight ramp: entry 255 of a channel at level l is 255 x l.
    const auto white = [&](std::size_t c) { return static_cast<std::uint32_t>(255 * form->ColorNow[c] % 65536 >> 8); };
    const TextBand band = ReadBand(frame, 20, {frame.At(200, 150)}, white(0) << 16 | white(1) << 8 | white(2));
    EXPECT_EQ(band.Text > 100, shown);
    EXPECT_EQ(band.Other, 0);
    ResetApplicationForTest();
  }
}

TEST_F(FrameTest, FlyersAreDrawnScaledFromTheReferenceScreen) {
  TForm1* form = ComposedScene();
  form->FlagShowButterfly = false;
  Place(*form->Eagles[0], 400.9f, 300.0f);
  Place(*form->Eagles[1], 400.9f, 300.0f);
  Draw(form);
  EXPECT_EQ(form->DDani1Eagles->GetShowX(), 400);  // trunc first, then the scale
  form->DDmain1->SetWidth(1024);                   // read again for every flyer
  form->DDmain1->SetHeight(768);
  Draw(form);
  EXPECT_EQ(form->DDani1Eagles->GetShowX(), 512);
  EXPECT_EQ(form->DDani1Eagles->GetShowY(), 384);
}

TEST_F(FrameTest, HiddenFlyersAreNotDrawnButStillMove) {
  TForm1* form = ComposedScene();
  form->FlagShowEagles = false;
  form->FlagShowButterfly = false;
  Place(*form->Eagles[1], 300, 450);
  Place(*form->Butterflies[2], 700, 100);
  const ddraw::HeadlessFrame frame = Draw(form);
  EXPECT_EQ(frame.At(305, 454), OnScreen(Water));
  EXPECT_EQ(frame.At(707, 107), OnScreen(Mask2));
  const float x = form->Eagles[0]->X;
  form->DDtimer1Timer(form->DDtimer1);
  EXPECT_NE(form->Eagles[0]->X, x);
}

TEST_F(FrameTest, WaterShowsTheTicksFrameAndTheButterfliesTheirWingFrame) {
  TForm1* form = ComposedScene();
  form->AnimFrame = 17;
  form->FlapCounter = 15;
  Draw(form);
  EXPECT_EQ(form->DDani1lowwater->GetNumberFrame(), 17);
  EXPECT_EQ(form->DDani1Waterfall->GetNumberFrame(), 17);
  EXPECT_EQ(form->DDani1Butterflys->GetNumberFrame(), 0);  // 15 mod 15
  EXPECT_EQ(form->DDani1Eagles->GetNumberFrame(), EagleFrame(*form->Eagles[1]));
}

TEST_F(FrameTest, EveryFrameTogglesThePageParity) {
  TForm1* form = ComposedScene();
  EXPECT_FALSE(form->PageParity);
  Draw(form);
  EXPECT_TRUE(form->PageParity);
  Draw(form);
  EXPECT_FALSE(form->PageParity);
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), 3);
}

TEST_F(SceneTest, AFrameOnADisplayThatIsNotOpenDoesNothing) { ExpectNoFrameWithoutTheDisplay(CreateScene()); }

TEST_F(SceneTest, TickAdvancesFrameIndexAndWings) {
  TForm1* form = CreateScene();
  for (auto [before, after] : {std::pair{0, 1}, {30, 31}, {31, 0}}) {
    form->AnimFrame = before;
    form->DDtimer1Timer(form->DDtimer1);
    EXPECT_EQ(form->AnimFrame, after);
  }
  for (auto [before, after] : {std::pair{0, 1}, {14, 15}, {15, 0}}) {
    form->FlapCounter = before;
    form->DDtimer1Timer(form->DDtimer1);
    EXPECT_EQ(form->FlapCounter, after);
  }
}

TEST_F(SceneTest, DemoClockShows86400ForOneTickThenStartsAgain) {
  TForm1* form = SceneWith([&](TWaterfallSettings& s) { s.FlagDemoDaytime = true; });
  form->TimeOfDay = 86350;
  form->DDtimer1Timer(form->DDtimer1);
  EXPECT_EQ(form->TimeOfDay, 86400);
  form->DDtimer1Timer(form->DDtimer1);
  EXPECT_EQ(form->TimeOfDay, 0);
  form->DDtimer1Timer(form->DDtimer1);
  EXPECT_EQ(form->TimeOfDay, 50);
}

TEST_F(SceneTest, WithoutDemoDayTheClockStands) {
  Store(Plain());
  TForm1* form = CreateScene();
  form->TimeOfDay = 1000;
  form->DDtimer1Timer(form->DDtimer1);
  EXPECT_EQ(form->TimeOfDay, 1000);
}

TEST_F(SceneTest, FlyersLapTheirPathsInTheirStepCounts) {
  TForm1* form = CreateScene();
  form->DDtimer1Timer(form->DDtimer1);
  const TEagle& eagle = *form->Eagles[0];
  const TButterfly& butterfly = *form->Butterflies[0];
  const auto eagleAt = std::pair{eagle.Segment, eagle.Step};
  const auto butterflyAt = std::pair{butterfly.Segment, butterfly.Step};
  const float eagleX = eagle.X, butterflyX = butterfly.X;
  for (int tick = 1; tick <= 51 * 50; ++tick) {
    form->DDtimer1Timer(form->DDtimer1);
    if (tick == 74 * 30) {
      EXPECT_EQ((std::pair{butterfly.Segment, butterfly.Step}), butterflyAt);
      EXPECT_FLOAT_EQ(butterfly.X, butterflyX);
    }
  }
  EXPECT_EQ((std::pair{eagle.Segment, eagle.Step}), eagleAt);
  EXPECT_FLOAT_EQ(eagle.X, eagleX);
}

TEST_F(SceneTest, NoEaglesAreSteppedOrDrawnWhenThereAreNone) {
  TForm1* form = SceneWith([&](TWaterfallSettings& s) { s.NumEagles = 0; });
  form->DDtimer1Timer(form->DDtimer1);
  bool done = true;
  form->RenderFrame(form, done);
  EXPECT_EQ(form->Eagles[0], nullptr);
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), 2);
}

}  // namespace
}  // namespace waterfall_test
