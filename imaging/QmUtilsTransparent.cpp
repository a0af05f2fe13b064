// Bitmaps drawn with one colour left out: a mask of that colour and its inverse cut the source
// and the destination, and the two halves are put together in a work bitmap, stretched as one.
#include "imaging/QmUtils.h"
#include "platform/gdi/SelectedBitmap.h"
#include "platform/vcl/GdiObject.h"

namespace {

// A work bitmap of the call, in a memory context of its own; both are deleted after.
class WorkContext {
 public:
  WorkContext(HDC compatibleWith, HBITMAP bitmap) : FBitmap(bitmap), FSelected(bitmap, compatibleWith) {}
  HDC get() const { return FSelected.get(); }

 private:
  vcl::GdiBitmap FBitmap;  // outlives the selection
  gdi::SelectedBitmap FSelected;
};

// The bitmap canvas's change event is quiet and its lock held while a draw reads it.
class QuietLock {
 public:
  explicit QuietLock(TCanvas* canvas) : FCanvas(canvas), FSaved(canvas->OnChanging) {
    FCanvas->OnChanging = nullptr;
    FCanvas->Lock();
  }
  ~QuietLock() {
    FCanvas->Unlock();
    FCanvas->OnChanging = FSaved;
  }
  QuietLock(const QuietLock&) = delete;
  QuietLock& operator=(const QuietLock&) = delete;

 private:
  TCanvas* FCanvas;
  TNotifyEvent FSaved;
};

}  // namespace

LONG PaletteColor(TColor Color) { return ColorToRGB(Color) | 0x02000000; }

namespace {

// The source stretched onto the destination except where the mask that MakeMask (mask, copy of
// the source) draws is white.
template <class MakeMask>
void StretchBltThroughMask(HDC DstDC, int DstX, int DstY, int DstW, int DstH, HDC SrcDC, int SrcX, int SrcY,
                           int SrcW, int SrcH, HPALETTE Palette, MakeMask&& makeMask) {
  WorkContext mask(DstDC, CreateBitmap(SrcW, SrcH, 1, 1, nullptr));
  WorkContext inverse(DstDC, CreateBitmap(SrcW, SrcH, 1, 1, nullptr));
  WorkContext result(DstDC, CreateCompatibleBitmap(DstDC, DstW, DstH));
  WorkContext copy(DstDC, CreateCompatibleBitmap(DstDC, SrcW, SrcH));
  HPALETTE oldDst = nullptr, oldCopy = nullptr, oldMask = nullptr, oldResult = nullptr;
  if (Palette) {
    oldDst = SelectPalette(DstDC, Palette, TRUE);
    RealizePalette(DstDC);
    oldCopy = SelectPalette(copy.get(), Palette, FALSE);
    RealizePalette(copy.get());
    oldMask = SelectPalette(mask.get(), Palette, FALSE);
    RealizePalette(mask.get());
    oldResult = SelectPalette(result.get(), Palette, TRUE);
    RealizePalette(result.get());
  }
  SetMapMode(SrcDC, GetMapMode(DstDC));
  SetMapMode(copy.get(), GetMapMode(DstDC));
  BitBlt(copy.get(), 0, 0, SrcW, SrcH, SrcDC, SrcX, SrcY, SRCCOPY);
  makeMask(mask.get(), copy.get());
  BitBlt(inverse.get(), 0, 0, SrcW, SrcH, mask.get(), 0, 0, NOTSRCCOPY);
  BitBlt(result.get(), 0, 0, DstW, DstH, DstDC, DstX, DstY, SRCCOPY);
  StretchBlt(result.get(), 0, 0, DstW, DstH, mask.get(), 0, 0, SrcW, SrcH, SRCAND);  // the background, black where opaque
  BitBlt(copy.get(), 0, 0, SrcW, SrcH, inverse.get(), 0, 0, SRCAND);  // the source, black where transparent
  StretchBlt(result.get(), 0, 0, DstW, DstH, copy.get(), 0, 0, SrcW, SrcH, SRCPAINT);
  BitBlt(DstDC, DstX, DstY, DstW, DstH, result.get(), 0, 0, SRCCOPY);
  if (Palette) {
    SelectPalette(result.get(), oldResult, FALSE);
    SelectPalette(mask.get(), oldMask, FALSE);
    SelectPalette(copy.get(), oldCopy, FALSE);
    SelectPalette(DstDC, oldDst, TRUE);
  }
}

}  // namespace

