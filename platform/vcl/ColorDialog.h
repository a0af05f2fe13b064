// The class library's colour dialog: the desktop's colour chooser, opened on the dialog's own
// colour, which is the last one chosen (black at first).
#pragma once

#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"

class TColorDialog : public TComponent {
 public:
  using TComponent::TComponent;
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }
  bool GetCtl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value) { FCtl3D = Value; }
  // Modal; true, with Color the chosen colour, when the user confirms.
  bool Execute();

 private:
  TColor FColor = clBlack;
  bool FCtl3D = false;
};
