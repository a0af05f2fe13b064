// TBitmap: an image in a DIB section of the drawing layer, with its canvas on a memory device
// context, pixel-format changes, and BMP input and output through the BMP codec.
#include <algorithm>
#include <array>
#include <cstring>

#include "platform/gdi/GdiMemory.h"
#include "platform/gdi/PixelFormat.h"
#include "platform/gdi/SelectedBitmap.h"
#include "platform/user/Clipboard.h"
#include "platform/win32/GlobalMemory.h"
#include "platform/vcl/BmpCodec.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImageLimits.h"
#include "platform/vcl/StreamBytes.h"
#include "platform/win32/Resources.h"

namespace {

[[noreturn]] void OutOfResources() { throw EOutOfResources("Out of system resources"); }

int DesktopBitCount() {
  const int bits = GetDeviceCaps(gdi::ScreenDC(), BITSPIXEL);
  return bits == 16 || bits == 24 || bits == 32 ? bits : 32;
}

int BitCountOf(TPixelFormat format) {
  switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    case pfDevice: break;
  }
  return DesktopBitCount();
}

// 16-bit pixels of 5-5-5 are the 15-bit format.
TPixelFormat FormatOfBitCount(int bits, bool rgb555) {
  switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return rgb555 ? pf15bit : pf16bit;
    case 24: return pf24bit;
    default: return pf32bit;
  }
}

TPixelFormat FormatOf(const gdi::PixelBuffer& pixels) { return FormatOfBitCount(pixels.bitsPerPixel, pixels.rgb555); }

RGBQUAD Quad(COLORREF c) { return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0}; }
COLORREF Rgb(const RGBQUAD& q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); }

// Black and white; the sixteen standard colours; those sixteen, a 6 x 6 x 6 cube and a grey ramp.
std::vector<RGBQUAD> StandardColors(int bits) {
  static constexpr std::array<COLORREF, 16> kSixteen = {
      0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
      0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
  std::vector<RGBQUAD> colors;
  if (bits == 1) return {Quad(0x000000), Quad(0xFFFFFF)};
  for (COLORREF c : kSixteen) colors.push_back(Quad(c));
  if (bits == 4) return colors;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        colors.push_back(RGBQUAD{static_cast<BYTE>(b * 51), static_cast<BYTE>(g * 51), static_cast<BYTE>(r * 51), 0});
  for (int i = 0; colors.size() < 256; ++i) {
    const auto level = static_cast<BYTE>(8 + i * 10);
    colors.push_back(RGBQUAD{level, level, level, 0});
  }
  return colors;
}

// A memory device context holding one bitmap for the length of an operation; no context is
// out of resources.
class SelectedDC : public gdi::SelectedBitmap {
 public:
  explicit SelectedDC(HBITMAP bitmap) : gdi::SelectedBitmap(bitmap) {
    if (!get()) OutOfResources();
  }
};

std::byte* RowOf(HBITMAP bitmap, int row) {
  const gdi::PixelBuffer pixels = gdi::PixelsOf(bitmap);
  return pixels.bits + static_cast<std::ptrdiff_t>(row) * pixels.pitch;
}

// Copies the rows of one bitmap into another of the same size and depth as they are, so that
// palette indices stay exact; false (nothing copied) when the layouts differ.
bool CopyRows(HBITMAP from, HBITMAP to) {
  if (!from || !to) return false;
  const gdi::PixelBuffer source = gdi::PixelsOf(from);
  const gdi::PixelBuffer target = gdi::PixelsOf(to);
  if (source.width != target.width || source.height != target.height || FormatOf(source) != FormatOf(target))
    return false;
  const auto bytes = static_cast<std::size_t>(vcl::UsedRowBytes(source.width, source.bitsPerPixel));
  for (int y = 0; y < source.height; ++y)
    std::memcpy(target.bits + static_cast<std::ptrdiff_t>(y) * target.pitch,
                source.bits + static_cast<std::ptrdiff_t>(y) * source.pitch, bytes);
  return true;
}

std::span<const std::byte> BytesOf(TCustomMemoryStream& stream) {
  return {static_cast<const std::byte*>(stream.GetMemory()), static_cast<std::size_t>(stream.GetSize())};
}

}  // namespace

// The canvas of a bitmap: a memory device context made when first drawn on, holding the
// bitmap's current image; freed whenever the image is replaced.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* Bitmap) : FBitmap(Bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }

  void FreeContext() {
    if (!FDC) return;
    SetHandle(nullptr);
    SelectObject(FDC.get(), FOldBitmap);
    FOldBitmap = nullptr;
    FDC.reset();
  }

 protected:
  void CreateHandle() override {
    vcl::MemoryDC dc(CreateCompatibleDC(nullptr));
    if (!dc) OutOfResources();
    if (HBITMAP bitmap = FBitmap->GetHandle()) FOldBitmap = SelectObject(dc.get(), bitmap);
    FDC = std::move(dc);
    SetHandle(FDC.get());
  }

 private:
  TBitmap* FBitmap;
  vcl::MemoryDC FDC;
  HGDIOBJ FOldBitmap = nullptr;
};

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  FCanvas.reset();  // lets go of the image before the image goes
}

