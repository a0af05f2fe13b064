// The sprite-sheet animation: a sheet of equal-height frames stacked top to bottom, cut once
// into one offscreen surface per frame (at most 200); each frame blits the chosen frame's surface.
#pragma once

#include <array>

#include "components/DDsprite.h"

class TDDani : public TDDsprite {
 public:
  static constexpr int MaxFrames = 200;

  explicit TDDani(TComponent* AOwner);
  ~TDDani() override;

  // Cuts Bitmap into frames of YOffsetFrame rows and makes a surface for each.
  void CreateSurface();
  // Makes the surface of frame Index, Width x Height, from its rows of the sheet.
  void Create1Surface(int Index, int Width, int Height);
  // Frame NumberFrame at (ShowX, ShowY); a frame without a surface is skipped.
  void DrawAni();
  void DrawImageFunc();
  void SetTransparency(bool Value);
  void DDSetColorKey(IDirectDrawSurface7* Surface, DWORD rgb, int Index);
  void CloseSurface();

  int GetFrameCount() const { return FFrameCount; }
  // The surface of frame Index; null outside the 200 slots.
  IDirectDrawSurface7* GetSurface(int Index) const;

 private:
  int FFrameCount = 0;
  std::array<IDirectDrawSurface7*, MaxFrames> FpSurface{};  // owned, one per frame
};

namespace DDani {
// Puts TDDani on the palette page "roVivavaV" (design time only).
void Register();
}  // namespace DDani
