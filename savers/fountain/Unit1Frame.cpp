// The fountain scene's two life lines: the whole frame drawn whenever the program is idle, and
// the tick on the timer's thread; and the end of the run.
#include "savers/fountain/Unit1.h"

#include <cstdlib>

void TForm1::RenderFrame(TObject*, bool& Done) {
  if (!BeginFrame(Done)) return;
  DDbmp1ground->DrawImage();
  for (const TAnimationLayer& layer : AnimationLayers) {
    TDDani* sprite = this->*layer.Sprite;
    sprite->SetNumberFrame(AnimFrame.load(std::memory_order_relaxed));
    sprite->DrawAni();
  }
  if (flag_clock) DXClock1->ShowClock();
  DDmain1->FlipSurfaces();
}

void TForm1::DDtimer1Timer(TObject*) {
  // Computed first and stored once: the renderer only ever reads 0..31.
  const int next = AnimFrame.load(std::memory_order_relaxed) + 1;
  AnimFrame.store(next == 32 ? 0 : next, std::memory_order_relaxed);
}

void TForm1::FormMouseMove(TObject*, TShiftState, int X, int Y) {
  // A coordinate whose previous value is 0 does not count: the first event only records.
  if (TermMouse && ((std::abs(X - LastMouseX) > 5 && LastMouseX != 0) || (std::abs(Y - LastMouseY) > 5 && LastMouseY != 0)))
    RequestEnd();
  LastMouseX = X;
  LastMouseY = Y;
}

void TForm1::EndSaver() {
  CloseScene();
  // Recreating the window drops the input still queued for it, such as the character event
  // of the key that ended the run.
  SetBorderStyle(bsSizeable);
  StopRun();
  Close();
}

void TForm1::CloseScene() {
  if (FSceneClosed) return;
  FSceneClosed = true;
  DDtimer1->SetEnabled(false);
  // The sprites' surfaces belong to the display: they go before it closes.
  DDbmp1ground->CloseSurface();
  for (const TAnimationLayer& layer : AnimationLayers) (this->*layer.Sprite)->CloseSurface();
  DDmain1->SetEnabled(false);
}
