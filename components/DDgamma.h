// The gamma ramp control of a display owner's primary surface: one level for all three
// channels, or one per channel; callable from the main thread and the timer thread.
#pragma once

#include <atomic>
#include <mutex>

#include "components/DDmain.h"

class TDDgamma : public TComponent {
 public:
  explicit TDDgamma(TComponent* AOwner);
  // Gives back a gamma control still held.
  ~TDDgamma() override;

  bool GetEnabled() const { return Enabled.load(std::memory_order_relaxed); }
  // true acquires the gamma control of the display owner's primary surface (Enabled stays
  // false on a display without primary-surface gamma); false releases it, keeping the ramp.
  void SetEnabled(bool Value);
  TDDmain* DDmainModule = nullptr;
  TNotifyEvent OnError;
  AnsiString GetErrorResult() const;
  void SetErrorResult(const AnsiString& Value);
  int GetRGB() const { return RGB.load(std::memory_order_relaxed); }
  // Stores the level, then sets entry i of every channel to (i x level) mod 65536 when enabled.
  void SetRGB(int Level);
  // The same per channel; RGB is not changed.
  void SetLinearRGB(int Red, int Green, int Blue);

 private:
  // ErrorResult := Text, then OnError with this component as sender; never with FLock held.
  void Report(const char* Text);
  // Takes the gamma control under FLock; the text of a failure, which the caller reports.
  const char* Acquire();
  // Checks the ramp can be read, then sets the ramp of the three slopes.
  void ApplyRamp(int Red, int Green, int Blue);

  // The two threads' uses of the gamma control never overlap. No event is raised while it is
  // held: a handler may stop the timer, whose kill waits for a tick that is setting gamma.
  mutable std::mutex FLock;
  std::atomic<bool> Enabled{false};
  AnsiString ErrorResult;
  IDirectDraw* FDD = nullptr;                        // the display owner's, not held
  IDirectDrawSurface7* FDDSPrimary = nullptr;        // the display owner's, not held
  IDirectDrawGammaControl* FGammaControl = nullptr;  // held while enabled
  std::atomic<int> RGB{256};
};

namespace DDgamma {
// Puts TDDgamma on the palette page "roVivavaV" (design time only).
void Register();
}  // namespace DDgamma
