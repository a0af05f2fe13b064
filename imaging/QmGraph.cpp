// Bitmaps as BMP streams of a chosen format: read through GDI's device-independent bits into
// one block, reduced to 8 bits in place, in-place format changes, the screen's format, zoom and
// tile. Every size taken from a bitmap is checked before a block is allocated or written.
#include "imaging/QmGraph.h"

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <span>

#include "imaging/Maxmin.h"
#include "imaging/QmGraphWork.h"
#include "platform/user/WinUser.h"
#include "platform/vcl/GdiObject.h"

TMappingMethod DefaultMappingMethod = mmHistogram;

namespace qmgraph {

TWorkBlock::TWorkBlock(std::int64_t Size) {
  if (Size > std::numeric_limits<std::int32_t>::max()) throw EOutOfMemory(ResStr("Out of memory"));
  FMemory = AllocMemo(static_cast<std::int32_t>(Size));
  if (!FMemory) throw EOutOfMemory(ResStr("Out of memory"));
}

}  // namespace qmgraph

using namespace qmgraph;

namespace {

constexpr std::int64_t kFileHeaderSize = sizeof(BITMAPFILEHEADER);
// A BMP keeps its sizes in 32 bits and a memory block's size is a Longint: no file image may
// pass this, less a few bytes for the block that holds it.
constexpr std::int64_t kMaxFileSize = std::numeric_limits<std::int32_t>::max() - 8;

[[noreturn]] void InvalidBitmap() { throw EInvalidGraphic(ResStr("Bitmap image is not valid")); }

// 1, 4, 8 or 24 for the formats a stream can hold, else 0.
int BitCountOf(TPixelFormat Format) {
  switch (Format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf24bit: return 24;
    default: return 0;
  }
}

int ColorCountOf(TPixelFormat Format) {
  switch (Format) {
    case pf1bit: return 2;
    case pf4bit: return 16;
    case pf8bit: return 256;
    default: return 0;
  }
}

std::int64_t InfoSize(int Bits) { return sizeof(BITMAPINFOHEADER) + (Bits <= 8 ? std::int64_t{4} << Bits : 0); }

// What the platform tells of a bitmap that a target header needs.
struct TBitmapFacts {
  LONG Width = 0;
  LONG Height = 0;
  LONG XPelsPerMeter = 0;  // a DIB section's own, else 0
  LONG YPelsPerMeter = 0;
};

TBitmapFacts FactsOf(HBITMAP Handle) {
  if (!Handle) InvalidBitmap();
  DIBSECTION section{};
  const int size = GetObjectA(Handle, sizeof section, &section);
  if (size == 0) InvalidBitmap();
  TBitmapFacts facts{section.dsBm.bmWidth, section.dsBm.bmHeight, 0, 0};
  if (size == static_cast<int>(sizeof section)) {
    facts.XPelsPerMeter = section.dsBmih.biXPelsPerMeter;
    facts.YPelsPerMeter = section.dsBmih.biYPelsPerMeter;
  }
  if (facts.Width <= 0 || facts.Height <= 0) InvalidBitmap();
  return facts;
}

// The info header of the target format, bottom-up and uncompressed; a picture whose file would
// not fit a block is out of memory before anything is allocated.
BITMAPINFOHEADER TargetHeader(const TBitmapFacts& Facts, int Bits) {
  const std::int64_t imageSize = (std::int64_t{Facts.Width} * Bits + 31) / 32 * 4 * Facts.Height;
  if (kFileHeaderSize + InfoSize(Bits) + imageSize > kMaxFileSize) throw EOutOfMemory(ResStr("Out of memory"));
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = Facts.Width;
  header.biHeight = Facts.Height;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(Bits);
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(imageSize);
  header.biXPelsPerMeter = Facts.XPelsPerMeter;
  header.biYPelsPerMeter = Facts.YPelsPerMeter;
  return header;
}

// The file header and the info header at the start of a block.
void WriteHeaders(BYTE* Block, const BITMAPINFOHEADER& Header) {
  const auto offset = static_cast<DWORD>(kFileHeaderSize + InfoSize(Header.biBitCount));
  const BITMAPFILEHEADER file{0x4D42, offset + Header.biSizeImage, 0, 0, offset};  // "BM"
  std::memcpy(Block, &file, sizeof file);
  std::memcpy(Block + kFileHeaderSize, &Header, sizeof Header);
}

// A BMP file image in one block. Two bytes lead it, so that the info header after the 14-byte
// file header lies on a 4-byte boundary.
class TDib {
 public:
  explicit TDib(const BITMAPINFOHEADER& Header)
      : FHeader(Header), FBlock(kLead + kFileHeaderSize + InfoSize(Header.biBitCount) + Header.biSizeImage) {
    WriteHeaders(File(), Header);
  }
  // The header it was made with, whatever the block holds now.
  const BITMAPINFOHEADER& Header() const { return FHeader; }
  BYTE* File() const { return FBlock.Bytes() + kLead; }
  BITMAPINFO* Info() const { return FBlock.As<BITMAPINFO>(kLead + kFileHeaderSize); }
  BYTE* Rows() const { return File() + kFileHeaderSize + InfoSize(FHeader.biBitCount); }
  std::span<const BYTE> Whole() const {
    return {File(), static_cast<std::size_t>(kFileHeaderSize + InfoSize(FHeader.biBitCount) + FHeader.biSizeImage)};
  }

