// TQmGradient: gradient settings that report each effective change once and paint through the
// gradient fill.
#include "imaging/QmGraph.h"

TQmGradient::TQmGradient() = default;

void TQmGradient::Assign(TPersistent* Source) {
  auto* gradient = dynamic_cast<TQmGradient*>(Source);
  if (gradient == nullptr) return TPersistent::Assign(Source);
  FStartColor = gradient->FStartColor;
  FEndColor = gradient->FEndColor;
  FStepCount = gradient->FStepCount;
  FDirection = gradient->FDirection;
  FVisible = gradient->FVisible;
  Changed();
}

void TQmGradient::Draw(TCanvas* Canvas, const TRect& Rect) {
  GradientFillRect(Canvas, Rect, FStartColor, FEndColor, FDirection, FStepCount);
}

void TQmGradient::Changed() {
  if (OnChange) OnChange(this);
}

void TQmGradient::SetDirection(TFillDirection Value) { Store(FDirection, Value); }
void TQmGradient::SetEndColor(TColor Value) { Store(FEndColor, Value); }
void TQmGradient::SetStartColor(TColor Value) { Store(FStartColor, Value); }
void TQmGradient::SetStepCount(BYTE Value) { Store(FStepCount, Value); }
void TQmGradient::SetVisible(bool Value) { Store(FVisible, Value); }
