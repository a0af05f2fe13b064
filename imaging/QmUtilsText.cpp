// Text in cells: drawn straight onto the canvas when it can be, else laid out in one shared
// offscreen bitmap that only grows, then copied; rotated fonts, shortened texts, average
// character sizes, and the canvas on the screen.
#include <memory>

#include "imaging/QmUtils.h"
#include "platform/user/WinUser.h"

namespace {

int initializations = 0;

std::unique_ptr<TBitmap>& TextBitmap() {
  static std::unique_ptr<TBitmap> bitmap;
  return bitmap;
}

constexpr UINT kAlignFlags[] = {DT_NOPREFIX | DT_EXPANDTABS | DT_LEFT, DT_NOPREFIX | DT_EXPANDTABS | DT_RIGHT,
                                DT_NOPREFIX | DT_EXPANDTABS | DT_CENTER};

TAlignment Mirrored(TAlignment a) {
  return a == taLeftJustify ? taRightJustify : a == taRightJustify ? taLeftJustify : a;
}

// The text's left edge in a cell for a direct draw.
int DirectLeft(TCanvas* canvas, const TRect& r, int dx, const AnsiString& text, TAlignment alignment) {
  switch (alignment) {
    case taRightJustify: return r.right - canvas->TextWidth(text) - 3;
    case taCenter: return r.left + (r.right - r.left) / 2 - canvas->TextWidth(text) / 2;
    case taLeftJustify: break;
  }
  return r.left + dx;
}

// The canvas lock held for the length of a draw into the shared bitmap.
class CanvasLock {
 public:
  explicit CanvasLock(TCanvas* canvas) : FCanvas(canvas) { FCanvas->Lock(); }
  ~CanvasLock() { FCanvas->Unlock(); }
  CanvasLock(const CanvasLock&) = delete;
  CanvasLock& operator=(const CanvasLock&) = delete;

 private:
  TCanvas* FCanvas;
};

void WriteOffscreen(TCanvas* target, const TRect& cell, int dx, int dy, const AnsiString& text, TAlignment alignment,
                    bool wordWrap, bool rightToLeft) {
  TBitmap* bitmap = TextBitmap().get();
  TCanvas* canvas = bitmap->GetCanvas();
  CanvasLock lock(canvas);
  const int width = WidthOf(cell), height = HeightOf(cell);
  bitmap->SetWidth(Max(width, bitmap->GetWidth()));
  bitmap->SetHeight(Max(height, bitmap->GetHeight()));
  canvas->SetFont(target->GetFont());
  canvas->GetFont()->SetColor(target->GetFont()->GetColor());
  canvas->SetBrush(target->GetBrush());
  canvas->GetBrush()->SetStyle(bsSolid);
  const TRect all = Rect(0, 0, width, height);
  canvas->FillRect(all);
  SetBkMode(canvas->GetHandle(), TRANSPARENT);
  if (target->GetCanvasOrientation() == coRightToLeft) alignment = Mirrored(alignment);
  RECT layout = Rect(dx, dy, width - 1, height - 1);
  DrawTextA(canvas->GetHandle(), text.c_str(), static_cast<int>(text.size()), &layout,
            kAlignFlags[alignment] | (wordWrap ? DT_WORDBREAK : 0) | (rightToLeft ? DT_RTLREADING : 0));
  target->CopyRect(cell, canvas, all);
}

int CellDY(TCanvas* canvas, const TRect& r, TVertAlignment vertical) {
  switch (vertical) {
    case vaCenter: return Max(1, (HeightOf(r) - canvas->TextHeight("W")) / 2);
    case vaBottomJustify: return Max(2, HeightOf(r) - canvas->TextHeight("W"));
    case vaTopJustify: break;
  }
  return 2;
}

}  // namespace

void WriteText(TCanvas* ACanvas, const TRect& ARect, int DX, int DY, const AnsiString& Text, TAlignment Alignment,
               bool WordWrap, bool ARightToLeft) {
  if (!TextBitmap()) TextBitmap() = std::make_unique<TBitmap>();
  const auto brush = static_cast<COLORREF>(ColorToRGB(ACanvas->GetBrush()->GetColor()));
  if (!WordWrap && GetNearestColor(ACanvas->GetHandle(), brush) == brush && Text.find('\r') == AnsiString::npos) {
    if (ACanvas->GetCanvasOrientation() == coRightToLeft && !ARightToLeft) Alignment = Mirrored(Alignment);
    ACanvas->TextRect(ARect, DirectLeft(ACanvas, ARect, DX, Text, Alignment), ARect.top + DY, Text);
    return;
  }
  WriteOffscreen(ACanvas, ARect, DX, DY, Text, Alignment, WordWrap, ARightToLeft);
}