void StretchBltTransparent(HDC DstDC, int DstX, int DstY, int DstW, int DstH, HDC SrcDC, int SrcX, int SrcY,
                           int SrcW, int SrcH, HPALETTE Palette, LONG TransparentColor) {
  StretchBltThroughMask(DstDC, DstX, DstY, DstW, DstH, SrcDC, SrcX, SrcY, SrcW, SrcH, Palette, [&](HDC mask, HDC copy) {
    // The transparent colour becomes the mask's 1 bits, every other colour its 0 bits.
    const COLORREF back = SetBkColor(copy, static_cast<COLORREF>(PaletteColor(static_cast<TColor>(TransparentColor))));
    BitBlt(mask, 0, 0, SrcW, SrcH, copy, 0, 0, SRCCOPY);
    SetBkColor(copy, back);
  });
}

void StretchBltMasked(HDC DstDC, int DstX, int DstY, int DstW, int DstH, HDC SrcDC, int SrcX, int SrcY, int SrcW,
                      int SrcH, HPALETTE Palette, HDC MaskDC) {
  StretchBltThroughMask(DstDC, DstX, DstY, DstW, DstH, SrcDC, SrcX, SrcY, SrcW, SrcH, Palette,
                        [&](HDC mask, HDC) { BitBlt(mask, 0, 0, SrcW, SrcH, MaskDC, SrcX, SrcY, SRCCOPY); });
}

void DrawTransparentBitmap(HDC DC, HBITMAP Bitmap, int DstX, int DstY, LONG TransparentColor) {
  BITMAP header{};
  if (GetObjectA(Bitmap, sizeof header, &header) == 0) return;
  gdi::SelectedBitmap source(Bitmap, DC);
  StretchBltTransparent(DC, DstX, DstY, header.bmWidth, header.bmHeight, source.get(), 0, 0, header.bmWidth,
                        header.bmHeight, nullptr, TransparentColor);
}

void StretchBitmapRectTransparent(TCanvas* Dest, int DstX, int DstY, int DstW, int DstH, const TRect& SrcRect,
                                  TBitmap* Bitmap, TColor TransparentColor) {
  if (DstW <= 0) DstW = Bitmap->GetWidth();
  if (DstH <= 0) DstH = Bitmap->GetHeight();
  TRect source = SrcRect;
  if (WidthOf(source) <= 0 || HeightOf(source) <= 0) source = Rect(0, 0, Bitmap->GetWidth(), Bitmap->GetHeight());
  const bool monochrome = Bitmap->GetMonochrome();
  if (!monochrome) SetStretchBltMode(Dest->GetHandle(), COLORONCOLOR);
  TCanvas* canvas = Bitmap->GetCanvas();
  QuietLock quiet(canvas);
  if (TransparentColor == clNone) {
    StretchBlt(Dest->GetHandle(), DstX, DstY, DstW, DstH, canvas->GetHandle(), source.left, source.top,
               WidthOf(source), HeightOf(source), Dest->GetCopyMode());
    return;
  }
  if (TransparentColor == clDefault) TransparentColor = canvas->GetPixels(0, Bitmap->GetHeight() - 1);
  TransparentColor = monochrome ? clWhite : ColorToRGB(TransparentColor);
  StretchBltTransparent(Dest->GetHandle(), DstX, DstY, DstW, DstH, canvas->GetHandle(), source.left, source.top,
                        WidthOf(source), HeightOf(source), Bitmap->GetPalette(), TransparentColor);
}

void DrawBitmapRectTransparent(TCanvas* Dest, int DstX, int DstY, const TRect& SrcRect, TBitmap* Bitmap,
                               TColor TransparentColor) {
  StretchBitmapRectTransparent(Dest, DstX, DstY, WidthOf(SrcRect), HeightOf(SrcRect), SrcRect, Bitmap,
                               TransparentColor);
}

void DrawBitmapTransparent(TCanvas* Dest, int DstX, int DstY, TBitmap* Bitmap, TColor TransparentColor) {
  DrawBitmapRectTransparent(Dest, DstX, DstY, Rect(0, 0, Bitmap->GetWidth(), Bitmap->GetHeight()), Bitmap,
                            TransparentColor);
}
