// The gamma ramp control: acquiring the primary surface's gamma control through the display
// owner, and building and setting linear ramps, one call at a time across threads.
#include "components/DDgamma.h"

TDDgamma::TDDgamma(TComponent* AOwner) : TComponent(AOwner) {}

TDDgamma::~TDDgamma() { ReleaseInterface(FGammaControl); }

AnsiString TDDgamma::GetErrorResult() const {
  std::lock_guard lock(FLock);
  return ErrorResult;
}

void TDDgamma::SetErrorResult(const AnsiString& Value) {
  std::lock_guard lock(FLock);
  ErrorResult = Value;
}

void TDDgamma::Report(const char* Text) {
  SetErrorResult(Text);
  if (OnError) OnError(this);
}

void TDDgamma::SetEnabled(bool Value) {
  std::lock_guard lock(FLock);
  if (Value == GetEnabled()) return;
  if (Value) {
    Acquire();
  } else {
    Enabled.store(false, std::memory_order_relaxed);
    ReleaseInterface(FGammaControl);
  }
}

void TDDgamma::Acquire() {
  if (!DDmainModule) return Report("Error connect to DDMAIN");
  std::unique_lock displayLock(DDmainModule->InterfaceLock());
  FDD = DDmainModule->FpDD;
  FDDSPrimary = DDmainModule->FpDDSPrimary;
  // The error handler runs without the display's lock, so it may close the display.
  if (!FDD) return displayLock.unlock(), Report("Error FpDD==NULL");
  if (!FDDSPrimary) return displayLock.unlock(), Report("Error FpDDSPrimary==NULL");
  DDCAPS caps{};
  caps.dwSize = sizeof(caps);
  FDD->GetCaps(&caps, nullptr);  // a failure leaves the caps zeroed: no gamma
  if ((caps.dwCaps2 & DDCAPS2_PRIMARYGAMMA) == 0) return;
  Enabled.store(true, std::memory_order_relaxed);
  // The gamma control holds its own reference on the primary, so it outlives a close.
  FDDSPrimary->QueryInterface(IID_IDirectDrawGammaControl, reinterpret_cast<LPVOID*>(&FGammaControl));
}

void TDDgamma::SetRGB(int Level) {
  std::lock_guard lock(FLock);
  RGB.store(Level, std::memory_order_relaxed);
  ApplyRamp(Level, Level, Level);
}

void TDDgamma::SetLinearRGB(int Red, int Green, int Blue) {
  std::lock_guard lock(FLock);
  ApplyRamp(Red, Green, Blue);
}

void TDDgamma::ApplyRamp(int Red, int Green, int Blue) {
  if (!GetEnabled() || !FGammaControl) return;
  DDGAMMARAMP ramp{};
  // Only tests that the ramp can be read: it is overwritten completely below.
  if (FAILED(FGammaControl->GetGammaRamp(0, &ramp))) Report("Cannot GetGammaRamp");
  if (!FGammaControl) return;  // the error handler released the control
  // 16-bit accumulators: entry i is (i x level) mod 65536.
  const auto red = static_cast<WORD>(Red), green = static_cast<WORD>(Green), blue = static_cast<WORD>(Blue);
  WORD r = 0, g = 0, b = 0;
  for (int i = 0; i < 256; ++i) {
    ramp.red[i] = r;
    ramp.green[i] = g;
    ramp.blue[i] = b;
    r = static_cast<WORD>(r + red);
    g = static_cast<WORD>(g + green);
    b = static_cast<WORD>(b + blue);
  }
  if (FAILED(FGammaControl->SetGammaRamp(0, &ramp))) Report("Cannot SetGammaRamp");
}

void DDgamma::Register() { RegisterComponents("roVivavaV", {ComponentClassOf<TDDgamma>()}); }
