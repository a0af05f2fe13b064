// Fills of the image library: gradient bands, the diagonal shade, the two-colour brush pattern,
// and inverted rectangles and frames on the screen.
#include "imaging/QmUtils.h"
#include "platform/user/WinUser.h"
#include "platform/vcl/GdiObject.h"
#include "platform/win32/Kernel32.h"

namespace {

// Diagonal lines, one set pixel in four; each row in a word, as word-aligned bitmaps keep it.
constexpr WORD kShadePattern[8] = {0x11, 0x22, 0x44, 0x88, 0x11, 0x22, 0x44, 0x88};

void FillSolid(HDC dc, const RECT& r, COLORREF color) {
  vcl::GdiBrush brush(CreateSolidBrush(color));
  FillRect(dc, &r, brush.get());
}

// The screen's device context for one call, released also when the call fails.
class ScreenContext {
 public:
  ScreenContext() : FDC(GetDC(nullptr)) {}
  ~ScreenContext() { ReleaseDC(nullptr, FDC); }
  ScreenContext(const ScreenContext&) = delete;
  ScreenContext& operator=(const ScreenContext&) = delete;
  HDC get() const { return FDC; }

 private:
  HDC FDC;
};

}  // namespace

TBitmap* CreateTwoColorsBrushPattern(TColor Color1, TColor Color2) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetWidth(8);
  bitmap->SetHeight(8);
  TCanvas* canvas = bitmap->GetCanvas();
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(Color1);
  canvas->FillRect(Rect(0, 0, 8, 8));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      if (x % 2 == y % 2) canvas->SetPixels(x, y, Color2);
  return bitmap.release();
}

void ShadeRect(HDC DC, const TRect& Rect) {
  vcl::GdiBitmap pattern(CreateBitmap(8, 8, 1, 1, kShadePattern));
  vcl::GdiBrush brush(CreatePatternBrush(pattern.get()));
  HGDIOBJ previous = SelectObject(DC, brush.get());
  const COLORREF text = SetTextColor(DC, RGB(255, 255, 255));
  const COLORREF back = SetBkColor(DC, RGB(0, 0, 0));
  PatBlt(DC, Rect.left, Rect.top, WidthOf(Rect), HeightOf(Rect), 0x00A000C9);  // destination AND pattern
  SetTextColor(DC, text);
  SetBkColor(DC, back);
  SelectObject(DC, previous);
}

void GradientFillRect(TCanvas* Canvas, const TRect& ARect, TColor StartColor, TColor EndColor,
                      TFillDirection Direction, BYTE Colors) {
  if (IsRectEmpty(&ARect)) return;
  HDC dc = Canvas->GetHandle();
  if (Colors < 2) return FillSolid(dc, ARect, static_cast<COLORREF>(ColorToRGB(StartColor)));
  const auto start = static_cast<COLORREF>(ColorToRGB(StartColor));
  const auto end = static_cast<COLORREF>(ColorToRGB(EndColor));
  const bool reversed = Direction == fdBottomToTop || Direction == fdRightToLeft;
  const bool vertical = Direction == fdTopToBottom || Direction == fdBottomToTop;
  const COLORREF first = reversed ? end : start, last = reversed ? start : end;
  const int delta[3] = {GetRValue(last) - GetRValue(first), GetGValue(last) - GetGValue(first),
                        GetBValue(last) - GetBValue(first)};
  const int extent = vertical ? HeightOf(ARect) : WidthOf(ARect);
  const int n = Max(2, Min(Colors, extent));
  const int band = extent / n;
  Canvas->GetPen()->SetStyle(psSolid);
  Canvas->GetPen()->SetMode(pmCopy);
  const auto strip = [&](int from, int size) {
    return vertical ? RECT{ARect.left, ARect.top + from, ARect.right, ARect.top + from + size}
                    : RECT{ARect.left + from, ARect.top, ARect.left + from + size, ARect.bottom};
  };
  if (band > 0) {
    for (int i = 0; i < n; ++i) {
      const COLORREF color = RGB(static_cast<BYTE>(GetRValue(first) + MulDiv(i, delta[0], n - 1)),
                                 static_cast<BYTE>(GetGValue(first) + MulDiv(i, delta[1], n - 1)),
                                 static_cast<BYTE>(GetBValue(first) + MulDiv(i, delta[2], n - 1)));
      FillSolid(dc, strip(i * band, band), color);
    }
  }
  if (const int rest = extent % n; rest > 0) FillSolid(dc, strip(extent - rest, rest), reversed ? start : end);
}

void PaintInverseRect(const TPoint& RectOrg, const TPoint& RectEnd) {
  ScreenContext screen;
  const RECT r{RectOrg.x, RectOrg.y, RectEnd.x, RectEnd.y};
  InvertRect(screen.get(), &r);
}

void DrawInvertFrame(const TRect& ScreenRect, int Width) {
  ScreenContext screen;
  RECT r = ScreenRect;
  for (int i = 0; i < Width; ++i) {
    DrawFocusRect(screen.get(), &r);
    InflateRect(&r, -1, -1);
  }
}