 private:
  static constexpr std::int64_t kLead = 2;
  BITMAPINFOHEADER FHeader;
  TWorkBlock FBlock;
};

// Fills the block with the bitmap in the block's format: the colour table GDI chooses and the
// rows, the palette, when given, realised for the read.
void ReadDib(const TDib& Dib, HBITMAP Handle, HPALETTE Palette) {
  const BITMAPINFOHEADER& header = Dib.Header();
  vcl::MemoryDC dc(CreateCompatibleDC(nullptr));
  if (!dc) throw EOutOfResources(ResStr("Out of system resources"));
  const HPALETTE previous = Palette ? SelectPalette(dc.get(), Palette, FALSE) : nullptr;
  if (Palette) RealizePalette(dc.get());
  const int lines = GetDIBits(dc.get(), Handle, 0, static_cast<UINT>(header.biHeight), Dib.Rows(), Dib.Info(),
                              DIB_RGB_COLORS);
  if (previous) SelectPalette(dc.get(), previous, FALSE);
  // The rest of the conversion trusts the header in the block: it must still be ours.
  const BITMAPINFOHEADER& read = Dib.Info()->bmiHeader;
  if (read.biBitCount != header.biBitCount) NotImplemented();
  if (read.biWidth != header.biWidth || read.biHeight != header.biHeight || read.biSizeImage != header.biSizeImage)
    InvalidBitmap();
  // A read that fails would leave black rows behind a stream that claims to be the picture.
  if (lines != header.biHeight) throw EOutOfResources(ResStr("Out of system resources"));
}

// A new stream at position 0 holding the parts one after another, sized once.
std::unique_ptr<TMemoryStream> NewStream(std::initializer_list<std::span<const BYTE>> Parts) {
  auto stream = std::make_unique<TMemoryStream>();
  std::int64_t size = 0;
  for (const auto& part : Parts) size += static_cast<std::int64_t>(part.size());
  stream->SetSize(size);
  for (const auto& part : Parts) stream->WriteBuffer(part.data(), static_cast<int>(part.size()));
  stream->SetPosition(0);
  return stream;
}

// The 24-bit rows reduced in place to 8 bits by the method; the stream takes a header block of
// its own and then the converted rows.
std::unique_ptr<TMemoryStream> ReduceTo8Bits(const TDib& Dib, const TBitmapFacts& Facts, TMappingMethod Method) {
  const BITMAPINFOHEADER& source = Dib.Header();
  BYTE* rows = Dib.Rows();
  BITMAPINFOHEADER header = TargetHeader(Facts, 8);
  const std::int64_t headSize = kFileHeaderSize + InfoSize(8);
  const TWorkBlock head(headSize);
  auto* colors = head.As<RGBQUAD>(kFileHeaderSize + sizeof header);
  const TConversionRows conversion = RowsOf(source, rows, rows);
  switch (Method) {
    case mmHistogram: PopularityPalette(source, colors, rows, ColorCountOf(pf8bit), rows); break;
    case mmQuantize: {
      int boxes = ColorCountOf(pf8bit);
      MedianCutPalette(source, rows, rows, colors, boxes);
      header.biClrImportant = static_cast<DWORD>(boxes);
      break;
    }
    case mmTrunc784: header.biClrImportant = static_cast<DWORD>(TruncatePalette784(conversion, colors)); break;
    case mmTrunc666: header.biClrImportant = static_cast<DWORD>(TruncatePalette666(conversion, colors)); break;
    case mmTripel: TripelPalette(conversion, colors); break;
    case mmGrayscale: GrayscalePalette(conversion, colors); break;
  }
  WriteHeaders(head.Bytes(), header);
  return NewStream({{head.Bytes(), static_cast<std::size_t>(headSize)}, {rows, static_cast<std::size_t>(header.biSizeImage)}});
}

// Restores a device context's state when the work on it ends, however it ends.
class TSavedDC {
 public:
  explicit TSavedDC(HDC DC) : FDC(DC), FSaved(SaveDC(DC)) {}
  ~TSavedDC() { RestoreDC(FDC, FSaved); }
  TSavedDC(const TSavedDC&) = delete;
  TSavedDC& operator=(const TSavedDC&) = delete;

