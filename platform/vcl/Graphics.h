// The class library's graphics: colours, rectangles, pens, brushes, fonts, the canvas over a
// device context, and the picture classes (TGraphic, TBitmap, TPicture) with their errors.
#pragma once

#include <cstdint>
#include <atomic>
#include <functional>
#include <mutex>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/vcl/Classes.h"
#include "platform/vcl/GdiObject.h"
#include "platform/vcl/Sets.h"

// A picture that cannot be read ("Bitmap image is not valid", the JPEG library's message).
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};
// An operation a picture does not support ("Scan line index out of range").
class EInvalidGraphicOperation : public Exception {
 public:
  using Exception::Exception;
};
// The drawing layer refused a bitmap, device context or object ("Out of system resources").
class EOutOfResources : public EOutOfMemory {
 public:
  using EOutOfMemory::EOutOfMemory;
};

// Colours: 0x00BBGGRR; with the top bit set, the low byte names a system colour.
using TColor = std::int32_t;
constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                 clLtGray = clSilver, clDkGray = clGray;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }
constexpr TColor clScrollBar = SystemColor(0), clBackground = SystemColor(1), clActiveCaption = SystemColor(2),
                 clInactiveCaption = SystemColor(3), clMenu = SystemColor(4), clWindow = SystemColor(5),
                 clWindowFrame = SystemColor(6), clMenuText = SystemColor(7), clWindowText = SystemColor(8),
                 clCaptionText = SystemColor(9), clActiveBorder = SystemColor(10),
                 clInactiveBorder = SystemColor(11), clAppWorkSpace = SystemColor(12),
                 clHighlight = SystemColor(13), clHighlightText = SystemColor(14), clBtnFace = SystemColor(15),
                 clBtnShadow = SystemColor(16), clGrayText = SystemColor(17), clBtnText = SystemColor(18),
                 clInactiveCaptionText = SystemColor(19), clBtnHighlight = SystemColor(20),
                 cl3DDkShadow = SystemColor(21), cl3DLight = SystemColor(22), clInfoText = SystemColor(23),
                 clInfoBk = SystemColor(24);

// The RGB value of a colour, system colours resolved (the standard scheme); others unchanged.
TColor ColorToRGB(TColor Color);

// Points and rectangles in the platform's layout, with the class library's helpers.
struct TPoint : POINT {
  constexpr TPoint() : POINT{0, 0} {}
  constexpr TPoint(int X, int Y) : POINT{X, Y} {}
};
struct TRect : RECT {
  constexpr TRect() : RECT{0, 0, 0, 0} {}
  constexpr TRect(int Left, int Top, int Right, int Bottom) : RECT{Left, Top, Right, Bottom} {}
  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
  friend constexpr bool operator==(const TRect& a, const TRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};
using TSize = SIZE;
constexpr TRect Rect(int Left, int Top, int Right, int Bottom) { return TRect(Left, Top, Right, Bottom); }
constexpr TRect Bounds(int ALeft, int ATop, int AWidth, int AHeight) {
  return TRect(ALeft, ATop, ALeft + AWidth, ATop + AHeight);
}
constexpr TPoint Point(int AX, int AY) { return TPoint(AX, AY); }

// Base of the pen, the brush and the font: plain values that report every change.
class TGraphicsObject : public TPersistent {
 public:
  TNotifyEvent OnChange;

 protected:
  void Changed();
};

enum TPenStyle {
  psSolid = PS_SOLID, psDash = PS_DASH, psDot = PS_DOT, psDashDot = PS_DASHDOT, psDashDotDot = PS_DASHDOTDOT,
  psClear = PS_NULL, psInsideFrame = PS_INSIDEFRAME
};
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

class TPen : public TGraphicsObject {
 public:
  void Assign(TPersistent* Source) override;
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  int GetWidth() const { return FWidth; }
  void SetWidth(int Value);
  TPenStyle GetStyle() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  TPenMode GetMode() const { return FMode; }
  void SetMode(TPenMode Value);

