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
  const char* failure = nullptr;
  {
    std::lock_guard lock(FLock);
    if (Value == GetEnabled()) return;
    if (Value) {
      failure = Acquire();
    } else {
      Enabled.store(false, std::memory_order_relaxed);
      ReleaseInterface(FGammaControl);
    }
  }
  // Raised without the lock: a handler may end the run, waiting for a tick that sets gamma.
  if (failure) Report(failure);
}

const char* TDDgamma::Acquire() {
  if (!DDmainModule) return "Error connect to DDMAIN";
  std::lock_guard displayLock(DDmainModule->InterfaceLock());
  FDD = DDmainModule->FpDD;
  FDDSPrimary = DDmainModule->FpDDSPrimary;
  if (!FDD) return "Error FpDD==NULL";
  if (!FDDSPrimary) return "Error FpDDSPrimary==NULL";
  DDCAPS caps{};
  caps.dwSize = sizeof(caps);
  FDD->GetCaps(&caps, nullptr);  // a failure leaves the caps zeroed: no gamma
  if ((caps.dwCaps2 & DDCAPS2_PRIMARYGAMMA) == 0) return nullptr;
  Enabled.store(true, std::memory_order_relaxed);
  // The gamma control holds its own reference on the primary, so it outlives a close.
  FDDSPrimary->QueryInterface(IID_IDirectDrawGammaControl, reinterpret_cast<LPVOID*>(&FGammaControl));
  return nullptr;
}

void TDDgamma::SetRGB(int Level) {
  RGB.store(Level, std::memory_order_relaxed);
  ApplyRamp(Level, Level, Level);
}

void TDDgamma::SetLinearRGB(int Red, int Green, int Blue) { ApplyRamp(Red, Green, Blue); }

void TDDgamma::ApplyRamp(int Red, int Green, int Blue) {
  std::unique_lock lock(FLock);
  if (!GetEnabled() || !FGammaControl) return;
  DDGAMMARAMP ramp{};
  // Only tests that the ramp can be read: it is overwritten completely below.
  if (FAILED(FGammaControl->GetGammaRamp(0, &ramp))) {
    lock.unlock();
    Report("Cannot GetGammaRamp");
    lock.lock();
    if (!GetEnabled() || !FGammaControl) return;  // the error handler released the control
  }
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
  const HRESULT set = FGammaControl->SetGammaRamp(0, &ramp);
  lock.unlock();
  if (FAILED(set)) Report("Cannot SetGammaRamp");
}

void DDgamma::Register() { RegisterComponents("roVivavaV", {ComponentClassOf<TDDgamma>()}); }
