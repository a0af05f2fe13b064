// The scene form's construction (its components, events and embedded pictures) and its set-up:
// settings, sun times, display, the eleven layers, flyers, gamma, timer, sound and cursor.
#include "savers/waterfall/Unit1.h"

#include <ctime>

#include "platform/vcl/Jpeg.h"
#include "platform/win32/Crt.h"
#include "platform/win32/Kernel32.h"
#include "platform/win32/Resources.h"
#include "platform/winmm/PlaySound.h"

namespace {

template <class T>
T* Own(TComponent* Owner, const char* Name) {
  auto* component = new T(Owner);
  component->SetName(Name);
  return component;
}

// The picture boxes and the sprites sit on the hidden panel.
template <class T>
T* OnPanel(TForm1* Form, TPanel* Panel, const char* Name) {
  T* control = Own<T>(Form, Name);
  control->SetParent(Panel);
  return control;
}

template <class T>
T* Sprite(TForm1* Form, TPanel* Panel, TDDmain* Display, const char* Name) {
  T* sprite = OnPanel<T>(Form, Panel, Name);
  sprite->DDmainModule = Display;
  return sprite;
}

// The pictures travel as RCDATA resources: JPEG files and 8-bit BMP files.
void LoadJpeg(TImage* Image, const char* Name) {
  TResourceStream stream(GetModuleHandleA(nullptr), Name, RT_RCDATA);
  TJPEGImage jpeg;
  jpeg.LoadFromStream(&stream);
  Image->GetPicture()->SetGraphic(&jpeg);
}

void LoadBitmap(TDDsprite* Sprite, const char* Name) {
  TResourceStream stream(GetModuleHandleA(nullptr), Name, RT_RCDATA);
  Sprite->GetBitmap()->LoadFromStream(&stream);
}

void SeedRandomFromClock() { srand(static_cast<unsigned>(std::time(nullptr))); }

// Marks the time set-up runs, also when it ends by an exception.
class TDuring {
 public:
  explicit TDuring(bool& Flag) : FFlag(Flag) { FFlag = true; }
  ~TDuring() { FFlag = false; }
  TDuring(const TDuring&) = delete;
  TDuring& operator=(const TDuring&) = delete;

