// The scene form's construction (its components, events and embedded pictures) and its set-up:
// settings, sun times, display, the eleven layers, flyers, gamma, timer, sound and cursor.
#include "savers/waterfall/Unit1.h"

#include <ctime>

#include "platform/win32/Crt.h"
#include "platform/win32/Kernel32.h"
#include "platform/win32/Resources.h"

namespace {

void LoadBitmap(TDDsprite* Sprite, const char* Name) {
  TResourceStream stream(GetModuleHandleA(nullptr), Name, RT_RCDATA);
  Sprite->GetBitmap()->LoadFromStream(&stream);
}

void SeedRandomFromClock() { srand(static_cast<unsigned>(std::time(nullptr))); }

}  // namespace

TForm1::TForm1(TComponent* AOwner) : TSceneForm(AOwner, *this, "Rillmoor") {
  Image1ground = OnPanel<TImage>("Image1ground");
  Image1hightwater = OnPanel<TImage>("Image1hightwater");
  Image1lowwater = OnPanel<TImage>("Image1lowwater");
  Image1waterfall = OnPanel<TImage>("Image1waterfall");
  DDbmp1ground = Sprite<TDDbmp>("DDbmp1ground");
  DDani1hightwater = Sprite<TDDani>("DDani1hightwater");
  DDani1lowwater = Sprite<TDDani>("DDani1lowwater");
  DDbmp1mask1 = Sprite<TDDbmp>("DDbmp1mask1");
  DDani1Waterfall = Sprite<TDDani>("DDani1Waterfall");
  DDbmp1mask2 = Sprite<TDDbmp>("DDbmp1mask2");
  DDbmp1maskstone = Sprite<TDDbmp>("DDbmp1maskstone");
  DDbmp1mask3 = Sprite<TDDbmp>("DDbmp1mask3");
  DDbmp1mask4 = Sprite<TDDbmp>("DDbmp1mask4");
  DDani1Eagles = Sprite<TDDani>("DDani1Eagles");
  DDani1Butterflys = Sprite<TDDani>("DDani1Butterflys");
  LoadPictures();

  OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
  OnMouseMove = [this](TObject* Sender, TShiftState Shift, int X, int Y) { FormMouseMove(Sender, Shift, X, Y); };
  DDtimer1->OnTimer = [this](TObject* Sender) { DDtimer1Timer(Sender); };
}

// The components do not stop the timer or the display themselves before they go; the flyer
// records must outlive the last tick.
TForm1::~TForm1() { CloseScene(); }

void TForm1::LoadPictures() {
  LoadJpeg(Image1ground, "GROUND");
  LoadJpeg(Image1hightwater, "HIGHWATER");
  LoadJpeg(Image1lowwater, "LOWWATER");
  LoadJpeg(Image1waterfall, "WATERFALL");
  LoadBitmap(DDbmp1mask1, "MASK1");
  LoadBitmap(DDbmp1mask2, "MASK2");
  LoadBitmap(DDbmp1maskstone, "MASKSTONE");
  LoadBitmap(DDbmp1mask3, "MASK3");
  LoadBitmap(DDbmp1mask4, "MASK4");
  LoadBitmap(DDani1Eagles, "EAGLES");
  LoadBitmap(DDani1Butterflys, "BUTTERFLYS");
}

template <class TSprite>
void TForm1::BuildLayer(TSprite* Sprite, const TLayerGeometry& Layer, bool Keyed) {
  const TLayerGeometry place = Scaled(Layer);
  Sprite->SetStretching(true);
  Sprite->SetStretchWidth(place.Width);
  Sprite->SetStretchHeight(place.Height);
  Sprite->CreateSurface();
  if (Keyed) Sprite->SetTransparency(true);
  Sprite->SetShowX(place.X);
  Sprite->SetShowY(place.Y);
}

void TForm1::BuildSheet(TDDani* Sheet, int FrameHeight, int Width, int Height) {
  Sheet->SetYOffsetFrame(FrameHeight);
  Sheet->SetStretching(true);
  Sheet->SetStretchWidth(Width);
  Sheet->SetStretchHeight(Height);
  Sheet->CreateSurface();
  Sheet->SetTransparency(true);
}

void TForm1::FormCreate(TObject*) {
  TSetUp settingUp(*this);
  Application->OnIdle = [this](TObject* Sender, bool& Done) { RenderFrame(Sender, Done); };
  MouseLatch = false;
  PageParity = false;
  AnimFrame = 0;

  LoadSettings();

  SYSTEMTIME today;
  GetLocalTime(&today);
  Daylight = MakeDaylightTimes(CalcSunTime(true, RegLat, RegLng, RegOfUTC, today.wYear, today.wMonth, today.wDay),
                               CalcSunTime(false, RegLat, RegLng, RegOfUTC, today.wYear, today.wMonth, today.wDay),
                               FlagDaylightSavingTime);

  if (!OpenDisplay()) return;  // its error has ended the program

  if (ShowRisSet) {
    DDmain1->SetShowTestString2(true);
    DDmain1->SetTestString2("Sunrise at: " + FormatHour(Daylight.Sunrise));
    DDmain1->SetShowTestString3(true);
    DDmain1->SetTestString3("Sunset at: " + FormatHour(Daylight.Sunset));
  }
  SetTimerAndClock();

  SeedRandomFromClock();
  CopyPictureToSprite(Image1ground, DDbmp1ground);
  BuildLayer(DDbmp1ground, GroundLayer, false);
  CopyPictureToSprite(Image1waterfall, DDani1Waterfall);
  DDani1Waterfall->SetYOffsetFrame(101);
  BuildLayer(DDani1Waterfall, WaterfallLayer, false);
  BuildLayer(DDbmp1maskstone, WaterfallLayer, true);
  CopyPictureToSprite(Image1hightwater, DDani1hightwater);
  DDani1hightwater->SetYOffsetFrame(38);
  BuildLayer(DDani1hightwater, HighWaterLayer, false);
  CopyPictureToSprite(Image1lowwater, DDani1lowwater);
  DDani1lowwater->SetYOffsetFrame(187);
  BuildLayer(DDani1lowwater, LowWaterLayer, false);
  BuildLayer(DDbmp1mask1, Mask1Layer, true);
  BuildLayer(DDbmp1mask2, Mask2Layer, true);
  BuildLayer(DDbmp1mask3, Mask3Layer, true);
  BuildLayer(DDbmp1mask4, Mask4Layer, true);
  BuildSheet(DDani1Eagles, 23, 18, 9);
  NumEagles = InitEagles(Eagles, NumEagles);
  BuildSheet(DDani1Butterflys, 30, 15, 15);
  FlapCounter = 0;
  ButterflyCount = InitButterflies(Butterflies);
  SeedRandomFromClock();

  ApplyGamma();
  StartRun();
  if (FlagDemoDaytime) TimeOfDay = 43200;
  if (FlagDaytime || FlagDemoDaytime) ApplyDaylight();
  SetVisible(false);
}
