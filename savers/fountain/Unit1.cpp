// The fountain scene form's construction (its components, events and embedded pictures) and its
// set-up: settings, display, the background and the four animations, gamma, timer, sound, cursor.
#include "savers/fountain/Unit1.h"

#include "savers/fountain/FountainSettings.h"

// In draw order; none of them is keyed, each carries the background under its rectangle.
const TForm1::TAnimationLayer TForm1::AnimationLayers[4] = {
    {&TForm1::Image1water, &TForm1::DDani1water, 98, {396, 98, 148, 502}},
    {&TForm1::Image1jet, &TForm1::DDani1jet, 150, {45, 150, 392, 352}},
    {&TForm1::Image1jet2, &TForm1::DDani1jet2, 75, {44, 75, 348, 291}},
    {&TForm1::Image1shadow, &TForm1::DDani1shadow, 146, {37, 146, 223, 337}},
};

TForm1::TForm1(TComponent* AOwner) : TSceneForm(AOwner, *this, "Sorrelin") {
  Image1ground = OnPanel<TImage>("Image1ground");
  DDbmp1ground = Sprite<TDDbmp>("DDbmp1ground");
  Image1water = OnPanel<TImage>("Image1water");
  DDani1water = Sprite<TDDani>("DDani1water");
  Image1jet = OnPanel<TImage>("Image1jet");
  DDani1jet = Sprite<TDDani>("DDani1jet");
  Image1jet2 = OnPanel<TImage>("Image1jet2");
  DDani1jet2 = Sprite<TDDani>("DDani1jet2");
  Image1shadow = OnPanel<TImage>("Image1shadow");
  DDani1shadow = Sprite<TDDani>("DDani1shadow");
  DDmain1->SetWidth(600);
  DDmain1->SetHeight(800);
  DDmain1->SetColorDepth(32);
  DXClock1->SetColor(static_cast<TColor>(4227327));
  LoadJpeg(Image1ground, "GROUND");
  LoadJpeg(Image1water, "WATER");
  LoadJpeg(Image1jet, "JET");
  LoadJpeg(Image1jet2, "JET2");
  LoadJpeg(Image1shadow, "SHADOW");

  OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
  OnMouseMove = [this](TObject* Sender, TShiftState Shift, int X, int Y) { FormMouseMove(Sender, Shift, X, Y); };
  DDtimer1->OnTimer = [this](TObject* Sender) { DDtimer1Timer(Sender); };
}

// The components do not stop the timer or the display themselves before they go.
TForm1::~TForm1() { CloseScene(); }

void TForm1::LoadSettings() { LoadFountainSettings(*SetReg1, *this); }

void TForm1::FormCreate(TObject*) {
  TSetUp settingUp(*this);
  Application->OnIdle = [this](TObject* Sender, bool& Done) { RenderFrame(Sender, Done); };
  PageParity = false;
  AnimFrame = 0;
  LoadSettings();
  if (!OpenDisplay()) return;  // its error has ended the program
  SetTimerAndClock();

  CopyPictureToSprite(Image1ground, DDbmp1ground);
  DDbmp1ground->SetStretching(true);
  DDbmp1ground->SetStretchWidth(DDmain1->GetWidth());
  DDbmp1ground->SetStretchHeight(DDmain1->GetHeight());
  DDbmp1ground->CreateSurface();
  for (const TAnimationLayer& layer : AnimationLayers) {
    TDDani* sprite = this->*layer.Sprite;
    CopyPictureToSprite(this->*layer.Picture, sprite);
    sprite->SetYOffsetFrame(layer.FrameHeight);
    const TLayerGeometry place = Scaled(layer.Place);
    sprite->SetStretching(true);
    sprite->SetStretchWidth(place.Width);
    sprite->SetStretchHeight(place.Height);
    sprite->CreateSurface();
    sprite->SetShowX(place.X);
    sprite->SetShowY(place.Y);
  }

  ApplyGamma();
  StartRun();
}
