// The end of a run: key and mouse handling (clock and gamma keys in key-only mode), the end
// request with the password check, the orderly teardown and the display's error handler.
#include "savers/waterfall/Unit1.h"

#include <cstdlib>
#include <limits>

#include "platform/winmm/PlaySound.h"
#include "savers/waterfall/ScreenSaver.h"

void TForm1::MoveClock(int& Center, int Step, int Limit, const char* Name) {
  // In 64 bits: the stored radius, centre and screen size are not bounded.
  const long long margin = static_cast<long long>(clockRad) + 20;
  const long long next = static_cast<long long>(Center) + Step;
  const bool inside = Step < 0 ? margin < Center : Center < Limit - margin;
  if (inside && next >= std::numeric_limits<int>::min() && next <= std::numeric_limits<int>::max())
    Center = static_cast<int>(next);
  DXClock1->SetXcenter(clockX);
  DXClock1->SetYcenter(clockY);
  // Written after every arrow key, also when the clock stayed at its limit.
  SetReg1->Write(Name, Center);
}

void TForm1::FormKeyDown(TObject*, WORD& Key, TShiftState) {
  if (TermMouse) return RequestEnd();
  switch (Key) {
    case VK_LEFT: return MoveClock(clockX, -1, ResHor, "clockX");
    case VK_RIGHT: return MoveClock(clockX, 1, ResHor, "clockX");
    case VK_UP: return MoveClock(clockY, -1, ResVert, "clockY");
    case VK_DOWN: return MoveClock(clockY, 1, ResVert, "clockY");
    default: return;
  }
}

void TForm1::FormKeyPress(TObject*, char& Key) {
  if (TermMouse || Key == 27) return RequestEnd();
  if (Key != '+' && Key != '-') return;
  DDgamma1->SetEnabled(true);
  if (!DDgamma1->GetEnabled()) return;
  const int level = DDgamma1->GetRGB();
  if (Key == '+' && level < 256) DDgamma1->SetRGB(level + 1);
  if (Key == '-' && level > 0) DDgamma1->SetRGB(level - 1);
  DDgamma1->SetEnabled(false);
  SetReg1->Write("Gamma", DDgamma1->GetRGB());
}

void TForm1::FormMouseMove(TObject*, TShiftState, int X, int Y) {
  // A coordinate whose previous value is 0 does not count: the first event only records.
  const bool movedX = std::abs(X - LastMouseX) > 5 && LastMouseX != 0;
  const bool movedY = std::abs(Y - LastMouseY) > 5 && LastMouseY != 0;
  if (TermMouse && !MouseLatch && (movedX || movedY)) {
    DDmain1->SetTestString3("KU-KU!!");
    MouseLatch = true;
    RequestEnd();
  }
  LastMouseX = X;
  LastMouseY = Y;
}

void TForm1::RequestEnd() {
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
    MouseLatch = false;
  }
  EndGuard = false;
}

void TForm1::EndSaver() {
  Application->OnIdle = nullptr;
  CloseScene();
  // Recreating the window drops the input still queued for it, such as the character event
  // of the key that ended the run.
  SetBorderStyle(bsSizeable);
  PlaySoundA(nullptr, nullptr, SND_RESOURCE);
  UINT wasRunning = 0;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &wasRunning, 0);
  SetVisible(false);
  if (DDgamma1->GetEnabled()) DDgamma1->SetRGB(256);
  Close();
}

void TForm1::CloseScene() {
  if (FSceneClosed) return;
  FSceneClosed = true;
  DDtimer1->SetEnabled(false);
  // Disabling the timer stops further ticks; one that is still running must leave first.
  std::lock_guard tick(FTickLock);
  DDbmp1ground->CloseSurface();
  DDani1Waterfall->CloseSurface();
  DDbmp1maskstone->CloseSurface();
  DDani1hightwater->CloseSurface();
  DDani1lowwater->CloseSurface();
  DDbmp1mask1->CloseSurface();
  DDbmp1mask2->CloseSurface();
  DDbmp1mask3->CloseSurface();
  DDbmp1mask4->CloseSurface();
  DDani1Eagles->CloseSurface();
  DDani1Butterflys->CloseSurface();
  DDmain1->SetEnabled(false);
  // The counts go with the records, so a tick after the teardown steps nothing.
  NumEagles = 0;
  ButterflyCount = 0;
  for (auto& eagle : Eagles) eagle.reset();
  for (auto& butterfly : Butterflies) butterfly.reset();
}

void TForm1::DDmain1Error(TObject*) {
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
