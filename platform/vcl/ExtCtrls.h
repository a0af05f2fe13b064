// The class library's panel (a container with a raised edge and a centred caption) and image
// box (a picture drawn at its size or stretched to the box).
#pragma once

#include <memory>

#include "platform/vcl/Controls.h"

class TPanel : public TCustomControl {
 public:
  explicit TPanel(TComponent* AOwner);

 protected:
  void Paint() override;
};

class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  TPicture* GetPicture() const { return FPicture.get(); }
  // Keeps a copy of Value's graphic.
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  bool GetStretch() const { return FStretch; }
  void SetStretch(bool Value);

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false;
};