 private:
  bool& FFlag;
};

}  // namespace

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {
  SetBorderStyle(bsNone);
  SetColor(clBlack);
  SetCaption("Quillmont");

  DDmain1 = Own<TDDmain>(this, "DDmain1");
  Panel1 = Own<TPanel>(this, "Panel1");
  Panel1->SetParent(this);
  Panel1->SetVisible(false);
  DXClock1 = Own<TDXClock>(this, "DXClock1");
  DXClock1->DDmainModule = DDmain1;
  DDtimer1 = Own<TDDtimer>(this, "DDtimer1");
  DDtimer1->SetInterval(50);
  DDgamma1 = Own<TDDgamma>(this, "DDgamma1");
  DDgamma1->DDmainModule = DDmain1;
  SetReg1 = Own<TSetReg>(this, "SetReg1");
  SetReg1->SetCompanyName("Quillmont");
  SetReg1->SetProductName("Rillmoor");

  Image1ground = OnPanel<TImage>(this, Panel1, "Image1ground");
  Image1hightwater = OnPanel<TImage>(this, Panel1, "Image1hightwater");
  Image1lowwater = OnPanel<TImage>(this, Panel1, "Image1lowwater");
  Image1waterfall = OnPanel<TImage>(this, Panel1, "Image1waterfall");
  DDbmp1ground = Sprite<TDDbmp>(this, Panel1, DDmain1, "DDbmp1ground");
  DDani1hightwater = Sprite<TDDani>(this, Panel1, DDmain1, "DDani1hightwater");
  DDani1lowwater = Sprite<TDDani>(this, Panel1, DDmain1, "DDani1lowwater");
  DDbmp1mask1 = Sprite<TDDbmp>(this, Panel1, DDmain1, "DDbmp1mask1");
  DDani1Waterfall = Sprite<TDDani>(this, Panel1, DDmain1, "DDani1Waterfall");
  DDbmp1mask2 = Sprite<TDDbmp>(this, Panel1, DDmain1, "DDbmp1mask2");
  DDbmp1maskstone = Sprite<TDDbmp>(this, Panel1, DDmain1, "DDbmp1maskstone");
  DDbmp1mask3 = Sprite<TDDbmp>(this, Panel1, DDmain1, "DDbmp1mask3");
  DDbmp1mask4 = Sprite<TDDbmp>(this, Panel1, DDmain1, "DDbmp1mask4");
  DDani1Eagles = Sprite<TDDani>(this, Panel1, DDmain1, "DDani1Eagles");
  DDani1Butterflys = Sprite<TDDani>(this, Panel1, DDmain1, "DDani1Butterflys");
  LoadPictures();

  OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
  OnKeyDown = [this](TObject* Sender, WORD& Key, TShiftState Shift) { FormKeyDown(Sender, Key, Shift); };
  OnKeyPress = [this](TObject* Sender, char& Key) { FormKeyPress(Sender, Key); };
  OnMouseMove = [this](TObject* Sender, TShiftState Shift, int X, int Y) { FormMouseMove(Sender, Shift, X, Y); };
  DDmain1->OnError = [this](TObject* Sender) { DDmain1Error(Sender); };
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

void CopyPictureToSprite(TImage* Image, TDDsprite* Sprite) {
  TJPEGImage jpeg;
  jpeg.Assign(Image->GetPicture());
  jpeg.DIBNeeded();
  Sprite->GetBitmap()->Assign(&jpeg);
}

TLayerGeometry TForm1::Scaled(const TLayerGeometry& Layer) const {
  const int w = DDmain1->GetWidth();
  const int h = DDmain1->GetHeight();
  return {w * Layer.Width / 800, h * Layer.Height / 600, w * Layer.X / 800, h * Layer.Y / 600};
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
  TDuring settingUp(FSettingUp);
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

  DDmain1->SetWidth(ResHor);
  DDmain1->SetHeight(ResVert);
  DDmain1->SetColorDepth(ColorDepth);
  DDmain1->SetEnabled(true);
  DDmain1->ClearBackSurface();
  DDmain1->FlipSurfaces();
  // A display that did not open has shown its error and ended the program.
  if (FSceneClosed) return;
  DDmain1->SetshowFPS(flag_fps);

  if (ShowRisSet) {
    DDmain1->SetShowTestString2(true);
    DDmain1->SetTestString2("Sunrise at: " + FormatHour(Daylight.Sunrise));
    DDmain1->SetShowTestString3(true);
    DDmain1->SetTestString3("Sunset at: " + FormatHour(Daylight.Sunset));
  }

  DDtimer1->SetInterval(SetSpeed == 0 ? 60 : SetSpeed == 2 ? 40 : 50);
  DXClock1->SetXcenter(clockX);
  DXClock1->SetYcenter(clockY);
  DXClock1->SetRadius(clockRad);

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

  DDgamma1->SetEnabled(true);
  if (DDgamma1->GetEnabled()) {
    DDgamma1->SetRGB(Gamma);
    DDgamma1->SetEnabled(false);
  }
  DXClock1->SetColor(ColorClock);
  UINT wasRunning = 0;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &wasRunning, 0);
  DDtimer1->SetEnabled(true);
  if (flag_PlaySound) PlaySoundA("SoundName", nullptr, SND_RESOURCE | SND_LOOP | SND_ASYNC);
  ShowCursor(FALSE);
  if (FlagDemoDaytime) TimeOfDay = 43200;
  if (FlagDaytime || FlagDemoDaytime) ApplyDaylight();
  SetVisible(false);
}
