// A control for tests of painting, read back from pixels: it fills its area with its colour.
#pragma once

#include "platform/vcl/Controls.h"

namespace painting {

// A control without a window, owned and placed by its parent, that fills more than its area
// (the clip keeps the rest out) with its colour. It records whether it painted as a copy, and
// fails when told to.
class TSpot : public TGraphicControl {
 public:
  TSpot(TWinControl* Parent, const TRect& Bounds, TColor Color) : TGraphicControl(Parent) {
    SetParent(Parent);
    SetBoundsRect(Bounds);
    SetColor(Color);
  }
  bool PaintedAsCopy = false;
  bool Fails = false;

 protected:
  void Paint() override {
    PaintedAsCopy = (GetControlState() & csPaintCopy) != 0;
    if (Fails) throw Exception("paint failed");
    GetCanvas()->GetBrush()->SetColor(GetColor());
    GetCanvas()->FillRect(Rect(-50, -50, GetWidth() + 50, GetHeight() + 50));
  }
};

}  // namespace painting