 private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};

enum TBrushStyle { bsSolid, bsClear };

class TBrush : public TGraphicsObject {
 public:
  void Assign(TPersistent* Source) override;
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  TBrushStyle GetStyle() const { return FStyle; }
  void SetStyle(TBrushStyle Value);

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

using TFontStyles = TSet<TFontStyle>;

enum TFontPitch { fpDefault, fpVariable, fpFixed };
// The pitch bits of a font request (LOGFONTA's lfPitchAndFamily).
constexpr BYTE PitchBits(TFontPitch Pitch) {
  return Pitch == fpVariable ? VARIABLE_PITCH : Pitch == fpFixed ? FIXED_PITCH : DEFAULT_PITCH;
}
using TFontCharset = BYTE;
constexpr TFontCharset ANSI_CHARSET = 0, DEFAULT_CHARSET = 1;

// What a new font starts with.
struct TFontData {
  AnsiString Name;
  TFontPitch Pitch;
  TFontCharset Charset;
};
inline const TFontData DefFontData{"Sans", fpDefault, DEFAULT_CHARSET};

// A font by face name and size. `Size` is in points, `Height` in pixels (negative: the
// character height without internal leading), one derived from the other at PixelsPerInch.
class TFont : public TGraphicsObject {
 public:
  static constexpr int PixelsPerInch = 96;
  void Assign(TPersistent* Source) override;
  const AnsiString& GetName() const { return FName; }
  void SetName(const AnsiString& Value);
  int GetSize() const;
  void SetSize(int Value);
  int GetHeight() const { return FHeight; }
  void SetHeight(int Value);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  TFontStyles GetStyle() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  TFontPitch GetPitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);
  TFontCharset GetCharset() const { return FCharset; }
  void SetCharset(TFontCharset Value);

 private:
  AnsiString FName = DefFontData.Name;
  int FHeight = -11;  // 8 points
  TColor FColor = clWindowText;
  TFontStyles FStyle;
  TFontPitch FPitch = DefFontData.Pitch;
  TFontCharset FCharset = DefFontData.Charset;
};

// Raster operations of CopyRect, Draw and StretchDraw.
using TCopyMode = DWORD;
constexpr TCopyMode cmBlackness = BLACKNESS, cmDstInvert = DSTINVERT, cmMergeCopy = MERGECOPY,
                    cmMergePaint = MERGEPAINT, cmNotSrcCopy = NOTSRCCOPY, cmNotSrcErase = NOTSRCERASE,
                    cmPatCopy = PATCOPY, cmPatInvert = PATINVERT, cmPatPaint = PATPAINT, cmSrcAnd = SRCAND,
                    cmSrcCopy = SRCCOPY, cmSrcErase = SRCERASE, cmSrcInvert = SRCINVERT,
                    cmSrcPaint = SRCPAINT, cmWhiteness = WHITENESS;

class TGraphic;
class TBitmap;

enum TCanvasOrientation { coLeftToRight, coRightToLeft };

// Drawing on a device context that someone else owns (a surface's, a window's), or on one the
// canvas makes itself (CreateHandle). Pen, brush and font reach the device context only when a
// drawing operation needs them; the canvas puts the context's own objects back when it lets go.
class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // The device context with pen, brush and font selected. Without one, CreateHandle is asked;
  // a canvas that still has none raises EInvalidOperation "Canvas does not allow drawing".
  HDC GetHandle();
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  TPen* GetPen() const { return FPen.get(); }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  TBrush* GetBrush() const { return FBrush.get(); }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
  TFont* GetFont() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TCopyMode GetCopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
  TPoint GetPenPos();
  void SetPenPos(const TPoint& Value) { MoveTo(Value.x, Value.y); }

  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& Rect) { Rectangle(Rect.left, Rect.top, Rect.right, Rect.bottom); }
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Ellipse(const TRect& Rect) { Ellipse(Rect.left, Rect.top, Rect.right, Rect.bottom); }
  void Polygon(std::span<const TPoint> Points);
  void FillRect(const TRect& Rect);
  void TextOut(int X, int Y, const AnsiString& Text);
  TSize TextExtent(const AnsiString& Text);
  int TextWidth(const AnsiString& Text) { return TextExtent(Text).cx; }
  int TextHeight(const AnsiString& Text) { return TextExtent(Text).cy; }
  // The colour at a pixel (-1 outside the device context's bitmap), and setting it.
  TColor GetPixels(int X, int Y);
  void SetPixels(int X, int Y, TColor Value);

  // Graphic at its own size at (X, Y); stretched into Rect; an empty or null graphic draws nothing.
  void Draw(int X, int Y, TGraphic* Graphic);
  void StretchDraw(const TRect& Rect, TGraphic* Graphic);
  // Source of Canvas onto Dest of this canvas, stretched to fit, with CopyMode.
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);
  // Source of Bitmap onto Dest, stretched to fit, its pixels of Color replaced by the brush.
  void BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color);
  // Text at (X, Y) kept within Rect, which a solid brush fills first.
  void TextRect(const TRect& Rect, int X, int Y, const AnsiString& Text);
  // This layer has no mirrored device contexts: always left to right.
  TCanvasOrientation GetCanvasOrientation() const { return coLeftToRight; }

  // Serialises drawing from several threads; calls nest within one thread.
  void Lock();
  void Unlock();
  bool TryLock();
  int GetLockCount() const;

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  // Makes a device context when the canvas has none; the base makes none.
  virtual void CreateHandle() {}
  void Changing();
  void Changed();

 private:
  static constexpr unsigned csHandleValid = 1, csPenValid = 2, csBrushValid = 4, csFontValid = 8,
                            csAllValid = 15;
  void RequiredState(unsigned State);
  void RealizePen();
  void RealizeBrush();
  void RealizeFont();
  void DeselectHandles();

  HDC FHandle = nullptr;
  unsigned FState = 0;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TFont> FFont;
  TCopyMode FCopyMode = cmSrcCopy;
  TPoint FPenPos;
  vcl::GdiPen FRealPen;
  vcl::GdiBrush FRealBrush;
  vcl::GdiFont FRealFont;
  HGDIOBJ FOldPen = nullptr;
  HGDIOBJ FOldBrush = nullptr;
  HGDIOBJ FOldFont = nullptr;
  std::recursive_mutex FLock;
  std::atomic<int> FLockCount{0};
};

