// What the bitmap sprite and the sprite-sheet animation share: their published properties, the
// clip against the display, the blit with its retry, the colour-key match and the error report.
#pragma once

#include <memory>

#include "components/DDmain.h"
#include "platform/ddraw/DDraw.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Graphics.h"

class TDDsprite : public TCustomControl {
 public:
  explicit TDDsprite(TComponent* AOwner);

  TBitmap* GetBitmap() const { return FBitmap.get(); }
  // Copies the picture (null is ignored); the surface is not rebuilt.
  void SetBitmap(TBitmap* Value);
  TNotifyEvent OnError;
  int GetShowX() const { return ShowX; }
  void SetShowX(int Value) { ShowX = Value; }
  int GetShowY() const { return ShowY; }
  void SetShowY(int Value) { ShowY = Value; }
  const AnsiString& GetErrorResult() const { return ErrorResult; }
  void SetErrorResult(const AnsiString& Value) { ErrorResult = Value; }
  TDDmain* DDmainModule = nullptr;
  int GetNumberFrame() const { return FNumberFrame; }
  void SetNumberFrame(int Value) { FNumberFrame = Value; }
  int GetYOffsetFrame() const { return FYOffsetFrame; }
  void SetYOffsetFrame(int Value) { FYOffsetFrame = Value; }
  bool GetTransparency() const { return Transparency; }
  bool GetStretching() const { return Stretching; }
  void SetStretching(bool Value) { Stretching = Value; }
  int GetStretchWidth() const { return StretchWidth; }
  void SetStretchWidth(int Value) { StretchWidth = Value; }
  int GetStretchHeight() const { return StretchHeight; }
  void SetStretchHeight(int Value) { StretchHeight = Value; }

  // The surface's own pixel value under a GDI colour (CLR_INVALID: the top-left pixel as it
  // is); 0xFFFFFFFF when the surface cannot be locked.
  DWORD DDColorMatch(IDirectDrawSurface7* Surface, DWORD rgb);

 protected:
  void Paint() override;

  // Stores Text, releases *Release when given and held, then raises OnError.
  void Report(const char* Text, IDirectDrawSurface7** Release = nullptr);
  // The checks every CreateSurface starts with; copies FDD and FDDBACK. False after a report.
  bool ConnectDisplay();
  // An offscreen plain surface of Width x Height in the display's format, into Surface.
  HRESULT MakeSurface(int Width, int Height, IDirectDrawSurface7*& Surface);
  // FDDBACK was copied from the display owner; false after a report.
  bool HasBack();
  // HasBack, the display owner is set and FDDBACK is still its back surface (not one it has
  // since released), so a blit may go to it; false after a report.
  bool CheckBack();
  // Clips the source rectangle to the display and blits Surface; a failing blit releases it.
  void BlitClipped(IDirectDrawSurface7*& Surface);
  // Sets Surface's source colour key to the pixel value under rgb; false when SetColorKey failed.
  bool ApplyKey(IDirectDrawSurface7* Surface, DWORD rgb);
  // Runs Draw on a canvas over Surface's device context. The GetDC result, or
  // DDERR_OUTOFMEMORY when the drawing layer ran out of resources on the way.
  template <class DrawOnCanvas>
  HRESULT PaintSurface(IDirectDrawSurface7* Surface, DrawOnCanvas Draw);

  IDirectDraw7* FDD = nullptr;  // the display owner's, not held
  std::unique_ptr<TBitmap> FBitmap;
  IDirectDrawSurface7* FDDBACK = nullptr;  // the display owner's, not held
  HRESULT FResult = DD_OK;
  AnsiString ErrorResult;
  int ShowX = 0;
  int ShowY = 0;
  TRect FSource;  // set by the draw just before the blit reads it
  int FNumberFrame = 0;
  int FYOffsetFrame = 0;
  DWORD FBltFlags = DDBLTFAST_NOCOLORKEY;
  bool Transparency = false;
  int StretchWidth = 0;
  int StretchHeight = 0;
  bool Stretching = false;
};

template <class DrawOnCanvas>
HRESULT TDDsprite::PaintSurface(IDirectDrawSurface7* Surface, DrawOnCanvas Draw) {
  HDC dc = nullptr;
  FResult = Surface->GetDC(&dc);
  if (FAILED(FResult)) return FResult;
  try {
    TCanvas canvas;
    canvas.SetHandle(dc);
    Draw(canvas);
  } catch (const Exception&) {
    FResult = DDERR_OUTOFMEMORY;
  }
  Surface->ReleaseDC(dc);
  return FResult;
}
