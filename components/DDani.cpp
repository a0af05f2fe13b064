// The sprite-sheet animation: cutting, scaling and format conversion happen once per frame of
// the sheet in CreateSurface; a frame drawn is one clipped BltFast of a prepared surface.
#include "components/DDani.h"

#include <utility>

namespace {

// Whether Sheet's pixels copied into a bitmap at the desktop's depth stay as they are: 24 and
// 32 bits hold every colour, but a 24-bit pixel has no fourth byte.
bool DesktopHolds(TBitmap* Sheet) {
  BITMAP sheet{};
  if (!GetObjectA(Sheet->GetHandle(), sizeof sheet, &sheet)) return true;  // an empty sheet draws nothing
  HDC screen = GetDC(nullptr);
  const int desktop = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  return sheet.bmBitsPixel == desktop || (desktop >= 24 && sheet.bmBitsPixel <= desktop);
}

}  // namespace

TDDani::TDDani(TComponent* AOwner) : TDDsprite(AOwner) {}

TDDani::~TDDani() { CloseSurface(); }

IDirectDrawSurface7* TDDani::GetSurface(int Index) const {
  return Index >= 0 && Index < MaxFrames ? FpSurface[Index] : nullptr;
}

void TDDani::CreateSurface() {
  if (!ConnectDisplay()) return;
  if (FYOffsetFrame == 0) {
    Report("Not defined FYOffsetFrame");
    return;
  }
  const int frames = FBitmap->GetHeight() / FYOffsetFrame;
  if (frames > MaxFrames) {
    Report("TOO match sprites");
    return;
  }
  FFrameCount = frames;  // a negative frame height gives a negative count, which cuts no frames
  const int width = Stretching ? StretchWidth : FBitmap->GetWidth();
  const int height = Stretching ? StretchHeight : FYOffsetFrame;
  for (int i = 0; i < FFrameCount; ++i) Create1Surface(i, width, height);
}

void TDDani::Create1Surface(int Index, int Width, int Height) {
  if (Index < 0 || Index >= MaxFrames) return;
  IDirectDrawSurface7*& slot = FpSurface[Index];
  if (FAILED(MakeSurface(Width, Height, slot))) {
    Report("Error CreateSurfaceANI", &slot);
    return;
  }
  const HRESULT painted = PaintSurface(slot, [&](TCanvas& canvas) {
    const int top = FYOffsetFrame * Index;
    const TRect rows(0, top, FBitmap->GetWidth(), top + FYOffsetFrame);
    // A frame is its rows copied into a bitmap at the desktop's depth, then stretched. Nearest-
    // pixel stretching picks the same pixels from the sheet as from that copy, so where the
    // copy changes nothing the frame is stretched straight from the sheet.
    if (DesktopHolds(FBitmap.get())) {
      canvas.CopyRect(Rect(0, 0, Width, Height), FBitmap->GetCanvas(), rows);
      return;
    }
    TBitmap frame;
    frame.SetSize(rows.Width(), rows.Height());
    frame.GetCanvas()->CopyRect(Rect(0, 0, rows.Width(), rows.Height()), FBitmap->GetCanvas(), rows);
    canvas.StretchDraw(Rect(0, 0, Width, Height), &frame);
  });
  if (FAILED(painted)) Report("Error FpSurface->GetDC (ANI)", &slot);
}

void TDDani::DrawAni() {
  if (!CheckBack()) return;
  FSource = Stretching ? TRect(0, 0, StretchWidth, StretchHeight) : TRect(0, 0, FBitmap->GetWidth(), FYOffsetFrame);
  DrawImageFunc();
}

void TDDani::DrawImageFunc() {
  // Keeping NumberFrame in range is the caller's part; a frame outside the slots, or one
  // without a surface, is not drawn.
  if (FNumberFrame < 0 || FNumberFrame >= MaxFrames || !FpSurface[FNumberFrame]) return;
  if (!CheckBack()) return;
  BlitClipped(FpSurface[FNumberFrame]);
}

void TDDani::SetTransparency(bool Value) {
  if (FFrameCount == 0) return;
  if (Value) {
    FBltFlags = DDBLTFAST_SRCCOLORKEY;
    for (int i = 0; i < FFrameCount; ++i) DDSetColorKey(FpSurface[i], CLR_INVALID, i);
    Transparency = true;
  } else {
    FBltFlags = DDBLTFAST_NOCOLORKEY;
    Transparency = false;
  }
}

void TDDani::DDSetColorKey(IDirectDrawSurface7* Surface, DWORD rgb, int Index) {
  if (!Surface || ApplyKey(Surface, rgb)) return;
  Report("Error SetColorKey (ANI)", Index >= 0 && Index < MaxFrames ? &FpSurface[Index] : nullptr);
}

void TDDani::CloseSurface() {
  for (IDirectDrawSurface7*& slot : FpSurface)
    if (slot) std::exchange(slot, nullptr)->Release();
}

void DDani::Register() { RegisterComponents("roVivavaV", {ComponentClassOf<TDDani>()}); }
