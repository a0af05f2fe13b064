// The scene's two life lines: the whole frame drawn whenever the program is idle, and the
// animation tick on the timer's thread with the daylight tint it keeps up to date.
#include "savers/waterfall/Unit1.h"

#include "platform/win32/Kernel32.h"

void TForm1::RenderFrame(TObject*, bool& Done) {
  if (!BeginFrame(Done)) return;

  DDbmp1ground->DrawImage();
  const int frame = AnimFrame.load(std::memory_order_relaxed);
  DDani1Waterfall->SetNumberFrame(frame);
  DDani1Waterfall->DrawAni();
  DDbmp1maskstone->DrawImage();
  DDani1hightwater->SetNumberFrame(frame);
  DDani1hightwater->DrawAni();
  DDani1lowwater->SetNumberFrame(frame);
  DDani1lowwater->DrawAni();
  if (FlagShowEagles) {
    for (int i = 0; i < NumEagles; ++i) {
      const TEagle& eagle = *Eagles[static_cast<std::size_t>(i)];
      DDani1Eagles->SetShowX(FlyerToScreen(eagle.X.load(std::memory_order_relaxed), DDmain1->GetWidth(), 800));
      DDani1Eagles->SetShowY(FlyerToScreen(eagle.Y.load(std::memory_order_relaxed), DDmain1->GetHeight(), 600));
      DDani1Eagles->SetNumberFrame(EagleFrame(eagle));
      DDani1Eagles->DrawAni();
    }
  }
  DDbmp1mask1->DrawImage();
  DDbmp1mask2->DrawImage();
  if (FlagShowButterfly) {
    const int wings = ButterflyFrame(FlapCounter.load(std::memory_order_relaxed));
    for (int i = 0; i < ButterflyCount; ++i) {
      const TButterfly& butterfly = *Butterflies[static_cast<std::size_t>(i)];
      DDani1Butterflys->SetShowX(FlyerToScreen(butterfly.X.load(std::memory_order_relaxed), DDmain1->GetWidth(), 800));
      DDani1Butterflys->SetShowY(FlyerToScreen(butterfly.Y.load(std::memory_order_relaxed), DDmain1->GetHeight(), 600));
      DDani1Butterflys->SetNumberFrame(wings);
      DDani1Butterflys->DrawAni();
    }
  }
  DDbmp1mask3->DrawImage();
  DDbmp1mask4->DrawImage();
  if (flag_clock) DXClock1->ShowClock();
  DDmain1->FlipSurfaces();
}

void TForm1::DDtimer1Timer(TObject*) {
  std::lock_guard tick(FTickLock);
  const int frame = AnimFrame.load(std::memory_order_relaxed) + 1;
  AnimFrame.store(frame > 31 ? 0 : frame, std::memory_order_relaxed);
  for (int i = 0; i < NumEagles; ++i) StepEagle(*Eagles[static_cast<std::size_t>(i)]);
  FlapCounter.store(NextFlapCounter(FlapCounter.load(std::memory_order_relaxed)), std::memory_order_relaxed);
  for (int i = 0; i < ButterflyCount; ++i) StepButterfly(*Butterflies[static_cast<std::size_t>(i)]);
  if (FlagDemoDaytime) {
    const int time = TimeOfDay.load(std::memory_order_relaxed);
    TimeOfDay.store(time > 86399 ? 0 : time + 50, std::memory_order_relaxed);
  }
  if (FlagDaytime || FlagDemoDaytime) ApplyDaylight();
}

void TForm1::ApplyDaylight() {
  if (FlagDaytime) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    TimeOfDay.store(now.wHour * 3600 + now.wMinute * 60 + now.wSecond, std::memory_order_relaxed);
  }
  const int time = TimeOfDay.load(std::memory_order_relaxed);
  const TLevels color = DaylightColor(time, Daylight, DaylightKeys);
  for (std::size_t c = 0; c < color.size(); ++c) ColorNow[c].store(color[c], std::memory_order_relaxed);
  DDgamma1->SetEnabled(true);
  if (DDgamma1->GetEnabled()) DDgamma1->SetLinearRGB(color[0], color[1], color[2]);
  if (FlagDemoDaytime && FlagShowSimulateTime && DDgamma1->GetEnabled()) {
    DDmain1->SetShowTestString(true);
    DDmain1->SetTestString(DemoTimeText(time));
  }
}