TBitmap::TBitmapImage TBitmap::NewImage(int AWidth, int AHeight, TPixelFormat Format, std::vector<RGBQUAD> Colors) {
  TBitmapImage image;
  image.PixelFormat = Format;
  const int bits = BitCountOf(image.PixelFormat);
  if (bits <= 8) {
    if (Colors.empty()) Colors = StandardColors(bits);
    Colors.resize(std::size_t{1} << bits, RGBQUAD{0, 0, 0, 0});
    image.Colors = std::move(Colors);
  }
  if (AWidth <= 0 || AHeight <= 0) {
    // An empty image keeps the size it was given, so width and height can be set one by one.
    image.Width = std::max(AWidth, 0);
    image.Height = std::max(AHeight, 0);
    return image;
  }
  if (!vcl::ImageSizeFits(AWidth, AHeight, bits)) OutOfResources();

  // The colour table, or for 16 bits the masks of 5-6-5 or 5-5-5, follows the header.
  std::vector<std::byte> info(sizeof(BITMAPINFOHEADER) + std::max<std::size_t>(image.Colors.size(), 3) * 4);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = AWidth;
  header.biHeight = AHeight;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(bits);
  header.biCompression = bits == 16 ? BI_BITFIELDS : BI_RGB;
  header.biClrUsed = static_cast<DWORD>(image.Colors.size());
  std::memcpy(info.data(), &header, sizeof header);
  if (bits == 16) {
    const auto& masks = Format == pf15bit ? gdi::kMasks555 : gdi::kMasks565;
    std::memcpy(info.data() + sizeof header, masks.data(), sizeof masks);
  } else if (!image.Colors.empty()) {
    std::memcpy(info.data() + sizeof header, image.Colors.data(), image.Colors.size() * sizeof(RGBQUAD));
  }
  void* bitsPointer = nullptr;
  image.Handle.reset(CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS,
                                      &bitsPointer, nullptr, 0));
  if (!image.Handle) OutOfResources();
  image.Width = AWidth;
  image.Height = AHeight;
  return image;
}

void TBitmap::SetImage(std::shared_ptr<TBitmapImage> Image) {
  if (FCanvas) FCanvas->FreeContext();
  FPalette.reset();
  FImage = std::move(Image);
  Changed(this);
}

void TBitmap::OwnImage() {
  if (FImage.use_count() == 1) return;
  TBitmapImage image = NewImage(FImage->Width, FImage->Height, FImage->PixelFormat, FImage->Colors);
  if (!CopyRows(FImage->Handle.get(), image.Handle.get())) CopyInto(image, false);
  if (FCanvas) FCanvas->FreeContext();
  FImage = std::make_shared<TBitmapImage>(std::move(image));
}

// Copies the current image into Target through the drawing layer, which converts the pixel
// format; with FillWithBrush the area the image does not cover takes the brush colour.
void TBitmap::CopyInto(TBitmapImage& Target, bool FillWithBrush) {
  if (!Target.Handle) return;
  if (FCanvas) FCanvas->FreeContext();
  SelectedDC target(Target.Handle.get());
  TBrush* brush = GetCanvas()->GetBrush();
  if (FillWithBrush && brush->GetStyle() == bsSolid) {
    vcl::GdiBrush fill(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(brush->GetColor()))));
    const RECT all{0, 0, Target.Width, Target.Height};
    ::FillRect(target.get(), &all, fill.get());
  }
  if (!FImage->Handle) return;
  SelectedDC source(FImage->Handle.get());
  BitBlt(target.get(), 0, 0, std::min(Target.Width, FImage->Width), std::min(Target.Height, FImage->Height),
         source.get(), 0, 0, SRCCOPY);
}

void TBitmap::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) return SetImage(TBitmapImage{});
  auto* bitmap = dynamic_cast<TBitmap*>(Source);
  if (bitmap == nullptr) return TGraphic::Assign(Source);
  // Only a bitmap that owns its image alone keeps a device context on it.
  if (bitmap->FCanvas) bitmap->FCanvas->FreeContext();
  FHandleType = bitmap->FHandleType;
  FTransparentColor = bitmap->FTransparentColor;
  SetImage(bitmap->FImage);
  SetTransparent(bitmap->GetTransparent());
}

TCanvas* TBitmap::GetCanvas() {
  if (!FCanvas) {
    FCanvas = std::make_unique<TBitmapCanvas>(this);
    FCanvas->OnChange = [this](TObject*) { Changed(this); };
  }
  return FCanvas.get();
}