enum TProgressStage { psStarting, psRunning, psEnding };
using TProgressEvent = std::function<void(TObject* Sender, TProgressStage Stage, BYTE PercentDone,
                                          bool RedrawNow, const TRect& R, const AnsiString& Msg)>;

// A picture of any format. Getters that a format may answer only after decoding are not const.
class TGraphic : public TPersistent {
 public:
  virtual bool GetEmpty() = 0;
  virtual int GetWidth() = 0;
  virtual void SetWidth(int Value) = 0;
  virtual int GetHeight() = 0;
  virtual void SetHeight(int Value) = 0;
  virtual HPALETTE GetPalette() { return nullptr; }
  virtual void SetPalette(HPALETTE) {}
  virtual bool GetTransparent() { return FTransparent; }
  virtual void SetTransparent(bool Value);
  bool GetModified() const { return FModified; }
  void SetModified(bool Value);
  // Set when the picture's palette changed, for whoever realises it.
  bool GetPaletteModified() const { return FPaletteModified; }
  void SetPaletteModified(bool Value) { FPaletteModified = Value; }

  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;
  virtual void LoadFromFile(const AnsiString& FileName);
  virtual void SaveToFile(const AnsiString& FileName);
  // An empty graphic of the same class (the class library's virtual constructor).
  virtual std::unique_ptr<TGraphic> NewGraphic() const = 0;
  // The picture as clipboard data: a format, its data and a palette (or null), which become
  // the clipboard's; and back. A class without a clipboard form raises EInvalidGraphic
  // "Clipboard does not support this picture".
  virtual void SaveToClipboardFormat(WORD& AFormat, HANDLE& AData, HPALETTE& APalette);
  virtual void LoadFromClipboardFormat(WORD AFormat, HANDLE AData, HPALETTE APalette);

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

 protected:
  friend class TCanvas;
  // Draws the picture stretched into Rect of ACanvas (TCanvas::Draw and StretchDraw call it).
  virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;
  virtual void Changed(TObject* Sender);
  void Progress(TObject* Sender, TProgressStage Stage, BYTE PercentDone, bool RedrawNow, const TRect& R,
                const AnsiString& Msg);

 private:
  bool FTransparent = false;
  bool FModified = false;
  bool FPaletteModified = false;
};

// Picture data that copies of a picture share; the last Release frees it.
class TSharedImage {
 public:
  TSharedImage() = default;
  virtual ~TSharedImage() = default;
  TSharedImage(const TSharedImage&) = delete;
  TSharedImage& operator=(const TSharedImage&) = delete;
  void Reference() { ++FRefCount; }
  void Release();
  int GetRefCount() const { return FRefCount; }

 protected:
  // Lets go of what the data holds before it is freed.
  virtual void FreeHandle() = 0;

