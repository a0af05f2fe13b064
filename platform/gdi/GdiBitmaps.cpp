// Bitmaps: device-independent sections, device bitmaps, transfers of device-independent bits in
// and out (through the colour tables, plain or run-length encoded), and the colour tables of
// paletted sections.
#include <algorithm>
#include <cstring>

#include "platform/gdi/Blit.h"
#include "platform/gdi/Context.h"
#include "platform/gdi/Rle.h"

using namespace gdi;

namespace {

constexpr MonoRule kByColor{true};

HBITMAP Register(std::shared_ptr<BitmapObject> bmp) { return bmp ? static_cast<HBITMAP>(AddObject(bmp)) : nullptr; }

// The format a bitmap compatible with the context gets: its bitmap's, or the desktop's.
std::shared_ptr<BitmapObject> MakeCompatible(const DcObject* dc, int width, int height) {
  if (width == 0 || height == 0) return MakeBitmap(1, 1, 1, Layout::Device, {});
  const PixelBuffer px = dc ? TargetOf(*dc) : PixelBuffer{};
  if (!px.bits) return MakeBitmap(width, height, GetDesktopMode().bitsPerPixel, Layout::Device, {});
  auto bmp = MakeBitmap(width, height, px.bitsPerPixel, Layout::Device, {px.palette.begin(), px.palette.end()});
  if (bmp) bmp->pixels.rgb555 = px.rgb555;
  return bmp;
}

// Fills the colour table a read in `format` produces: the bitmap's own at its own depth, else
// the context's palette when one was selected that the table has room for, else the default
// table of that depth (so a 256-colour palette never cuts a 16-colour read to its first entries).
std::vector<RGBQUAD> ReadTable(const BitmapObject& bmp, const DcObject* dc, int bitsPerPixel) {
  const std::size_t size = std::size_t{1} << bitsPerPixel;
  std::vector<RGBQUAD> table;
  if (bmp.pixels.bitsPerPixel == bitsPerPixel) {
    const ColorCoder own(bmp.pixels);
    table.assign(own.table().begin(), own.table().end());
  } else if (dc && !dc->state.palette->stock && dc->state.palette->entries.size() <= size) {
    for (const auto& e : dc->state.palette->entries) table.push_back({e.peBlue, e.peGreen, e.peRed, 0});
  } else {
    const auto defaults = DefaultColorTable(bitsPerPixel);
    table.assign(defaults.begin(), defaults.end());
  }
  table.resize(size);
  return table;
}

// DIB scan lines start .. start + count - 1 (counted from the bottom of a bottom-up DIB) held in
// a buffer of `count` rows, against the bitmap's rows.
struct LineRange {
  BlitArea dib;
  BlitArea bitmap;
  int count = 0;
};
LineRange Lines(const DibFormat& f, const PixelBuffer& bmp, UINT start, UINT lines) {
  LineRange r;
  const long long available = std::min<long long>(f.height, bmp.height) - start;
  r.count = static_cast<int>(std::clamp<long long>(lines, 0, std::max(0LL, available)));
  const int columns = std::min(f.width, bmp.width);
  const int first = static_cast<int>(start);
  r.dib = {0, 0, columns, r.count};
  r.bitmap = {0, f.bottomUp ? bmp.height - first - r.count : first, columns, r.count};
  return r;
}

}  // namespace

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE, DWORD) {
  if (bits) *bits = nullptr;
  const auto dc = FindDc(hdc);
  const auto format = ReadDibFormat(info, usage, dc.get(), Rle::Refused);
  if (!format) return nullptr;
  auto bmp = MakeBitmap(format->width, format->height, format->bitsPerPixel,
                        format->bottomUp ? Layout::BottomUp : Layout::TopDown, format->colors);
  if (!bmp) return nullptr;
  bmp->pixels.rgb555 = format->rgb555;
  bmp->dibSection = true;
  bmp->dibBits = bmp->storage.data();
  bmp->dibHeader = info->bmiHeader;
  bmp->dibHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmp->dibHeader.biPlanes = 1;
  bmp->dibHeader.biSizeImage = static_cast<DWORD>(format->imageBytes());
  if (bits) *bits = bmp->dibBits;
  return Register(std::move(bmp));
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  const auto dc = FindDc(hdc);
  if (!dc || width < 0 || height < 0) return nullptr;
  return Register(MakeCompatible(dc.get(), width, height));
}