HBITMAP TBitmap::GetHandle() {
  OwnImage();
  return FImage->Handle.get();
}

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value == FImage->Handle.get()) return;
  TBitmapImage image;
  if (Value) {
    const gdi::PixelBuffer pixels = gdi::PixelsOf(Value);
    if (pixels.bits == nullptr) throw EInvalidGraphic("Bitmap image is not valid");
    image.Handle.reset(Value);
    image.Width = pixels.width;
    image.Height = pixels.height;
    image.PixelFormat = FormatOf(pixels);
    image.Colors.assign(pixels.palette.begin(), pixels.palette.end());
  }
  SetImage(std::move(image));
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == FImage->PixelFormat) return;
  // A paletted image keeps its colours when the new table has room for them.
  const bool keepColors = !FImage->Colors.empty() && FImage->Colors.size() <= (std::size_t{1} << BitCountOf(Value));
  TBitmapImage image = NewImage(FImage->Width, FImage->Height, Value, keepColors ? FImage->Colors : std::vector<RGBQUAD>{});
  CopyInto(image, false);
  SetImage(std::move(image));
}

void* TBitmap::GetScanLine(int Row) {
  if (!FImage->Handle || Row < 0 || Row >= FImage->Height)
    throw EInvalidGraphicOperation("Scan line index out of range");
  OwnImage();
  return RowOf(FImage->Handle.get(), Row);
}

bool TBitmap::GetMonochrome() const {
  return FImage->PixelFormat == pf1bit && FImage->Colors.size() == 2 && Rgb(FImage->Colors[0]) == 0 &&
         Rgb(FImage->Colors[1]) == 0xFFFFFF;
}

void TBitmap::SetMonochrome(bool Value) {
  if (Value == GetMonochrome()) return;
  TCanvas* canvas = GetCanvas();
  const auto text = static_cast<COLORREF>(ColorToRGB(canvas->GetFont()->GetColor()));
  const auto back = static_cast<COLORREF>(ColorToRGB(canvas->GetBrush()->GetColor()));
  TBitmapImage image = NewImage(FImage->Width, FImage->Height, Value ? pf1bit : pfDevice,
                                Value ? StandardColors(1) : std::vector<RGBQUAD>{});
  if (image.Handle && FImage->Handle) {
    FCanvas->FreeContext();
    SelectedDC target(image.Handle.get()), source(FImage->Handle.get());
    SetBkColor(source.get(), back);  // the colour that becomes white
    SetTextColor(target.get(), text);  // what black and white become
    SetBkColor(target.get(), back);
    BitBlt(target.get(), 0, 0, FImage->Width, FImage->Height, source.get(), 0, 0, SRCCOPY);
  }
  SetImage(std::move(image));
}

void TBitmap::SetHandleType(TBitmapHandleType Value) {
  if (Value == FHandleType) return;
  if (Value == bmDDB && !GetMonochrome()) SetPixelFormat(pfDevice);
  FHandleType = Value;
}

TColor TBitmap::GetTransparentColor() {
  if (FTransparentColor != clDefault) return FTransparentColor;
  const TColor automatic = GetMonochrome() || GetEmpty() ? clWhite : GetCanvas()->GetPixels(0, FImage->Height - 1);
  return automatic | 0x02000000;
}

void TBitmap::SetTransparentColor(TColor Value) {
  if (Value == FTransparentColor) return;
  FTransparentColor = Value;
  Changed(this);
}

void TBitmap::SetSize(int AWidth, int AHeight) {
  if (AWidth == FImage->Width && AHeight == FImage->Height) return;
  TBitmapImage image = NewImage(AWidth, AHeight, FImage->PixelFormat, FImage->Colors);
  CopyInto(image, true);
  SetImage(std::move(image));
}

HPALETTE TBitmap::GetPalette() {
  if (FImage->Colors.empty()) return nullptr;
  if (!FPalette) FPalette = vcl::NewPalette(FImage->Colors);
  return FPalette.get();
}