void DrawCellTextEx(TCustomControl* Control, LONG, LONG, const AnsiString& S, const TRect& ARect, TAlignment Align,
                    TVertAlignment VertAlign, bool WordWrap, bool ARightToLeft) {
  TCanvas* canvas = Control->GetCanvas();
  WriteText(canvas, ARect, 2, CellDY(canvas, ARect, VertAlign), S, Align, WordWrap, ARightToLeft);
}

void DrawCellTextEx(TCustomControl* Control, LONG ACol, LONG ARow, const AnsiString& S, const TRect& ARect,
                    TAlignment Align, TVertAlignment VertAlign, bool WordWrap) {
  DrawCellTextEx(Control, ACol, ARow, S, ARect, Align, VertAlign, WordWrap, false);
}

void DrawCellText(TCustomControl* Control, LONG ACol, LONG ARow, const AnsiString& S, const TRect& ARect,
                  TAlignment Align, TVertAlignment VertAlign, bool ARightToLeft) {
  DrawCellTextEx(Control, ACol, ARow, S, ARect, Align, VertAlign, Align == taCenter, ARightToLeft);
}

void DrawCellText(TCustomControl* Control, LONG ACol, LONG ARow, const AnsiString& S, const TRect& ARect,
                  TAlignment Align, TVertAlignment VertAlign) {
  DrawCellText(Control, ACol, ARow, S, ARect, Align, VertAlign, false);
}

void DrawCellBitmap(TCustomControl* Control, LONG, LONG, TGraphic* Graphic, const TRect& Rect) {
  Control->GetCanvas()->Draw((Rect.left + Rect.right - Graphic->GetWidth()) / 2,
                             (Rect.top + Rect.bottom - Graphic->GetHeight()) / 2, Graphic);
}

HFONT CreateRotatedFont(TFont* Font, int Angle) {
  LOGFONTA lf{};
  lf.lfHeight = Font->GetHeight();
  lf.lfWidth = 0;
  lf.lfEscapement = Angle * 10;
  lf.lfOrientation = 0;
  lf.lfWeight = Font->GetStyle().Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = Font->GetStyle().Contains(fsItalic);
  lf.lfUnderline = Font->GetStyle().Contains(fsUnderline);
  lf.lfStrikeOut = Font->GetStyle().Contains(fsStrikeOut);
  lf.lfCharSet = Font->GetCharset();
  lf.lfPitchAndFamily = PitchBits(Font->GetPitch());
  const AnsiString face = AnsiUpperCase(Font->GetName()) == "DEFAULT" ? DefFontData.Name : Font->GetName();
  face.copy(lf.lfFaceName, sizeof lf.lfFaceName - 1);
  return CreateFontIndirectA(&lf);
}

AnsiString MinimizeText(const AnsiString& Text, TCanvas* Canvas, int MaxWidth) {
  AnsiString result = Text;
  const int length = static_cast<int>(Text.size());
  for (int i = 1; i <= length && Canvas->TextWidth(result) > MaxWidth;) {
    ++i;
    result = Text.substr(0, static_cast<std::size_t>(Max(0, length - i))) + "...";
  }
  return result;
}

TPoint GetAveCharSize(TCanvas* Canvas) {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE size{};
  GetTextExtentPoint32A(Canvas->GetHandle(), kLetters, 52, &size);
  return TPoint(size.cx / 52, size.cy);
}

TScreenCanvas::~TScreenCanvas() { FreeHandle(); }

void TScreenCanvas::CreateHandle() {
  if (!FDeviceContext) FDeviceContext = GetDC(nullptr);
  SetHandle(FDeviceContext);
}

void TScreenCanvas::FreeHandle() {
  if (!FDeviceContext) return;
  SetHandle(nullptr);
  ReleaseDC(nullptr, FDeviceContext);
  FDeviceContext = nullptr;
}

void TScreenCanvas::SetOrigin(int X, int Y) { SetWindowOrgEx(GetHandle(), -X, -Y, nullptr); }

void QmUtilsInitialization() { ++initializations; }

void QmUtilsFinalization() {
  if (initializations > 0 && --initializations == 0) TextBitmap().reset();
}