// `bits` holds top-down rows padded to 2 bytes, as the platform's device bitmaps keep them.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (width < 0 || height < 0 || planes != 1) return nullptr;
  if (width == 0 || height == 0) return Register(MakeBitmap(1, 1, 1, Layout::Device, {}));
  auto bmp = MakeBitmap(width, height, static_cast<int>(bitsPerPixel), Layout::Device, {});
  if (!bmp) return nullptr;
  if (bits) std::memcpy(bmp->storage.data(), bits, bmp->storage.size());
  return Register(std::move(bmp));
}

HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage) {
  if (!header || header->biWidth < 0 || header->biHeight == INT32_MIN) return nullptr;
  const auto dc = hdc ? FindDc(hdc) : FindDc(ScreenDC());
  if (!dc) return nullptr;
  const int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  auto bmp = MakeCompatible(dc.get(), header->biWidth, height);
  if (!bmp) return nullptr;
  const HBITMAP handle = Register(std::move(bmp));
  if ((init & CBM_INIT) && bits && SetDIBits(hdc, handle, 0, static_cast<UINT>(height), bits, info, usage) == 0) {
    DeleteObject(handle);
    return nullptr;
  }
  return handle;
}

int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage) {
  const auto bmp = Find<BitmapObject>(hbm);
  const auto dc = FindDc(hdc);
  if (!bmp || !info) return 0;
  BITMAPINFOHEADER& h = info->bmiHeader;
  const PixelBuffer& px = bmp->pixels;
  if (h.biBitCount == 0) {
    // A query: the bitmap's own format.
    h.biWidth = px.width;
    h.biHeight = px.height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(px.bitsPerPixel);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(RowBytes(px.width, px.bitsPerPixel, 4) * px.height);
    h.biClrUsed = h.biClrImportant = 0;
    return px.height;
  }
  auto format = ReadDibLayout(info, Rle::Accepted);
  if (!format) return 0;
  const std::size_t room = format->rleBytes;  // what `bits` holds of run-length output
  h.biSizeImage = static_cast<DWORD>(format->imageBytes());
  if (format->bitsPerPixel <= 8) {
    format->colors = ReadTable(*bmp, dc.get(), format->bitsPerPixel);
    auto* table = reinterpret_cast<std::byte*>(info) + h.biSize;
    for (std::size_t i = 0; i < format->colors.size(); ++i) {
      if (usage == DIB_PAL_COLORS) {
        const auto index = static_cast<WORD>(i);
        std::memcpy(table + i * sizeof index, &index, sizeof index);
      } else {
        std::memcpy(table + i * sizeof(RGBQUAD), &format->colors[i], sizeof(RGBQUAD));
      }
    }
  }
  if (!bits && !format->rle()) return px.height;
  const LineRange r = Lines(*format, px, start, lines);
  if (r.count == 0) return 0;
  DibFormat part = *format;
  part.height = r.count;
  if (!format->rle()) {
    const PixelBuffer view = DibView(part, bits);
    Blit(view, {0, 0, view.width, view.height}, r.dib, &px, r.bitmap, kRopSrcCopy, {}, kByColor);
    return r.count;
  }
  // Run-length output is encoded from the rows read plainly; its size answers a call without
  // `bits`, and a buffer smaller than that gets nothing.
  std::vector<std::byte> rows(static_cast<std::size_t>(part.imageBytes()));
  const PixelBuffer view = DibView(part, rows.data());
  Blit(view, {0, 0, view.width, view.height}, r.dib, &px, r.bitmap, kRopSrcCopy, {}, kByColor);
  const auto data = EncodeRle(part.bitsPerPixel, part.width, part.height,
                              [&](int y) -> const std::byte* { return rows.data() + part.stride * y; });
  h.biSizeImage = static_cast<DWORD>(data.size());
  if (!bits) return px.height;
  if (data.size() > room) return 0;
  std::memcpy(bits, data.data(), data.size());
  return r.count;
}

