// The canvas: drawing operations over a device context it does not own, with pen, brush and
// font turned into drawing-layer objects only when an operation needs them, and its lock.
#include <array>
#include <vector>

#include "platform/vcl/Graphics.h"

namespace {

// Pen modes in TPenMode order, as the drawing layer's binary raster operations.
constexpr std::array<int, 16> kPenModeRop2 = {1, 16, 11, 6, 13, 4, 14, 5, 12, 3, 15, 2, 9, 8, 7, 10};

[[noreturn]] void OutOfResources() { throw EOutOfResources("Out of system resources"); }

}  // namespace

TCanvas::TCanvas() : FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()), FFont(std::make_unique<TFont>()) {
  FPen->OnChange = [this](TObject*) { FState &= ~csPenValid; };
  FBrush->OnChange = [this](TObject*) { FState &= ~csBrushValid; };
  FFont->OnChange = [this](TObject*) { FState &= ~csFontValid; };
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

HDC TCanvas::GetHandle() {
  RequiredState(csAllValid);
  return FHandle;
}

void TCanvas::SetHandle(HDC Value) {
  if (FHandle == Value) return;
  if (FHandle) {
    FPenPos = GetPenPos();
    DeselectHandles();
    FHandle = nullptr;
    FState = 0;
  }
  if (Value) {
    FHandle = Value;
    FState = csHandleValid;
    MoveToEx(FHandle, FPenPos.x, FPenPos.y, nullptr);
  }
}

TPoint TCanvas::GetPenPos() {
  if (FHandle) {
    POINT current{};
    MoveToEx(FHandle, 0, 0, &current);
    MoveToEx(FHandle, current.x, current.y, nullptr);
    FPenPos = TPoint(current.x, current.y);
  }
  return FPenPos;
}

void TCanvas::RequiredState(unsigned State) {
  const unsigned needed = State & ~FState;
  if (needed == 0) return;
  if (needed & csHandleValid) {
    CreateHandle();
    if (FHandle == nullptr) throw EInvalidOperation("Canvas does not allow drawing");
  }
  if (needed & csPenValid) RealizePen();
  if (needed & csBrushValid) RealizeBrush();
  if (needed & csFontValid) RealizeFont();
}

// Each Realize selects its new object first, then frees the one it replaces (no longer selected).
void TCanvas::RealizePen() {
  vcl::GdiPen pen(CreatePen(FPen->GetStyle(), FPen->GetWidth(), static_cast<COLORREF>(ColorToRGB(FPen->GetColor()))));
  if (!pen) OutOfResources();
  HGDIOBJ previous = SelectObject(FHandle, pen.get());
  if (FOldPen == nullptr) FOldPen = previous;
  FRealPen = std::move(pen);
  SetROP2(FHandle, kPenModeRop2[FPen->GetMode()]);
  FState |= csPenValid;
}

void TCanvas::RealizeBrush() {
  const COLORREF color = static_cast<COLORREF>(ColorToRGB(FBrush->GetColor()));
  vcl::GdiBrush brush;
  if (FBrush->GetStyle() == bsSolid) {
    brush.reset(CreateSolidBrush(color));
    if (!brush) OutOfResources();
  }
  HGDIOBJ previous = SelectObject(FHandle, brush ? static_cast<HGDIOBJ>(brush.get()) : GetStockObject(NULL_BRUSH));
  if (FOldBrush == nullptr) FOldBrush = previous;
  FRealBrush = std::move(brush);
  SetBkColor(FHandle, color);
  SetBkMode(FHandle, FBrush->GetStyle() == bsSolid ? OPAQUE : TRANSPARENT);
  FState |= csBrushValid;
}

void TCanvas::RealizeFont() {
  const TFontStyles style = FFont->GetStyle();
  vcl::GdiFont font(CreateFontA(FFont->GetHeight(), 0, 0, 0, style.Contains(fsBold) ? FW_BOLD : FW_NORMAL,
                                style.Contains(fsItalic), style.Contains(fsUnderline), style.Contains(fsStrikeOut),
                                FFont->GetCharset(), 0, 0, 0, PitchBits(FFont->GetPitch()), FFont->GetName().c_str()));
  if (!font) OutOfResources();
  HGDIOBJ previous = SelectObject(FHandle, font.get());
  if (FOldFont == nullptr) FOldFont = previous;
  FRealFont = std::move(font);
  SetTextColor(FHandle, static_cast<COLORREF>(ColorToRGB(FFont->GetColor())));
  FState |= csFontValid;
}

void TCanvas::DeselectHandles() {
  for (HGDIOBJ* old : {&FOldPen, &FOldBrush, &FOldFont}) {
    if (*old) SelectObject(FHandle, *old);
    *old = nullptr;
  }
  FRealPen.reset();
  FRealBrush.reset();
  FRealFont.reset();
  FState &= ~(csPenValid | csBrushValid | csFontValid);
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

void TCanvas::MoveTo(int X, int Y) {
  RequiredState(csHandleValid);
  MoveToEx(FHandle, X, Y, nullptr);
  FPenPos = TPoint(X, Y);
}

void TCanvas::LineTo(int X, int Y) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::LineTo(FHandle, X, Y);
  FPenPos = TPoint(X, Y);
  Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Rectangle(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  ::Ellipse(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::Polygon(std::span<const TPoint> Points) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  const std::vector<POINT> points(Points.begin(), Points.end());
  ::Polygon(FHandle, points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::FillRect(const TRect& Rect) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  if (FRealBrush) ::FillRect(FHandle, &Rect, FRealBrush.get());
  Changed();
}

void TCanvas::TextOut(int X, int Y, const AnsiString& Text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  TextOutA(FHandle, X, Y, Text.c_str(), static_cast<int>(Text.size()));
  Changed();
}

TSize TCanvas::TextExtent(const AnsiString& Text) {
  RequiredState(csHandleValid | csFontValid);
  TSize size{0, 0};
  if (!GetTextExtentPoint32A(FHandle, Text.c_str(), static_cast<int>(Text.size()), &size)) size = TSize{0, 0};
  return size;
}

TColor TCanvas::GetPixels(int X, int Y) {
  RequiredState(csHandleValid);
  return static_cast<TColor>(GetPixel(FHandle, X, Y));
}

void TCanvas::SetPixels(int X, int Y, TColor Value) {
  Changing();
  RequiredState(csHandleValid | csPenValid);
  SetPixel(FHandle, X, Y, static_cast<COLORREF>(ColorToRGB(Value)));
  Changed();
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
  if (Graphic == nullptr || Graphic->GetEmpty()) return;
  StretchDraw(Bounds(X, Y, Graphic->GetWidth(), Graphic->GetHeight()), Graphic);
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic) {
  if (Graphic == nullptr || Graphic->GetEmpty()) return;
  Changing();
  RequiredState(csHandleValid);
  Graphic->Draw(this, Rect);
  Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  HDC source = Canvas->GetHandle();
  StretchBlt(FHandle, Dest.left, Dest.top, Dest.Width(), Dest.Height(), source, Source.left, Source.top,
             Source.Width(), Source.Height(), FCopyMode);
  Changed();
}

void TCanvas::BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color) {
  if (Bitmap == nullptr || Bitmap->GetEmpty()) return;
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  const int w = Source.Width(), h = Source.Height();
  // A mask set where the bitmap has Color, then: the brush where the mask is set, else the bitmap.
  vcl::GdiBitmap maskBitmap(CreateBitmap(w, h, 1, 1, nullptr));
  vcl::MemoryDC mask(CreateCompatibleDC(nullptr));
  if (!maskBitmap || !mask) OutOfResources();
  HGDIOBJ previousMask = SelectObject(mask.get(), maskBitmap.get());
  HDC source = Bitmap->GetCanvas()->GetHandle();
  const COLORREF sourceBack = SetBkColor(source, static_cast<COLORREF>(ColorToRGB(Color)));
  BitBlt(mask.get(), 0, 0, w, h, source, Source.left, Source.top, SRCCOPY);
  SetBkColor(source, sourceBack);
  StretchBlt(FHandle, Dest.left, Dest.top, Dest.Width(), Dest.Height(), source, Source.left, Source.top, w, h, SRCCOPY);
  const COLORREF text = SetTextColor(FHandle, RGB(0, 0, 0));
  const COLORREF back = SetBkColor(FHandle, RGB(255, 255, 255));
  StretchBlt(FHandle, Dest.left, Dest.top, Dest.Width(), Dest.Height(), mask.get(), 0, 0, w, h, 0x00E20746);
  SetTextColor(FHandle, text);
  SetBkColor(FHandle, back);
  SelectObject(mask.get(), previousMask);
  Changed();
}

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const AnsiString& Text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  const UINT options = ETO_CLIPPED | (FBrush->GetStyle() == bsClear ? 0 : ETO_OPAQUE);
  ExtTextOutA(FHandle, X, Y, options, &Rect, Text.c_str(), static_cast<UINT>(Text.size()), nullptr);
  Changed();
}

void TCanvas::Lock() {
  FLock.lock();
  FLockCount.fetch_add(1, std::memory_order_relaxed);
}

void TCanvas::Unlock() {
  FLockCount.fetch_sub(1, std::memory_order_relaxed);
  FLock.unlock();
}

bool TCanvas::TryLock() {
  if (!FLock.try_lock()) return false;
  FLockCount.fetch_add(1, std::memory_order_relaxed);
  return true;
}

int TCanvas::GetLockCount() const { return FLockCount.load(std::memory_order_relaxed); }
