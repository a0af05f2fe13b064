// The periodic timer: enabling and disabling the multimedia timer, and the tick that calls the
// every-tick, every-second-tick and one-shot events.
#include "components/DDtimer.h"

TDDtimer::TDDtimer(TComponent* AOwner) : TComponent(AOwner) {}

TDDtimer::~TDDtimer() { SetEnabled(false); }

void TDDtimer::SetEnabled(bool Value) {
  if (Value == GetEnabled()) return;
  Enabled.store(Value, std::memory_order_relaxed);
  if (Value) {
    FParity.store(0, std::memory_order_relaxed);
    FTickCount.store(0, std::memory_order_relaxed);
    FCounting.store(true, std::memory_order_relaxed);
    FTimerID.store(timeSetEvent(static_cast<UINT>(GetInterval()), 0, &DDtimerCallback,
                                reinterpret_cast<DWORD_PTR>(this), TIME_PERIODIC),
                   std::memory_order_relaxed);
  } else if (const UINT id = FTimerID.load(std::memory_order_relaxed); id != 0) {
    timeKillEvent(id);
  }
}

void TDDtimer::Tick() {
  if (OnTimer) OnTimer(this);
  const int parity = 1 - FParity.load(std::memory_order_relaxed);
  FParity.store(parity, std::memory_order_relaxed);
  if (parity != 0 && OnDivide2) OnDivide2(this);
  if (!FCounting.load(std::memory_order_relaxed)) return;
  const int count = FTickCount.load(std::memory_order_relaxed) + 1;
  FTickCount.store(count, std::memory_order_relaxed);
  if (count % 5 != 0) return;
  // The count stops at 25, so it never goes past the last of these.
  const TNotifyEvent* const events[] = {&On5tick, &On10tick, &On15tick, &On20tick, &On25tick};
  if (count == 25) FCounting.store(false, std::memory_order_relaxed);
  const TNotifyEvent& event = *events[count / 5 - 1];
  if (event) event(this);
}

void DDtimerCallback(UINT, UINT, DWORD_PTR dwUser, DWORD_PTR, DWORD_PTR) {
  reinterpret_cast<TDDtimer*>(dwUser)->Tick();
}

void DDtimer::Register() { RegisterComponents("roVivavaV", {ComponentClassOf<TDDtimer>()}); }
