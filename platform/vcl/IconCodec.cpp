// Reading and writing icon files. The reader learns the file's length from its directory and
// checks it against the stream before it takes memory; the writer lays out one image as the
// files keep them: the info header at twice the height, the colours, XOR rows, AND rows.
#include "platform/vcl/IconCodec.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/GdiMemory.h"
#include "platform/user/IconFile.h"
#include "platform/user/Icons.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImageLimits.h"

namespace vcl::ico {
namespace {

constexpr std::size_t kHeader = 6, kEntry = 16;

[[noreturn]] void Invalid() { throw EInvalidGraphic("Icon image is not valid"); }

void ReadExactly(TStream* stream, std::byte* into, std::size_t count) {
  if (stream->Read(into, static_cast<int>(count)) != static_cast<int>(count)) Invalid();
}

template <class T>
void Put(std::vector<std::byte>& out, T value) {
  const auto* bytes = reinterpret_cast<const std::byte*>(&value);
  out.insert(out.end(), bytes, bytes + sizeof value);
}

COLORREF ColorAt(const gdi::PixelBuffer& p, int x, int y) { return gdi::ColorFromPixel(p, gdi::PixelAt(p, x, y)); }

// The bitmaps of an icon handle, freed with it.
struct IconBitmaps {
  ICONINFO info{};
  explicit IconBitmaps(HICON icon) {
    if (!GetIconInfo(icon, &info)) Invalid();
  }
  ~IconBitmaps() {
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
  }
  IconBitmaps(const IconBitmaps&) = delete;
  IconBitmaps& operator=(const IconBitmaps&) = delete;
};

// Some writers count an image without its AND rows. The file then goes on as far as the
// header of the image that starts last says, where the stream holds that much.
void TakeRestOfLastImage(TStream* stream, std::vector<std::byte>& data, DWORD last) {
  const auto layout = user::IconImageLayoutOf(std::span<const std::byte>(data).subspan(last));
  if (!layout || last + layout->bytes <= data.size()) return;
  const std::size_t missing = last + layout->bytes - data.size();
  if (static_cast<std::int64_t>(missing) > stream->GetSize() - stream->GetPosition()) return;
  const std::size_t had = data.size();
  data.resize(had + missing);
  ReadExactly(stream, data.data() + had, missing);
}

}  // namespace

std::vector<std::byte> Read(TStream* Stream) {
  std::vector<std::byte> data(kHeader);
  ReadExactly(Stream, data.data(), kHeader);
  const std::size_t count = std::to_integer<std::size_t>(data[4]) | std::to_integer<std::size_t>(data[5]) << 8;
  const std::int64_t left = Stream->GetSize() - Stream->GetPosition();
  if (count == 0 || static_cast<std::int64_t>(count * kEntry) > left) Invalid();
  data.resize(kHeader + count * kEntry);
  ReadExactly(Stream, data.data() + kHeader, count * kEntry);
  std::uint64_t end = data.size();
  DWORD last = 0;  // where the image that starts last starts
  for (std::size_t i = 0; i < count; ++i) {
    DWORD bytes, offset;
    std::memcpy(&bytes, data.data() + kHeader + i * kEntry + 8, 4);
    std::memcpy(&offset, data.data() + kHeader + i * kEntry + 12, 4);
    if (offset < data.size()) Invalid();  // an image inside the directory
    end = std::max<std::uint64_t>(end, std::uint64_t{offset} + bytes);
    last = std::max(last, offset);
  }
  // The file may not claim more than the stream still holds.
  if (end - data.size() > static_cast<std::uint64_t>(std::max<std::int64_t>(left - static_cast<std::int64_t>(count * kEntry), 0)))
    Invalid();
  const std::size_t directory = data.size();
  data.resize(static_cast<std::size_t>(end));
  ReadExactly(Stream, data.data() + directory, data.size() - directory);
  TakeRestOfLastImage(Stream, data, last);
  if (!user::ReadIconFileDirectory(data)) Invalid();
  return data;
}

std::vector<std::byte> Write(HICON Icon) {
  IconBitmaps bitmaps(Icon);
  const gdi::PixelBuffer mask = gdi::PixelsOf(bitmaps.info.hbmMask);
  const bool separateColor = bitmaps.info.hbmColor != nullptr;
  const gdi::PixelBuffer color = separateColor ? gdi::PixelsOf(bitmaps.info.hbmColor) : mask;
  const int width = mask.width, height = separateColor ? mask.height : mask.height / 2;
  const int colorTop = separateColor ? 0 : height;
  if (!mask.bits || !color.bits || width <= 0 || height <= 0) Invalid();
  const int source = color.bitsPerPixel;
  const int depth = source == 1 || source == 4 || source == 8 || source == 24 ? source : 32;
  const std::size_t colors = depth <= 8 ? std::size_t{1} << depth : 0;
  const auto xorStride = static_cast<std::size_t>(DibRowBytes(width, depth));
  const auto andStride = static_cast<std::size_t>(DibRowBytes(width, 1));
  const std::size_t imageBytes = sizeof(BITMAPINFOHEADER) + colors * 4 + (xorStride + andStride) * height;

  std::vector<std::byte> out;
  Put<WORD>(out, 0);
  Put<WORD>(out, bitmaps.info.fIcon ? user::kIconFile : user::kCursorFile);
  Put<WORD>(out, 1);
  out.push_back(std::byte{static_cast<unsigned char>(width >= 256 ? 0 : width)});
  out.push_back(std::byte{static_cast<unsigned char>(height >= 256 ? 0 : height)});
  out.push_back(std::byte{static_cast<unsigned char>(colors >= 256 ? 0 : colors)});
  out.push_back(std::byte{0});
  Put<WORD>(out, static_cast<WORD>(bitmaps.info.fIcon ? 1 : bitmaps.info.xHotspot));
  Put<WORD>(out, static_cast<WORD>(bitmaps.info.fIcon ? depth : bitmaps.info.yHotspot));
  Put<DWORD>(out, static_cast<DWORD>(imageBytes));
  Put<DWORD>(out, static_cast<DWORD>(kHeader + kEntry));
  BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), width, 2 * height, 1, static_cast<WORD>(depth), BI_RGB,
                          static_cast<DWORD>((xorStride + andStride) * height), 0, 0, 0, 0};
  Put(out, header);
  for (std::size_t i = 0; i < colors; ++i) {
    const RGBQUAD q = i < color.palette.size() ? color.palette[i] : RGBQUAD{0, 0, 0, 0};
    Put(out, RGBQUAD{q.rgbBlue, q.rgbGreen, q.rgbRed, 0});
  }
  const auto maskBit = [&](int x, int y) { return ColorAt(mask, x, y) != 0; };
  for (int y = height - 1; y >= 0; --y) {
    std::vector<std::byte> row(xorStride);
    if (depth == source) {
      std::memcpy(row.data(), color.bits + static_cast<std::ptrdiff_t>(y + colorTop) * color.pitch,
                  static_cast<std::size_t>(UsedRowBytes(width, depth)));
    } else {
      for (int x = 0; x < width; ++x) {
        const COLORREF c = ColorAt(color, x, y + colorTop);
        const RGBQUAD q{GetBValue(c), GetGValue(c), GetRValue(c), static_cast<BYTE>(maskBit(x, y) ? 0 : 255)};
        std::memcpy(row.data() + 4 * x, &q, 4);
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  for (int y = height - 1; y >= 0; --y) {
    std::vector<std::byte> row(andStride);
    for (int x = 0; x < width; ++x)
      if (maskBit(x, y)) row[x / 8] |= std::byte{static_cast<unsigned char>(0x80 >> (x % 8))};
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace vcl::ico