 private:
  int FRefCount = 0;
};

namespace vcl {

// One reference to shared picture data, released when it goes.
template <class T>
class SharedImageRef {
 public:
  SharedImageRef() = default;
  explicit SharedImageRef(T* Image) : image_(Image) {
    if (image_) image_->Reference();
  }
  SharedImageRef(const SharedImageRef& other) : SharedImageRef(other.image_) {}
  SharedImageRef& operator=(const SharedImageRef& other) {
    SharedImageRef(other).swap(*this);
    return *this;
  }
  ~SharedImageRef() {
    if (image_) image_->Release();
  }
  void swap(SharedImageRef& other) noexcept { std::swap(image_, other.image_); }
  T* get() const { return image_; }
  T* operator->() const { return image_; }
  T& operator*() const { return *image_; }
  explicit operator bool() const { return image_ != nullptr; }

 private:
  T* image_ = nullptr;
};

}  // namespace vcl

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };
enum TBitmapHandleType { bmDIB, bmDDB };
enum TTransparentMode { tmAuto, tmFixed };

class TBitmapCanvas;

// A picture held as a device-independent bitmap. New areas take the canvas's brush colour.
// pf16bit images are 5-6-5, pf15bit ones 5-5-5 in 16 bits. pfDevice is the desktop's depth.
// Bitmaps assigned from one another share one image until one of them may change its pixels.
class TBitmap : public TGraphic {
 public:
  TBitmap();
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  // From a TBitmap: its image, shared; from nil: empty; from other pictures through their AssignTo.
  void Assign(TPersistent* Source) override;

  // A canvas on a memory device context that holds the bitmap (its own image from then on).
  TCanvas* GetCanvas();
  // The DIB section (null when empty), the bitmap's own from then on, as its pixels may be
  // changed through it. Setting takes ownership of a bitmap made by the drawing layer; a handle
  // that is no bitmap raises EInvalidGraphic and stays the caller's.
  HBITMAP GetHandle();
  void SetHandle(HBITMAP Value);
  TPixelFormat GetPixelFormat() const { return FImage->PixelFormat; }
  // Converts the image; 1, 4 and 8 bits get a standard palette unless already paletted.
  void SetPixelFormat(TPixelFormat Value);
  // Row Row's pixels, top row first, of the bitmap's own image; EInvalidGraphicOperation "Scan
  // line index out of range".
  void* GetScanLine(int Row);
  // One bit per pixel in black and white. Setting it converts as the device does: to
  // monochrome, the canvas's brush colour becomes white and every other colour black; from
  // monochrome (to the desktop's depth), black becomes the font colour and white the brush colour.
  bool GetMonochrome() const;
  void SetMonochrome(bool Value);
  // A device-dependent bitmap has the desktop's depth (monochrome ones stay monochrome).
  TBitmapHandleType GetHandleType() const { return FHandleType; }
  void SetHandleType(TBitmapHandleType Value);
  // In tmAuto the colour of the bottom-left pixel (white for monochrome), as a palette-relative
  // colour; setting a colour other than clDefault makes the mode tmFixed.
  TColor GetTransparentColor();
  void SetTransparentColor(TColor Value);
  TTransparentMode GetTransparentMode() const { return FTransparentColor == clDefault ? tmAuto : tmFixed; }

  bool GetEmpty() override { return !FImage->Handle; }
  int GetWidth() override { return FImage->Width; }
  void SetWidth(int Value) override { SetSize(Value, FImage->Height); }
  int GetHeight() override { return FImage->Height; }
  void SetHeight(int Value) override { SetSize(FImage->Width, Value); }
  void SetSize(int AWidth, int AHeight);
  // A palette made from the colour table of a 1-, 4- or 8-bit image, owned by the bitmap; null
  // for other depths. Setting copies the entries into the colour table.
  HPALETTE GetPalette() override;
  void SetPalette(HPALETTE Value) override;

  // BMP files: 1, 4, 8, 16, 24 and 32 bits, uncompressed, bit fields, RLE8 and RLE4, both row
  // orders; 16-bit files of 5-5-5 are read as pf15bit and written so again, other 16-bit ones
  // as pf16bit. Damaged data raises EInvalidGraphic "Bitmap image is not valid" and keeps the image.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // A BITMAP resource of the module: a BMP without its file header. EResNotFound when missing.
  void LoadFromResourceName(HINSTANCE Instance, const AnsiString& ResName);
  void LoadFromResourceID(HINSTANCE Instance, int ResID);
  // The image always stays in memory, so there is nothing to release.
  void Dormant() {}
  void FreeImage() {}