 private:
  HDC FDC;
  int FSaved;
};

void LoadConverted(TBitmap* Bitmap, TPixelFormat PixelFormat, TMappingMethod Method) {
  const auto stream = BitmapToMemoryStream(Bitmap, PixelFormat, Method);
  Bitmap->LoadFromStream(stream.get());
}

}  // namespace

TPixelFormat ScreenPixelFormat() {
  const HDC dc = GetDC(nullptr);
  const int bits = GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(nullptr, dc);
  switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 24: return pf24bit;
    default: return pfDevice;
  }
}

int ScreenColorCount() { return ColorCountOf(ScreenPixelFormat()); }

TPixelFormat GetPaletteBitmapFormat(TBitmap* Bitmap) {
  const HPALETTE palette = Bitmap->GetPalette();
  const int entries = palette ? PaletteEntries(palette) : 0;
  if (entries == 0) return pfDevice;
  if (entries <= 2) return pf1bit;
  if (entries <= 16) return pf4bit;
  if (entries <= 256) return pf8bit;
  return pfDevice;
}

TPixelFormat GetBitmapPixelFormat(TBitmap* Bitmap) { return Bitmap->GetPixelFormat(); }

std::unique_ptr<TMemoryStream> BitmapToMemoryStream(TBitmap* Bitmap, TPixelFormat PixelFormat, TMappingMethod Method) {
  const HBITMAP handle = Bitmap ? Bitmap->GetHandle() : nullptr;
  if (!handle) InvalidBitmap();
  if (GetBitmapPixelFormat(Bitmap) == PixelFormat && Method != mmGrayscale) {
    auto stream = std::make_unique<TMemoryStream>();
    Bitmap->SaveToStream(stream.get());
    stream->SetPosition(0);
    return stream;
  }
  const int bits = BitCountOf(PixelFormat);
  if (bits == 0) NotImplemented();
  const TBitmapFacts facts = FactsOf(handle);
  // 1 and 4 bits are GDI's conversion as it stands; 8 bits and 24 bits start from a 24-bit read.
  const TDib dib(TargetHeader(facts, bits <= 4 ? bits : 24));
  ReadDib(dib, handle, Bitmap->GetPalette());
  if (bits == 8) return ReduceTo8Bits(dib, facts, Method);
  if (bits == 24 && Method == mmGrayscale) GrayscaleRows24(dib.Header().biWidth, dib.Header().biHeight, dib.Rows());
  return NewStream({dib.Whole()});
}

std::unique_ptr<TMemoryStream> BitmapToMemory(TBitmap* Bitmap, int Colors) {
  const TPixelFormat format = Colors <= 2 ? pf1bit : Colors <= 16 ? pf4bit : Colors <= 256 ? pf8bit : pf24bit;
  return BitmapToMemoryStream(Bitmap, format, DefaultMappingMethod);
}

void SaveBitmapToFile(const AnsiString& FileName, TBitmap* Bitmap, int Colors) {
  if (Bitmap->GetPixelFormat() == pf1bit) Colors = 2;
  const auto stream = BitmapToMemory(Bitmap, Colors);
  stream->SaveToFile(FileName);
}

void SetBitmapPixelFormat(TBitmap* Bitmap, TPixelFormat PixelFormat, TMappingMethod Method) {
  if (Bitmap->GetHandle() && GetBitmapPixelFormat(Bitmap) != PixelFormat) LoadConverted(Bitmap, PixelFormat, Method);
}

// Grey also when the bitmap is 8-bit already: a same-format request would change nothing.
void GrayscaleBitmap(TBitmap* Bitmap) {
  if (Bitmap->GetHandle()) LoadConverted(Bitmap, pf8bit, mmGrayscale);
}

TPoint ZoomImage(int ImageW, int ImageH, int MaxW, int MaxH, bool Stretch) {
  if (ImageW <= 0 || ImageH <= 0 || MaxW <= 0 || MaxH <= 0) return TPoint(0, 0);
  if (!Stretch) return TPoint(MaxW, MaxH);
  const long double zoom = MaxFloat({static_cast<long double>(ImageW) / MaxW, static_cast<long double>(ImageH) / MaxH});
  // Halves round to the even neighbour.
  return TPoint(static_cast<int>(std::nearbyint(ImageW * 0.98L / zoom)),
                static_cast<int>(std::nearbyint(ImageH * 0.98L / zoom)));
}

void TileImage(TCanvas* Canvas, const TRect& Rect, TGraphic* Image) {
  const int width = Image->GetWidth(), height = Image->GetHeight();
  if (width == 0 || height == 0) return;
  const HDC dc = Canvas->GetHandle();
  const TSavedDC saved(dc);
  IntersectClipRect(dc, Rect.left, Rect.top, Rect.right, Rect.bottom);
  for (int i = 0; i <= WidthOf(Rect) / width; ++i)
    for (int j = 0; j <= HeightOf(Rect) / height; ++j) Canvas->Draw(Rect.left + i * width, Rect.top + j * height, Image);
}