void TBitmap::SetPalette(HPALETTE Value) {
  if (Value == nullptr || FImage->Colors.empty()) return;
  std::array<PALETTEENTRY, 256> entries{};
  const UINT count = std::min<UINT>(GetPaletteEntries(Value, 0, 256, entries.data()), 256);
  std::vector<RGBQUAD> colors = FImage->Colors;
  for (UINT i = 0; i < count && i < colors.size(); ++i)
    colors[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  TBitmapImage image = NewImage(FImage->Width, FImage->Height, FImage->PixelFormat, std::move(colors));
  CopyRows(FImage->Handle.get(), image.Handle.get());
  SetImage(std::move(image));
}

void TBitmap::ReadDIB(std::span<const std::byte> Dib, std::size_t BitsOffset) {
  const vcl::bmp::DibLayout layout = vcl::bmp::ReadLayout(Dib, BitsOffset);
  TBitmapImage image =
      NewImage(layout.width, layout.height, FormatOfBitCount(layout.bitCount, layout.keeps555()), layout.colors);
  vcl::bmp::DecodePixels(layout, [&image](int row) { return RowOf(image.Handle.get(), row); });
  SetImage(std::move(image));
}

void TBitmap::LoadFromStream(TStream* Stream) {
  const std::vector<std::byte> data = vcl::ReadToEnd(Stream);
  if (data.empty()) return SetImage(TBitmapImage{});
  BITMAPFILEHEADER file{};
  if (data.size() >= sizeof file) std::memcpy(&file, data.data(), sizeof file);
  if (file.bfType != 0x4D42 || file.bfOffBits <= sizeof file) throw EInvalidGraphic("Bitmap image is not valid");
  ReadDIB(std::span<const std::byte>(data).subspan(sizeof file), file.bfOffBits - sizeof file);
}

void TBitmap::SaveToStream(TStream* Stream) {
  if (!FImage->Handle) return;
  // The rows are found once, not looked up again for each row.
  const gdi::PixelBuffer pixels = gdi::PixelsOf(FImage->Handle.get());
  vcl::bmp::WriteBmp(Stream, {.width = FImage->Width,
                              .height = FImage->Height,
                              .bitCount = pixels.bitsPerPixel,
                              .rgb555 = pixels.rgb555,
                              .colors = FImage->Colors,
                              .row = [&pixels](int row) -> const std::byte* {
                                return pixels.bits + static_cast<std::ptrdiff_t>(row) * pixels.pitch;
                              }});
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const AnsiString& ResName) {
  TResourceStream stream(Instance, ResName, RT_BITMAP);
  ReadDIB(BytesOf(stream), 0);
}

void TBitmap::LoadFromResourceID(HINSTANCE Instance, int ResID) {
  TResourceStream stream(Instance, ResID, RT_BITMAP);
  ReadDIB(BytesOf(stream), 0);
}

std::unique_ptr<TGraphic> TBitmap::NewGraphic() const { return std::make_unique<TBitmap>(); }

void TBitmap::SaveToClipboardFormat(WORD& AFormat, HANDLE& AData, HPALETTE& APalette) {
  TBitmap copy;
  copy.Assign(this);
  copy.OwnImage();  // its handle goes to the clipboard
  AFormat = CF_BITMAP;
  AData = copy.FImage->Handle.release();
  APalette = FImage->Colors.empty() ? nullptr : vcl::NewPalette(FImage->Colors).release();
}

void TBitmap::LoadFromClipboardFormat(WORD AFormat, HANDLE AData, HPALETTE APalette) {
  if ((AFormat != CF_BITMAP && AFormat != CF_DIB) || !AData) throw EInvalidGraphic("Unsupported clipboard format");
  if (AFormat == CF_DIB) {
    const SIZE_T size = GlobalSize(AData);
    const auto* bytes = static_cast<const std::byte*>(GlobalLock(AData));
    try {
      ReadDIB({bytes, size}, 0);
    } catch (...) {
      GlobalUnlock(AData);
      throw;
    }
    GlobalUnlock(AData);
  } else {
    // The clipboard keeps its bitmap: the image is a copy of it.
    const gdi::PixelBuffer px = gdi::PixelsOf(static_cast<HBITMAP>(AData));
    if (!px.bits) throw EInvalidGraphic("Bitmap image is not valid");
    TBitmapImage image = NewImage(px.width, px.height, FormatOf(px),
                                  std::vector<RGBQUAD>(px.palette.begin(), px.palette.end()));
    if (!CopyRows(static_cast<HBITMAP>(AData), image.Handle.get())) {
      SelectedDC target(image.Handle.get()), source(static_cast<HBITMAP>(AData));
      BitBlt(target.get(), 0, 0, px.width, px.height, source.get(), 0, 0, SRCCOPY);
    }
    SetImage(std::move(image));
  }
  if (APalette) SetPalette(APalette);
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
  HDC target = ACanvas->GetHandle();
  HDC source = GetCanvas()->GetHandle();
  const bool stretched = Rect.Width() != FImage->Width || Rect.Height() != FImage->Height;
  // Stretching drops or repeats whole pixels instead of mixing them.
  const int previousMode = stretched ? SetStretchBltMode(target, COLORONCOLOR) : 0;
  StretchBlt(target, Rect.left, Rect.top, Rect.Width(), Rect.Height(), source, 0, 0, FImage->Width, FImage->Height,
             ACanvas->GetCopyMode());
  if (stretched) SetStretchBltMode(target, previousMode);
}