// Run-length bits describe the whole image; the lines taken from it are those a plain buffer
// would hold.
LONG GetBitmapBits(HBITMAP hbm, LONG bytes, LPVOID bits) {
  const auto bmp = Find<BitmapObject>(hbm);
  if (!bmp || !bits || bytes <= 0) return 0;
  const PixelBuffer& px = bmp->pixels;
  const long long stride = RowBytes(px.width, px.bitsPerPixel, 2);
  auto* out = static_cast<std::byte*>(bits);
  long long copied = 0;
  for (int y = 0; y < px.height && copied < bytes; ++y) {
    const long long n = std::min<long long>(stride, bytes - copied);
    std::memcpy(out + copied, px.bits + static_cast<long long>(px.pitch) * y, static_cast<std::size_t>(n));
    copied += n;
  }
  return static_cast<LONG>(copied);
}

int SetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
  const auto target = Find<BitmapObject>(bmp);
  const auto dc = FindDc(hdc);
  if (!target || !bits) return 0;
  auto format = ReadDibFormat(info, usage, dc.get(), Rle::Accepted);
  if (!format) return 0;
  const PixelBuffer& px = target->pixels;
  const LineRange r = Lines(*format, px, start, lines);
  if (r.count == 0) return 0;
  std::vector<std::byte> decoded;
  if (format->rle()) {
    decoded = DecodeDibRows(*format, bits);
    if (decoded.empty()) return 0;
    bits = decoded.data() + format->stride * start;
  }
  format->height = r.count;
  const PixelBuffer view = DibView(*format, bits);
  Blit(px, {0, 0, px.width, px.height}, r.bitmap, &view, r.dib, kRopSrcCopy, {}, kByColor);
  return r.count;
}

// The source rectangle of a bottom-up DIB is counted from its bottom row, as on the platform.
int StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
  const auto dc = FindDc(hdc);
  if (!dc || !bits) return 0;
  const auto format = ReadDibFormat(info, usage, dc.get(), Rle::Accepted);
  if (!format) return 0;
  std::vector<std::byte> decoded;
  if (format->rle()) {
    decoded = DecodeDibRows(*format, bits);
    if (decoded.empty()) return 0;
    bits = decoded.data();
  }
  auto painter = PainterOf(*dc);
  if (painter) {
    const PixelBuffer view = DibView(*format, bits);
    const int top = format->bottomUp ? format->height - ySrc - srcHeight : ySrc;
    std::optional<Pattern> tile;
    const auto ink = BrushInk(*dc, *dc->state.brush, painter->coder(), tile);
    const Mapping map(dc->state);
    const Point a = map.point(xDest, yDest), b = map.point(xDest + destWidth, yDest + destHeight);
    Blit(painter->pixels(), painter->clip(), {a.x, a.y, b.x - a.x, b.y - a.y}, &view,
         {xSrc, top, srcWidth, srcHeight}, RopIndex(rop), ink.value_or(Ink{}), kByColor);
  }
  return std::abs(srcHeight);
}

UINT GetDIBColorTable(HDC hdc, UINT start, UINT count, RGBQUAD* colors) {
  const auto dc = FindDc(hdc);
  if (!dc || !colors) return 0;
  const PixelBuffer px = TargetOf(*dc);
  if (!px.bits || px.bitsPerPixel > 8) return 0;
  const ColorCoder coder(px);
  const auto table = coder.table();
  if (start >= table.size()) return 0;
  const UINT n = std::min<UINT>(count, static_cast<UINT>(table.size()) - start);
  std::memcpy(colors, table.data() + start, n * sizeof(RGBQUAD));
  return n;
}

// Only tables this layer owns can change; a context over another layer's pixels reads only.
UINT SetDIBColorTable(HDC hdc, UINT start, UINT count, const RGBQUAD* colors) {
  const auto dc = FindDc(hdc);
  if (!dc || !colors || !dc->state.bitmap) return 0;
  BitmapObject& bmp = *dc->state.bitmap;
  if (bmp.stock || bmp.colors.empty() || bmp.pixels.palette.data() != bmp.colors.data() || start >= bmp.colors.size()) return 0;
  const UINT n = std::min<UINT>(count, static_cast<UINT>(bmp.colors.size()) - start);
  std::memcpy(bmp.colors.data() + start, colors, n * sizeof(RGBQUAD));
  return n;
}

BOOL GdiFlush() { return TRUE; }
