// The analog clock overlay: 77 dots and squares, two filled hands and a second line, in one
// colour, drawn through the back surface's device context for the time GetLocalTime reports.
#include "components/DXClock.h"

#include <bit>
#include <cmath>
#include <cstdlib>

#include "platform/win32/Kernel32.h"

namespace {

// The full turn as the clock's tables have always used it, a shade below the float nearest 2 pi.
const float kTurn = std::bit_cast<float>(0x40C90FD8u);

// A clock reaching further than this from the origin is larger than any screen. Refusing it
// keeps every coordinate handed to GDI, and every sum of two of them, far inside the int range,
// and a frame's clock cheap: the hands' outlines are walked point by point, on screen or not.
constexpr long long kMaxReach = 1 << 16;

}  // namespace

TDXClock::TDXClock(TComponent* AOwner) : TComponent(AOwner) {
  for (int i = 0; i < 60; ++i) {
    const auto angle = static_cast<double>(static_cast<long double>(kTurn) * i * (1.0L / 60.0L));
    FSin[i] = static_cast<float>(std::sin(angle));
    FCos[i] = static_cast<float>(std::cos(angle));
  }
}

TDXClock::~TDXClock() = default;

void TDXClock::SetRadius(int Value) {
  Radius = Value;
  const int r = Value;
  const bool small = r < 80;
  FSizes.DiscRadius = r / 40;
  FSizes.MinuteDotRadius = small ? 1 : r / 70;
  FSizes.FiveMinuteDotRadius = small ? 2 : r / 40;
  FSizes.QuarterHalfSide = small ? 2 : r / 30;
  FSizes.HourLength = r - r / 3;
  FSizes.HourHalfWidth = r / 20;
  FSizes.MinuteLength = r - r / 10;
  FSizes.MinuteHalfWidth = r / 30;
  const int lh = FSizes.HourLength, wh = FSizes.HourHalfWidth;
  const int lm = FSizes.MinuteLength, wm = FSizes.MinuteHalfWidth;
  FSizes.HourShape = {TPoint(0, -lh), TPoint(wh, 0), TPoint(0, wh / 2), TPoint(-wh, 0)};
  FSizes.MinuteShape = {TPoint(0, -lm), TPoint(wm, 0), TPoint(0, wm), TPoint(-wm, 0)};
  FSizes.SecondShape = {TPoint(0, -(r - r / 20)), TPoint(0, r / 6)};
}

int TDXClock::HourIndex(int Hour, int Minute) { return (Hour >= 12 ? Hour - 12 : Hour) * 5 + Minute / 12; }

TPoint TDXClock::DialPoint(int Index) const {
  const long double r = Radius;
  return TPoint(static_cast<int>(Xcenter - r * FSin[Index]), static_cast<int>(Ycenter + r * FCos[Index]));
}

POINT TDXClock::Rotate(const TPoint& Point, int Index) const {
  // A time the clock source reports out of range must not read past the tables.
  const int k = ((Index % 60) + 60) % 60;
  const long double a = Point.x, b = Point.y;
  return POINT{static_cast<LONG>(Xcenter + a * FCos[k] - b * FSin[k]),
               static_cast<LONG>(Ycenter + a * FSin[k] + b * FCos[k])};
}

void TDXClock::DrawDots(HDC dc, int Step, int Half, bool Square) const {
  for (int i = 0; i < 60; i += Step) {
    const TPoint p = DialPoint(i);
    if (Square) {
      Rectangle(dc, p.x - Half, p.y - Half, p.x + Half, p.y + Half);
    } else {
      Ellipse(dc, p.x - Half, p.y - Half, p.x + Half, p.y + Half);
    }
  }
}

bool TDXClock::WithinReach() const {
  // Dots and hands stay within twice the radius of the centre.
  const long long reach = 2 * std::llabs(static_cast<long long>(Radius));
  return std::llabs(static_cast<long long>(Xcenter)) + reach <= kMaxReach &&
         std::llabs(static_cast<long long>(Ycenter)) + reach <= kMaxReach;
}

void TDXClock::ShowClock() {
  // The stored centre and radius are not bounded.
  if (!WithinReach()) return;
  SYSTEMTIME now{};
  GetLocalTime(&now);
  // Without a back surface (display closed, or its device context refused) this frame has no clock.
  IDirectDrawSurface7* back = DDmainModule ? DDmainModule->FpDDSBack : nullptr;
  HDC dc = nullptr;
  if (!back || FAILED(back->GetDC(&dc))) return;
  HPEN pen = CreatePen(PS_SOLID, 1, static_cast<COLORREF>(Color));
  HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(Color));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);

  const int d = FSizes.DiscRadius;
  Ellipse(dc, Xcenter - d, Ycenter - d, Xcenter + d, Ycenter + d);
  DrawDots(dc, 1, FSizes.MinuteDotRadius, false);
  DrawDots(dc, 5, FSizes.FiveMinuteDotRadius, false);
  DrawDots(dc, 15, FSizes.QuarterHalfSide, true);

  const int hour = HourIndex(now.wHour, now.wMinute);
  for (int p = 0; p < 4; ++p) FHourPolygon[p] = Rotate(FSizes.HourShape[p], hour);
  Polygon(dc, FHourPolygon.data(), 4);
  for (int p = 0; p < 4; ++p) FMinutePolygon[p] = Rotate(FSizes.MinuteShape[p], now.wMinute);
  Polygon(dc, FMinutePolygon.data(), 4);
  const POINT tip = Rotate(FSizes.SecondShape[0], now.wSecond);
  const POINT tail = Rotate(FSizes.SecondShape[1], now.wSecond);
  MoveToEx(dc, tip.x, tip.y, nullptr);
  LineTo(dc, tail.x, tail.y);

  SelectObject(dc, oldPen);
  DeleteObject(pen);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
  back->ReleaseDC(dc);
}

void DXClock::Register() { RegisterComponents("roVivavaV", {ComponentClassOf<TDXClock>()}); }