  std::unique_ptr<TGraphic> NewGraphic() const override;
  // CF_BITMAP: a copy of the image, with a copy of its palette when it has one; CF_DIB is
  // read too.
  void SaveToClipboardFormat(WORD& AFormat, HANDLE& AData, HPALETTE& APalette) override;
  void LoadFromClipboardFormat(WORD AFormat, HANDLE AData, HPALETTE APalette) override;

 protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  friend class TBitmapCanvas;
  // One image: its DIB section and what describes it.
  struct TBitmapImage {
    vcl::GdiBitmap Handle;
    int Width = 0;
    int Height = 0;
    TPixelFormat PixelFormat = pfDevice;
    std::vector<RGBQUAD> Colors;  // colour table of 1-, 4- and 8-bit images
  };
  static TBitmapImage NewImage(int AWidth, int AHeight, TPixelFormat Format, std::vector<RGBQUAD> Colors);
  void ReadDIB(std::span<const std::byte> Dib, std::size_t BitsOffset);
  void CopyInto(TBitmapImage& Target, bool FillWithBrush);
  void SetImage(TBitmapImage Image) { SetImage(std::make_shared<TBitmapImage>(std::move(Image))); }
  void SetImage(std::shared_ptr<TBitmapImage> Image);
  // Before the pixels may change: a shared image is copied, so the others keep theirs.
  void OwnImage();

  // Never null; only ever replaced, its pixels changed only while no other bitmap shares it.
  std::shared_ptr<TBitmapImage> FImage = std::make_shared<TBitmapImage>();
  TBitmapHandleType FHandleType = bmDIB;
  TColor FTransparentColor = clDefault;
  vcl::GdiPalette FPalette;
  std::unique_ptr<TBitmapCanvas> FCanvas;
};

// Makes an empty graphic of one class; the picture's file formats are kept as these.
using TGraphicClass = std::unique_ptr<TGraphic> (*)();
template <class T>
std::unique_ptr<TGraphic> CreateGraphic() {
  return std::make_unique<T>();
}

// Holds one graphic of any class (a copy of what it is given) and reports its changes.
class TPicture : public TPersistent {
 public:
  TPicture();
  ~TPicture() override;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  TGraphic* GetGraphic() const { return FGraphic.get(); }
  // Keeps a copy of Value (null: none).
  void SetGraphic(TGraphic* Value);
  // The graphic as a bitmap; a graphic of another class is replaced by an empty bitmap.
  TBitmap* GetBitmap();
  int GetWidth() const;
  int GetHeight() const;
  // The class comes from the file's extension; an unknown one raises EInvalidGraphic
  // "Unknown picture file extension (.%s)".
  void LoadFromFile(const AnsiString& FileName);
  void SaveToFile(const AnsiString& FileName);
  // From a TPicture or a TGraphic: a copy of its graphic; from nil: none.
  void Assign(TPersistent* Source) override;

  // File extensions (without the dot, any case) that LoadFromFile knows; "bmp", "jpg", "jpeg"
  // and "ico" are known from the start.
  static void RegisterFileFormat(const AnsiString& Extension, const AnsiString& Description,
                                 TGraphicClass GraphicClass);
  static void UnregisterGraphicClass(TGraphicClass GraphicClass);
  // Clipboard formats whose data a graphic class reads; CF_BITMAP is known from the start.
  static void RegisterClipboardFormat(WORD AFormat, TGraphicClass AGraphicClass);
  static bool SupportsClipboardFormat(WORD AFormat);
  // A new graphic of the format's class, read from the data; EInvalidGraphic "Unsupported
  // clipboard format" for a format no class reads.
  void LoadFromClipboardFormat(WORD AFormat, HANDLE AData, HPALETTE APalette);
  void SaveToClipboardFormat(WORD& AFormat, HANDLE& AData, HPALETTE& APalette);

  TNotifyEvent OnChange;

 protected:
  // A graphic destination is assigned this picture's graphic (its own rules decide).
  void AssignTo(TPersistent* Dest) override;
  virtual void Changed(TObject* Sender);

 private:
  void TakeGraphic(std::unique_ptr<TGraphic> Graphic);
  std::unique_ptr<TGraphic> FGraphic;
};
