// The still-picture sprite: one picture copied once onto an offscreen surface of its own, then
// blitted every frame onto the display owner's back surface, clipped, optionally colour-keyed.
#pragma once

#include "components/DDsprite.h"

class TDDbmp : public TDDsprite {
 public:
  explicit TDDbmp(TComponent* AOwner);
  ~TDDbmp() override;

  // Builds FpSurface from Bitmap, stretched to StretchWidth x StretchHeight when Stretching.
  void CreateSurface();
  // The whole surface at (ShowX, ShowY).
  void DrawImage();
  // Frame NumberFrame of a strip of YOffsetFrame-high frames held on the one surface.
  void DrawAni();
  // Clips the source rectangle against the display and blits it.
  void DrawImageFunc();
  void SetTransparency(bool Value);
  void DDSetColorKey(IDirectDrawSurface7* Surface, DWORD rgb);
  void CloseSurface();

  IDirectDrawSurface7* GetSurface() const { return FpSurface; }

 private:
  // The surface's size: the stretch size or the picture's own.
  TSize PictureSize();
  // False after reporting a missing surface.
  bool HasSurface();
  // HasSurface and CheckBack: false after a report.
  bool CanDraw();

  IDirectDrawSurface7* FpSurface = nullptr;  // owned
};

namespace DDbmp {
// Puts TDDbmp on the palette page "roVivavaV" (design time only).
void Register();
}  // namespace DDbmp
