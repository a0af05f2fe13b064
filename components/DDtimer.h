// The periodic timer that drives the scenes' animation: OnTimer every tick, OnDivide2 every
// second tick and one-shot events at ticks 5 to 25 after enabling, all on the timer's thread.
#pragma once

#include <atomic>

#include "platform/vcl/Classes.h"
#include "platform/winmm/MMSystem.h"

class TDDtimer : public TComponent {
 public:
  explicit TDDtimer(TComponent* AOwner);
  // Stops a running timer, so no tick can reach a destroyed component.
  ~TDDtimer() override;

  bool GetEnabled() const { return Enabled.load(std::memory_order_relaxed); }
  // true starts a new periodic timer and a new count; false kills it; the same value as now
  // does nothing.
  void SetEnabled(bool Value);
  int GetInterval() const { return Interval.load(std::memory_order_relaxed); }
  // Takes effect at the next enable.
  void SetInterval(int Value) { Interval.store(Value, std::memory_order_relaxed); }

  // Bound before enabling; called with this component as sender on the timer's thread.
  TNotifyEvent OnTimer;
  TNotifyEvent OnDivide2;
  TNotifyEvent On5tick;
  TNotifyEvent On10tick;
  TNotifyEvent On15tick;
  TNotifyEvent On20tick;
  TNotifyEvent On25tick;

 private:
  friend void DDtimerCallback(UINT uTimerID, UINT uMsg, DWORD_PTR dwUser, DWORD_PTR dw1, DWORD_PTR dw2);
  void Tick();

  // Shared between the main thread and the timer thread: each one written in one store.
  std::atomic<UINT> FTimerID{0};
  std::atomic<bool> Enabled{false};
  std::atomic<int> Interval{40};
  std::atomic<int> FParity{0};
  std::atomic<bool> FCounting{false};
  std::atomic<int> FTickCount{0};
};

// The timer procedure; its user value is the component.
void DDtimerCallback(UINT uTimerID, UINT uMsg, DWORD_PTR dwUser, DWORD_PTR dw1, DWORD_PTR dw2);

namespace DDtimer {
// Puts TDDtimer on the palette page "roVivavaV" (design time only).
void Register();
}  // namespace DDtimer
