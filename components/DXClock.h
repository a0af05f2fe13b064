// The analog clock overlay: the local time drawn with GDI onto the display owner's back surface,
// its geometry precomputed (tables in the constructor, sizes whenever the radius is set).
#pragma once

#include <array>

#include "components/DDmain.h"
#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"

// Every size and hand shape that SetRadius derives from the radius; all 0 until it runs.
// Shapes point to 12 o'clock, y growing downwards.
struct TClockSizes {
  int DiscRadius = 0;
  int MinuteDotRadius = 0;
  int FiveMinuteDotRadius = 0;
  int QuarterHalfSide = 0;
  int HourLength = 0;
  int HourHalfWidth = 0;
  int MinuteLength = 0;
  int MinuteHalfWidth = 0;
  std::array<TPoint, 4> HourShape{};
  std::array<TPoint, 4> MinuteShape{};
  std::array<TPoint, 2> SecondShape{};
};

class TDXClock : public TComponent {
 public:
  explicit TDXClock(TComponent* AOwner);
  ~TDXClock() override;

  TDDmain* DDmainModule = nullptr;
  int GetXcenter() const { return Xcenter; }
  void SetXcenter(int Value) { Xcenter = Value; }
  int GetYcenter() const { return Ycenter; }
  void SetYcenter(int Value) { Ycenter = Value; }
  int GetRadius() const { return Radius; }
  // Stores the radius and derives every size and shape from it.
  void SetRadius(int Value);
  TColor GetColor() const { return Color; }
  void SetColor(TColor Value) { Color = Value; }

  // Draws the clock for the current local time; skipped while the display owner has no back
  // surface whose device context can be had, and for a clock that would reach more than 2^24
  // pixels from the origin (a centre or radius no screen can show).
  void ShowClock();

  const TClockSizes& GetSizes() const { return FSizes; }
  // The dial index of the hour hand: five steps an hour, one more every 12 minutes.
  static int HourIndex(int Hour, int Minute);

 private:
  // A shape point turned by dial index Index around the centre.
  POINT Rotate(const TPoint& Point, int Index) const;
  // Dial point Index on the circle of the radius.
  TPoint DialPoint(int Index) const;
  void DrawDots(HDC dc, int Step, int Half, bool Square) const;
  bool WithinReach() const;

  std::array<float, 60> FSin{};
  std::array<float, 60> FCos{};
  int Xcenter = 200;
  int Ycenter = 200;
  int Radius = 60;
  TClockSizes FSizes;
  std::array<POINT, 4> FMinutePolygon{};
  std::array<POINT, 4> FHourPolygon{};
  TColor Color = clWhite;
};

namespace DXClock {
// Puts TDXClock on the palette page "roVivavaV" (design time only).
void Register();
}  // namespace DXClock
