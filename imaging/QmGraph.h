// Pixel formats of bitmaps: a bitmap as a complete BMP of 1, 4, 8 or 24 bits in a memory
// stream, in-place format changes, the six reductions to 8 bits, zoom, tile and the gradient.
#pragma once

#include <memory>

#include "imaging/QmUtils.h"
#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"

// How a picture is reduced to 256 colours.
enum TMappingMethod {
  mmHistogram,  // the most frequent colours (popularity)
  mmQuantize,   // median cut of a 4-4-4 colour cube
  mmTrunc784,   // fixed 7 x 8 x 4 levels
  mmTrunc666,   // fixed 6 x 6 x 6 levels
  mmTripel,     // one of three 64-step ramps per pixel, by position
  mmGrayscale,  // 256 greys
};

// The program-wide method for 8-bit output; BitmapToMemory uses it.
extern TMappingMethod DefaultMappingMethod;

// The screen's format from its planes times bits per pixel: 1, 4, 8 or 24 bits, else pfDevice.
TPixelFormat ScreenPixelFormat();
// 2, 16 or 256 for the formats of that many colours, else 0.
int ScreenColorCount();
// The format the entry count of the bitmap's palette calls for; pfDevice without a palette,
// for an empty one and for more than 256 entries.
TPixelFormat GetPaletteBitmapFormat(TBitmap* Bitmap);
TPixelFormat GetBitmapPixelFormat(TBitmap* Bitmap);

// A new stream, at position 0, holding the bitmap as a BMP file in PixelFormat (1, 4, 8 or 24
// bits), reduced by Method for 8 bits. A bitmap already in that format saves itself, unless
// grey is asked for. No handle: EInvalidGraphic "Bitmap image is not valid"; another format:
// NotImplemented; memory that cannot be had: EOutOfMemory.
std::unique_ptr<TMemoryStream> BitmapToMemoryStream(TBitmap* Bitmap, TPixelFormat PixelFormat, TMappingMethod Method);
// The format for a colour count (2: 1 bit, 16: 4 bits, 256: 8 bits, more: 24 bits) with
// DefaultMappingMethod.
std::unique_ptr<TMemoryStream> BitmapToMemory(TBitmap* Bitmap, int Colors);
// The BMP of BitmapToMemory in a file, created or overwritten; a 1-bit bitmap stays 1-bit.
void SaveBitmapToFile(const AnsiString& FileName, TBitmap* Bitmap, int Colors);
// Converts the bitmap in place when it has a handle and another format; a failure leaves it.
void SetBitmapPixelFormat(TBitmap* Bitmap, TPixelFormat PixelFormat, TMappingMethod Method);
// The bitmap as 256 greys, also when it is 8-bit already.
void GrayscaleBitmap(TBitmap* Bitmap);

// The size to show a picture at in a box: the box itself without Stretch; with it, the
// picture's proportions filling 98% of the box on its limiting side; (0, 0) for any size of 0.
TPoint ZoomImage(int ImageW, int ImageH, int MaxW, int MaxH, bool Stretch);
// Covers Rect of the canvas with copies of Image from its top-left corner, clipped to Rect.
void TileImage(TCanvas* Canvas, const TRect& Rect, TGraphic* Image);

// The picture-adaptive reductions over padded 24-bit rows (bottom row first, blue, green,
// red) described by Header: each fills the 256-entry colour table and writes 8-bit rows (width
// padded to 4) into Dest, which may be Source itself.
void PopularityPalette(const BITMAPINFOHEADER& Header, RGBQUAD* Colors, const BYTE* Source, int ColorsWanted,
                       BYTE* Dest);
// BoxCount: the most boxes on entry (256), the boxes made on return.
void MedianCutPalette(const BITMAPINFOHEADER& Header, const BYTE* Source, BYTE* Dest, RGBQUAD* Colors, int& BoxCount);
// The popularity histogram's hash slot of a colour.
int ColorHash(BYTE Red, BYTE Green, BYTE Blue);

// Gradient settings for the owner that paints with them.
class TQmGradient : public TPersistent {
 public:
  TQmGradient();
  void Assign(TPersistent* Source) override;
  // GradientFillRect with the settings, whatever Visible holds.
  void Draw(TCanvas* Canvas, const TRect& Rect);

  TFillDirection GetDirection() const { return FDirection; }
  void SetDirection(TFillDirection Value);
  TColor GetEndColor() const { return FEndColor; }
  void SetEndColor(TColor Value);
  TColor GetStartColor() const { return FStartColor; }
  void SetStartColor(TColor Value);
  BYTE GetStepCount() const { return FStepCount; }
  void SetStepCount(BYTE Value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);

  TNotifyEvent OnChange;

 protected:
  virtual void Changed();

 private:
  // A setter's work: only a new value is stored and reported.
  template <class T>
  void Store(T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    Changed();
  }

  TColor FStartColor = clSilver;
  TColor FEndColor = clGray;
  TFillDirection FDirection = fdTopToBottom;
  BYTE FStepCount = 64;
  bool FVisible = false;
};
