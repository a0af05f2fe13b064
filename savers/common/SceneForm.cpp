// The scene form both screensavers share: its components, the layers' scaling, the set-up steps
// both scenes take, the key handlers, the end request and the display's error handler.
#include "savers/common/SceneForm.h"

#include <cstdlib>
#include <exception>
#include <limits>
#include <utility>

#include "platform/registry/Registry.h"
#include "platform/vcl/Jpeg.h"
#include "platform/win32/Kernel32.h"
#include "platform/win32/Resources.h"
#include "platform/winmm/PlaySound.h"
#include "savers/common/ScreenSaver.h"

TSceneForm::TSceneForm(TComponent* AOwner, TSaverSettings& Settings, const char* ProductName)
    : TForm(AOwner), FSettings(Settings) {
  SetBorderStyle(bsNone);
  SetColor(clBlack);
  SetCaption("Quillmont");

  DDmain1 = Own<TDDmain>("DDmain1");
  Panel1 = Own<TPanel>("Panel1");
  Panel1->SetParent(this);
  Panel1->SetVisible(false);
  DXClock1 = Own<TDXClock>("DXClock1");
  DXClock1->DDmainModule = DDmain1;
  DDtimer1 = Own<TDDtimer>("DDtimer1");
  DDtimer1->SetInterval(50);
  DDgamma1 = Own<TDDgamma>("DDgamma1");
  DDgamma1->DDmainModule = DDmain1;
  SetReg1 = Own<TSetReg>("SetReg1");
  SetReg1->SetCompanyName("Quillmont");
  SetReg1->SetProductName(ProductName);

  OnKeyDown = [this](TObject* Sender, WORD& Key, TShiftState Shift) { FormKeyDown(Sender, Key, Shift); };
  OnKeyPress = [this](TObject* Sender, char& Key) { FormKeyPress(Sender, Key); };
  DDmain1->OnError = [this](TObject* Sender) { DDmain1Error(Sender); };
}

void CopyPictureToSprite(TImage* Image, TDDsprite* Sprite) {
  TJPEGImage jpeg;
  jpeg.Assign(Image->GetPicture());
  jpeg.DIBNeeded();
  Sprite->GetBitmap()->Assign(&jpeg);
}

// The pictures travel as RCDATA resources.
void LoadJpeg(TImage* Image, const char* Name) {
  TResourceStream stream(GetModuleHandleA(nullptr), Name, RT_RCDATA);
  TJPEGImage jpeg;
  jpeg.LoadFromStream(&stream);
  Image->GetPicture()->SetGraphic(&jpeg);
}

TLayerGeometry TSceneForm::Scaled(const TLayerGeometry& Layer) const {
  const int w = DDmain1->GetWidth();
  const int h = DDmain1->GetHeight();
  return {w * Layer.Width / 800, h * Layer.Height / 600, w * Layer.X / 800, h * Layer.Y / 600};
}

bool TSceneForm::OpenDisplay() {
  DDmain1->SetWidth(FSettings.ResHor);
  DDmain1->SetHeight(FSettings.ResVert);
  DDmain1->SetColorDepth(FSettings.ColorDepth);
  DDmain1->SetEnabled(true);
  DDmain1->ClearBackSurface();
  DDmain1->FlipSurfaces();
  if (FSceneClosed) return false;
  DDmain1->SetshowFPS(FSettings.flag_fps);
  return true;
}

void TSceneForm::SetTimerAndClock() {
  DDtimer1->SetInterval(FSettings.SetSpeed == 0 ? 60 : FSettings.SetSpeed == 2 ? 40 : 50);
  DXClock1->SetXcenter(FSettings.clockX);
  DXClock1->SetYcenter(FSettings.clockY);
  DXClock1->SetRadius(FSettings.clockRad);
}

bool TSceneForm::BeginFrame(bool& Done) {
  // Drawing on a display that never opened would only report "Error FpDD==NULL".
  Done = FSceneClosed || !DDmain1->FpDD;
  if (Done) return false;
  PageParity = !PageParity;
  DDmain1->ClearBackSurface();
  return !FSceneClosed;
}

TSceneForm::TSetUp::TSetUp(TSceneForm& Scene) : FScene(Scene), FExceptions(std::uncaught_exceptions()) {
  FScene.FSettingUp = true;
}

TSceneForm::TSetUp::~TSetUp() {
  FScene.FSettingUp = false;
  if (std::uncaught_exceptions() == FExceptions) return;
  FScene.CloseScene();
  MarkErrorEnd();
  Application->Terminate();
}

