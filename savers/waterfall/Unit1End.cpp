// The end of a run: the mouse's end request with its latch, and the orderly teardown.
#include "savers/waterfall/Unit1.h"

#include <cstdlib>

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

void TForm1::RunResumed() { MouseLatch = false; }

void TForm1::EndSaver() {
  Application->OnIdle = nullptr;
  CloseScene();
  // Recreating the window drops the input still queued for it, such as the character event
  // of the key that ended the run.
  SetBorderStyle(bsSizeable);
  StopRun();
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
