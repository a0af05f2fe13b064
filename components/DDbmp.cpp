// The still-picture sprite: its surface is made once from the picture (scaled by GDI), then
// each frame costs one clipped BltFast and nothing else.
#include "components/DDbmp.h"

#include <cstdint>
#include <utility>

TDDbmp::TDDbmp(TComponent* AOwner) : TDDsprite(AOwner) {}

TDDbmp::~TDDbmp() { CloseSurface(); }

TSize TDDbmp::PictureSize() {
  if (Stretching) return TSize{StretchWidth, StretchHeight};
  return TSize{FBitmap->GetWidth(), FBitmap->GetHeight()};
}

bool TDDbmp::HasSurface() {
  if (FpSurface) return true;
  Report("Error FpSurface==NULL");
  return false;
}

bool TDDbmp::CanDraw() { return HasSurface() && CheckBack(); }

void TDDbmp::CreateSurface() {
  if (!ConnectDisplay()) return;
  const TSize size = PictureSize();
  if (FAILED(MakeSurface(size.cx, size.cy, FpSurface))) {
    Report("Error CreateSurfaceBMP", &FpSurface);
    return;
  }
  const HRESULT painted = PaintSurface(FpSurface, [this](TCanvas& canvas) {
    if (Stretching) {
      canvas.StretchDraw(Rect(0, 0, StretchWidth, StretchHeight), FBitmap.get());
    } else {
      canvas.Draw(0, 0, FBitmap.get());
    }
  });
  if (FAILED(painted)) Report("Error FpSurface->GetDC (BMP)", &FpSurface);
}

void TDDbmp::DrawImage() {
  if (!CanDraw()) return;
  const TSize size = PictureSize();
  FSource = TRect(0, 0, size.cx, size.cy);
  DrawImageFunc();
}

void TDDbmp::DrawAni() {
  if (!CanDraw()) return;
  // 64-bit products: a far-off frame number is refused, not wrapped into range.
  std::int64_t top = 0;
  std::int64_t bottom = 0;
  int right = 0;
  if (Stretching) {
    const int sheetHeight = FBitmap->GetHeight();
    // An empty picture has no frames to find (and nothing to divide by).
    const std::int64_t frame = sheetHeight > 0 ? std::int64_t{FYOffsetFrame} * StretchHeight / sheetHeight : 0;
    top = FNumberFrame * frame;
    bottom = top + frame;
    right = StretchWidth;
    if (sheetHeight <= 0 || bottom > StretchHeight) {
      Report("Error FNumberFrame (Ani Stretch)");
      return;
    }
  } else {
    top = std::int64_t{FNumberFrame} * FYOffsetFrame;
    bottom = top + FYOffsetFrame;
    right = FBitmap->GetWidth();
    if (bottom > FBitmap->GetHeight()) {
      Report("Error FNumberFrame (Ani)");
      return;
    }
  }
  FSource = TRect(0, static_cast<int>(top), right, static_cast<int>(bottom));
  DrawImageFunc();
}

void TDDbmp::DrawImageFunc() {
  if (!CanDraw()) return;
  BlitClipped(FpSurface);
}

void TDDbmp::SetTransparency(bool Value) {
  // Keys the sprite's own surface: nothing is drawn on the back surface here.
  if (!HasSurface() || !HasBack()) return;
  if (Value) {
    FBltFlags = DDBLTFAST_SRCCOLORKEY;
    DDSetColorKey(FpSurface, CLR_INVALID);
    Transparency = true;
  } else {
    FBltFlags = DDBLTFAST_NOCOLORKEY;
    Transparency = false;
  }
}

void TDDbmp::DDSetColorKey(IDirectDrawSurface7* Surface, DWORD rgb) {
  if (Surface && !ApplyKey(Surface, rgb)) Report("Error SetColorKey (BMP)", &FpSurface);
}

void TDDbmp::CloseSurface() {
  if (FpSurface) std::exchange(FpSurface, nullptr)->Release();
}

void DDbmp::Register() { RegisterComponents("roVivavaV", {ComponentClassOf<TDDbmp>()}); }
