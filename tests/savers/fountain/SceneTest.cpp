// The fountain scene: its layers' geometry at three display sizes, the layer order and the shared
// frame index on the pixels of a composed headless frame, the tick and its interval.
#include <functional>
#include <tuple>

#include "tests/savers/fountain/FountainFixture.h"

namespace fountain_test {
namespace {

struct Layer {
  int Width, Height, X, Y;
  bool operator==(const Layer&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Layer& l) {
  return out << l.Width << " x " << l.Height << " at (" << l.X << ", " << l.Y << ")";
}
template <class TSprite>
Layer Of(const TSprite* Sprite) {
  return {Sprite->GetStretchWidth(), Sprite->GetStretchHeight(), Sprite->GetShowX(), Sprite->GetShowY()};
}

struct GeometryCase {
  int Width, Height;
  Layer Water, Jet, Jet2, Shadow;
};

class Geometry : public FountainTest, public ::testing::WithParamInterface<GeometryCase> {};

TEST_P(Geometry, LayersAreScaledFromTheReferenceScreen) {
  const GeometryCase& c = GetParam();
  TForm1* form = SceneWith([&](TSaverSettings& s) {
    s.flag_defres = false;
    s.ResHor = c.Width;
    s.ResVert = c.Height;
  });
  EXPECT_EQ(Of(form->DDbmp1ground), (Layer{c.Width, c.Height, 0, 0}));
  EXPECT_EQ(Of(form->DDani1water), c.Water);
  EXPECT_EQ(Of(form->DDani1jet), c.Jet);
  EXPECT_EQ(Of(form->DDani1jet2), c.Jet2);
  EXPECT_EQ(Of(form->DDani1shadow), c.Shadow);
  for (const TDDani* sheet : {form->DDani1water, form->DDani1jet, form->DDani1jet2, form->DDani1shadow}) {
    EXPECT_EQ(sheet->GetFrameCount(), 32);
    EXPECT_FALSE(sheet->GetTransparency());
  }
  EXPECT_FALSE(form->DDbmp1ground->GetTransparency());
}

INSTANTIATE_TEST_SUITE_P(
    DisplaySizes, Geometry,
    ::testing::Values(GeometryCase{800, 600, {396, 98, 148, 502}, {45, 150, 392, 352}, {44, 75, 348, 291}, {37, 146, 223, 337}},
                      GeometryCase{1024, 768, {506, 125, 189, 642}, {57, 192, 501, 450}, {56, 96, 445, 372}, {47, 186, 285, 431}},
                      GeometryCase{1280, 1024, {633, 167, 236, 856}, {72, 256, 627, 600}, {70, 128, 556, 496}, {59, 249, 356, 575}}),
    [](const auto& info) { return std::to_string(info.param.Width) + "x" + std::to_string(info.param.Height); });

// A picture whose frames each have one colour of their own: Color(frame).
std::unique_ptr<TBitmap> Sheet(int Width, int Height, int FrameHeight, const std::function<TColor(int)>& Color) {
  auto picture = std::make_unique<TBitmap>();
  picture->SetPixelFormat(pf24bit);
  picture->SetSize(Width, Height);
  TCanvas* canvas = picture->GetCanvas();
  for (int frame = 0; frame * FrameHeight < Height; ++frame) {
    canvas->GetBrush()->SetColor(Color(frame));
    canvas->FillRect(TRect(0, frame * FrameHeight, Width, (frame + 1) * FrameHeight));
  }
  return picture;
}

// Gives a sprite a picture of the same size whose frames have the colours given.
template <class TSprite>
void Repaint(TSprite* Sprite, int FrameHeight, const std::function<TColor(int)>& Color) {
  auto picture = Sheet(Sprite->GetBitmap()->GetWidth(), Sprite->GetBitmap()->GetHeight(), FrameHeight, Color);
  Sprite->CloseSurface();
  Sprite->SetBitmap(picture.get());
  Sprite->CreateSurface();
}

// 0x00RRGGBB, as the headless display shows a colour.
std::uint32_t OnScreen(TColor Color) { return (GetRValue(Color) << 16) | (GetGValue(Color) << 8) | GetBValue(Color); }

constexpr TColor Ground = 0x204020;
// Each animation's frame n in its own colour: the layer's tone in blue, n in green.
TColor FrameColor(int Layer, int Frame) { return static_cast<TColor>(0x300000 * (Layer + 1) + 0x000400 * Frame + 0x20); }

class FrameTest : public FountainTest {
 protected:
  // An 800 x 600 scene of solid layers, without the frame-rate line, the clock over the water.
  TForm1* ComposedScene(bool Clock = true) {
    TForm1* form = SceneWith([&](TSaverSettings& s) {
      s.flag_defres = false;
      s.ResHor = 800;
      s.ResVert = 600;
      s.flag_fps = false;
      s.flag_clock = Clock;
      s.clockX = 300;
      s.clockY = 540;
    });
    Repaint(form->DDbmp1ground, 600, [](int) { return Ground; });
    TDDani* const sheets[] = {form->DDani1water, form->DDani1jet, form->DDani1jet2, form->DDani1shadow};
    for (int layer = 0; layer < 4; ++layer)
      Repaint(sheets[layer], sheets[layer]->GetYOffsetFrame(), [layer](int frame) { return FrameColor(layer, frame); });
    return form;
  }
  static ddraw::HeadlessFrame Draw(TForm1* Form) {
    bool done = true;
    Form->RenderFrame(Form, done);
    EXPECT_FALSE(done);  // called again at once
    return ddraw::HeadlessLastFrame();
  }
};

TEST_F(FrameTest, EveryLayerShowsTheSharedFrameInItsOrder) {
  TForm1* form = ComposedScene();
  // The shadow moved over the jet: drawn later, it covers it.
  form->DDani1shadow->SetShowX(400);
  form->DDani1shadow->SetShowY(360);
  form->AnimFrame = 7;
  const ddraw::HeadlessFrame frame = Draw(form);
  ASSERT_EQ(frame.width, 800);
  EXPECT_EQ(frame.At(100, 100), OnScreen(Ground));
  EXPECT_EQ(frame.At(500, 550), OnScreen(FrameColor(0, 7)));  // water
  EXPECT_EQ(frame.At(395, 480), OnScreen(FrameColor(1, 7)));  // jet, left of the shadow
  EXPECT_EQ(frame.At(370, 300), OnScreen(FrameColor(2, 7)));  // jet2
  EXPECT_EQ(frame.At(420, 400), OnScreen(FrameColor(3, 7)));  // shadow over the jet
  EXPECT_EQ(frame.At(230, 400), OnScreen(Ground));             // where the shadow was
  EXPECT_EQ(frame.At(300, 540), OnScreen(static_cast<TColor>(FountainClockColor)));  // the clock over the water
}

TEST_F(FrameTest, WithoutTheClockTheWaterShows) {
  TForm1* form = ComposedScene(false);
  EXPECT_EQ(Draw(form).At(300, 540), OnScreen(FrameColor(0, 0)));
}

TEST_F(FrameTest, AfterFrame31EveryAnimationShowsFrame0) {
  TForm1* form = ComposedScene(false);
  form->AnimFrame = 30;
  form->DDtimer1Timer(form);
  EXPECT_EQ(form->AnimFrame, 31);
  EXPECT_EQ(Draw(form).At(500, 550), OnScreen(FrameColor(0, 31)));
  form->DDtimer1Timer(form);
  EXPECT_EQ(form->AnimFrame, 0);
  const ddraw::HeadlessFrame frame = Draw(form);
  for (const auto& [x, y, layer] : {std::tuple{500, 550, 0}, {395, 400, 1}, {370, 300, 2}, {240, 400, 3}})
    EXPECT_EQ(frame.At(x, y), OnScreen(FrameColor(layer, 0))) << layer;
  for (int tick = 0; tick < 100; ++tick) {
    form->DDtimer1Timer(form);
    ASSERT_GE(form->AnimFrame, 0);
    ASSERT_LE(form->AnimFrame, 31);
  }
}

TEST_F(FountainTest, AFrameOnADisplayThatIsNotOpenDoesNothing) { ExpectNoFrameWithoutTheDisplay(CreateScene()); }

TEST_F(FountainTest, TickIntervalFollowsTheSpeed) {
  for (const auto& [speed, interval] : {std::pair{0, 60}, {1, 50}, {2, 40}, {5, 50}, {-1, 50}}) {
    SCOPED_TRACE(speed);
    TForm1* form = SceneWith([&](TSaverSettings& s) { s.SetSpeed = speed; });
    EXPECT_EQ(form->DDtimer1->GetInterval(), interval);
    ResetApplicationForTest();
  }
}

}  // namespace
}  // namespace fountain_test