void TSceneForm::ApplyGamma() {
  DDgamma1->SetEnabled(true);
  if (DDgamma1->GetEnabled()) {
    DDgamma1->SetRGB(FSettings.Gamma);
    DDgamma1->SetEnabled(false);
  }
}

void TSceneForm::StartRun() {
  DXClock1->SetColor(FSettings.ColorClock);
  UINT wasRunning = 0;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &wasRunning, 0);
  DDtimer1->SetEnabled(true);
  if (FSettings.flag_PlaySound) PlaySoundA("SoundName", nullptr, SND_RESOURCE | SND_LOOP | SND_ASYNC);
  ShowCursor(FALSE);
}

void TSceneForm::StopRun() {
  PlaySoundA(nullptr, nullptr, SND_RESOURCE);
  UINT wasRunning = 0;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &wasRunning, 0);
}

void TSceneForm::MoveClock(int& Center, int Step, int Limit, const char* Name) {
  // In 64 bits: the stored radius, centre and screen size are not bounded.
  const long long margin = static_cast<long long>(FSettings.clockRad) + 20;
  const long long next = static_cast<long long>(Center) + Step;
  const bool inside = Step < 0 ? margin < Center : Center < Limit - margin;
  if (inside && next >= std::numeric_limits<int>::min() && next <= std::numeric_limits<int>::max())
    Center = static_cast<int>(next);
  DXClock1->SetXcenter(FSettings.clockX);
  DXClock1->SetYcenter(FSettings.clockY);
  // Written after every arrow key, also when the clock stayed at its limit.
  StoreSetting(Name, Center);
}

void TSceneForm::StoreSetting(const char* Name, int Value) {
  bool stored = false;
  try {
    stored = SetReg1->Write(Name, Value);
  } catch (ERegistryException&) {
  }
  // No box: the display covers the screen, and the run goes on with the value.
  if (!stored && !std::exchange(FStoreFailureSaid, true))
    SaySettingsTrouble(AnsiString("cannot store '") + Name + "'");
}

void TSceneForm::FormKeyDown(TObject*, WORD& Key, TShiftState) {
  if (FSettings.TermMouse) return RequestEnd();
  switch (Key) {
    case VK_LEFT: return MoveClock(FSettings.clockX, -1, FSettings.ResHor, "clockX");
    case VK_RIGHT: return MoveClock(FSettings.clockX, 1, FSettings.ResHor, "clockX");
    case VK_UP: return MoveClock(FSettings.clockY, -1, FSettings.ResVert, "clockY");
    case VK_DOWN: return MoveClock(FSettings.clockY, 1, FSettings.ResVert, "clockY");
    default: return;
  }
}

void TSceneForm::FormKeyPress(TObject*, char& Key) {
  if (FSettings.TermMouse || Key == 27) return RequestEnd();
  if (Key != '+' && Key != '-') return;
  DDgamma1->SetEnabled(true);
  if (!DDgamma1->GetEnabled()) return;
  const int level = DDgamma1->GetRGB();
  if (Key == '+' && level < 256) DDgamma1->SetRGB(level + 1);
  if (Key == '-' && level > 0) DDgamma1->SetRGB(level - 1);
  DDgamma1->SetEnabled(false);
  StoreSetting("Gamma", DDgamma1->GetRGB());
}

void TSceneForm::RequestEnd() {
  if (EndGuard || FSceneClosed) return;
  EndGuard = true;
  // An odd number of flips leaves the buffer the platform's windows draw on at the back.
  if (!PageParity) DDmain1->FlipSurfaces();
  if (FSceneClosed) {  // that flip failed and the error ended the run
    EndGuard = false;
    return;
  }
  ShowCursor(TRUE);
  if (VerifyPassword(GetHandle())) {
    EndSaver();
  } else {
    if (!DDtimer1->GetEnabled()) DDtimer1->SetEnabled(true);
    ShowCursor(FALSE);
    RunResumed();
  }
  EndGuard = false;
}

void TSceneForm::DDmain1Error(TObject*) {
  // One broken display reports every later call too; the scene is torn down once.
  if (FSceneClosed) return;
  CloseScene();
  SetBorderStyle(bsSizeable);
  MessageBoxA(GetHandle(), DDmain1->GetErrorResult().c_str(), "ERROR", MB_OK);
  MarkErrorEnd();
  Close();
  // Before the message loop runs, closing the form does not end the program yet.
  if (FSettingUp) Application->Terminate();
}
