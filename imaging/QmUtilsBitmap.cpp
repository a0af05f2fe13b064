// Bitmaps made from bitmaps: embossed disabled images, colour changes and grid cells. Each new
// bitmap is freed again when making it fails, so the caller receives one or none.
#include <memory>

#include "imaging/QmUtils.h"
#include "imaging/QmUtilsMask.h"

namespace qmutils {

constexpr DWORD kPaintWhereWhite = 0x00E20746;  // the brush where the source is white, else the destination

void PaintThroughMask(TCanvas* Canvas, TColor Brush, int X, int Y, TBitmap* Mask, bool WhereSet) {
  Canvas->GetBrush()->SetColor(Brush);
  HDC dc = Canvas->GetHandle();
  // The mask's 0 bits take the text colour, its 1 bits the background colour.
  SetTextColor(dc, WhereSet ? RGB(0, 0, 0) : RGB(255, 255, 255));
  SetBkColor(dc, WhereSet ? RGB(255, 255, 255) : RGB(0, 0, 0));
  BitBlt(dc, X, Y, Mask->GetWidth(), Mask->GetHeight(), Mask->GetCanvas()->GetHandle(), 0, 0, kPaintWhereWhite);
}

}  // namespace qmutils

using qmutils::PaintThroughMask;

TBitmap* CreateDisabledBitmapEx(TBitmap* FOriginal, TColor OutlineColor, TColor BackColor, TColor HighlightColor,
                                TColor ShadowColor, bool DrawHighlight) {
  auto mask = std::make_unique<TBitmap>();
  mask->Assign(FOriginal);
  mask->SetHandleType(bmDDB);
  TCanvas* maskCanvas = mask->GetCanvas();
  maskCanvas->GetBrush()->SetColor(OutlineColor);
  if (mask->GetMonochrome()) {
    maskCanvas->GetFont()->SetColor(clWhite);
    mask->SetMonochrome(false);
    maskCanvas->GetBrush()->SetColor(clWhite);
  }
  mask->SetMonochrome(true);

  auto result = std::make_unique<TBitmap>();
  result->SetWidth(FOriginal->GetWidth());
  result->SetHeight(FOriginal->GetHeight());
  TCanvas* canvas = result->GetCanvas();
  canvas->GetBrush()->SetColor(BackColor);
  canvas->FillRect(Rect(0, 0, result->GetWidth(), result->GetHeight()));
  if (DrawHighlight) PaintThroughMask(canvas, HighlightColor, 1, 1, mask.get(), true);
  PaintThroughMask(canvas, ShadowColor, 0, 0, mask.get(), true);
  return result.release();
}

TBitmap* CreateDisabledBitmap(TBitmap* FOriginal, TColor OutlineColor) {
  return CreateDisabledBitmapEx(FOriginal, OutlineColor, clBtnFace, clBtnHighlight, clBtnShadow, true);
}

TBitmap* ChangeBitmapColor(TBitmap* Bitmap, TColor Color, TColor NewColor) {
  auto result = std::make_unique<TBitmap>();
  result->SetWidth(Bitmap->GetWidth());
  result->SetHeight(Bitmap->GetHeight());
  const TRect all = Rect(0, 0, Bitmap->GetWidth(), Bitmap->GetHeight());
  TCanvas* canvas = result->GetCanvas();
  canvas->GetBrush()->SetColor(NewColor);
  canvas->FillRect(all);
  canvas->BrushCopy(all, Bitmap, all, Color);
  return result.release();
}

void AssignBitmapCell(TGraphic* Source, TBitmap* Dest, int Cols, int Rows, int Index) {
  if (Source == nullptr || Dest == nullptr) return;
  if (Cols < 1) Cols = 1;
  if (Rows < 1) Rows = 1;
  if (Index < 0) Index = 0;
  const int width = Source->GetWidth() / Cols, height = Source->GetHeight() / Rows;
  Dest->SetWidth(width);
  Dest->SetHeight(height);
  const int x = Index % Cols * width, y = Index / Cols * height;
  const TRect cell = Rect(0, 0, width, height);
  if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
    Dest->GetCanvas()->CopyRect(cell, bitmap->GetCanvas(), Bounds(x, y, width, height));
    Dest->SetTransparentColor(bitmap->GetTransparentColor());
  } else {
    TCanvas* canvas = Dest->GetCanvas();
    canvas->GetBrush()->SetColor(clSilver);
    canvas->FillRect(cell);
    canvas->Draw(-x, -y, Source);
  }
  Dest->SetTransparent(Source->GetTransparent());
}
