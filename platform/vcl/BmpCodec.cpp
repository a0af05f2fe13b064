// Reading and writing of device-independent bitmaps: header checks, colour tables, bit fields,
// run-length decoding, and BMP output. Bytes are read little-endian through bounds checks.
#include "platform/vcl/BmpCodec.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/gdi/Rle.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImageLimits.h"

namespace vcl::bmp {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("Bitmap image is not valid"); }

// Little-endian reads inside the data; a read past its end is damage.
class Bytes {
 public:
  explicit Bytes(std::span<const std::byte> data) : data_(data) {}
  void Need(std::size_t at, std::size_t count) const {
    if (at > data_.size() || count > data_.size() - at) Invalid();
  }
  std::uint8_t U8(std::size_t at) const {
    Need(at, 1);
    return std::to_integer<std::uint8_t>(data_[at]);
  }
  std::uint16_t U16(std::size_t at) const {
    Need(at, 2);
    return static_cast<std::uint16_t>(Raw(at) | Raw(at + 1) << 8);
  }
  std::uint32_t U32(std::size_t at) const {
    Need(at, 4);
    return Raw(at) | Raw(at + 1) << 8 | Raw(at + 2) << 16 | Raw(at + 3) << 24;
  }
  std::size_t Size() const { return data_.size(); }

 private:
  std::uint32_t Raw(std::size_t at) const { return std::to_integer<std::uint32_t>(data_[at]); }
  std::span<const std::byte> data_;
};

using gdi::kMasks555;
using gdi::kMasks565;
using gdi::kMasks888;

bool CompressionFits(DWORD compression, int bitCount, bool topDown) {
  switch (compression) {
    case BI_RGB: return true;
    case BI_BITFIELDS: return bitCount == 16 || bitCount == 32;
    case BI_RLE8: return bitCount == 8 && !topDown;
    case BI_RLE4: return bitCount == 4 && !topDown;
    default: return false;
  }
}

// One colour channel of a bit-field pixel, scaled to 8 bits.
class Channel {
 public:
  explicit Channel(DWORD mask) : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0), max_(mask >> shift_) {}
  unsigned Of(std::uint32_t pixel) const {
    if (max_ == 0) return 0;
    return static_cast<unsigned>((static_cast<std::uint64_t>((pixel & mask_) >> shift_) * 255 + max_ / 2) / max_);
  }

 private:
  DWORD mask_;
  int shift_;
  DWORD max_;
};

// Rows of 16- or 32-bit pixels whose masks differ from the kept layout, converted pixel by pixel.
void ConvertRow(const DibLayout& layout, const std::byte* source, std::byte* target) {
  const Channel red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2]);
  const Bytes in({source, static_cast<std::size_t>(DibRowBytes(layout.width, layout.bitCount))});
  for (int x = 0; x < layout.width; ++x) {
    const std::uint32_t pixel = layout.bitCount == 16 ? in.U16(static_cast<std::size_t>(x) * 2)
                                                      : in.U32(static_cast<std::size_t>(x) * 4);
    const unsigned r = red.Of(pixel), g = green.Of(pixel), b = blue.Of(pixel);
    if (layout.bitCount == 16) {
      const unsigned packed = (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
      target[x * 2] = static_cast<std::byte>(packed);
      target[x * 2 + 1] = static_cast<std::byte>(packed >> 8);
    } else {
      target[x * 4] = static_cast<std::byte>(b);
      target[x * 4 + 1] = static_cast<std::byte>(g);
      target[x * 4 + 2] = static_cast<std::byte>(r);
      target[x * 4 + 3] = std::byte{0};
    }
  }
}

void DecodeRows(const DibLayout& layout, const RowWriter& row) {
  const auto stride = static_cast<std::size_t>(DibRowBytes(layout.width, layout.bitCount));
  const bool direct = (layout.bitCount != 16 && layout.bitCount != 32) || layout.keeps555() ||
                      layout.masks == (layout.bitCount == 16 ? kMasks565 : kMasks888);
  for (int r = 0; r < layout.height; ++r) {
    const std::byte* source = layout.bits.data() + stride * static_cast<std::size_t>(r);
    std::byte* target = row(layout.topDown ? r : layout.height - 1 - r);
    if (direct) std::memcpy(target, source, stride);
    else ConvertRow(layout, source, target);
  }
}

// Run-length data, bottom row first (see the drawing layer's decoder for what counts as damage).
void DecodeRle(const DibLayout& layout, const RowWriter& row) {
  const auto topRow = [&](int y) { return row(layout.height - 1 - y); };
  if (!gdi::DecodeRle(layout.bits, layout.bitCount, layout.width, layout.height, topRow)) Invalid();
}

void Put16(std::vector<std::byte>& out, unsigned value) {
  out.push_back(static_cast<std::byte>(value));
  out.push_back(static_cast<std::byte>(value >> 8));
}
void Put32(std::vector<std::byte>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

}  // namespace

DibLayout ReadLayout(std::span<const std::byte> dib, std::size_t bitsOffset) {
  const Bytes in(dib);
  const std::uint32_t headerSize = in.U32(0);
  DibLayout layout;
  std::int64_t height = 0;
  unsigned planes = 0;
  std::uint32_t colorsUsed = 0;
  std::uint32_t imageSize = 0;
  std::size_t entrySize = 4;
  if (headerSize == 12) {  // the old core header: 16-bit sizes, three-byte colour entries
    layout.width = in.U16(4);
    height = in.U16(6);
    planes = in.U16(8);
    layout.bitCount = in.U16(10);
    entrySize = 3;
  } else if (headerSize >= 40) {
    in.Need(0, headerSize);
    layout.width = static_cast<std::int32_t>(in.U32(4));
    height = static_cast<std::int32_t>(in.U32(8));
    planes = in.U16(12);
    layout.bitCount = in.U16(14);
    layout.compression = in.U32(16);
    imageSize = in.U32(20);
    colorsUsed = in.U32(32);
  } else {
    Invalid();
  }
  layout.topDown = height < 0;
  height = std::abs(height);
  if (planes != 1 || height > kMaxImageSide) Invalid();
  layout.height = static_cast<int>(height);
  switch (layout.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: Invalid();
  }
  if (!ImageSizeFits(layout.width, layout.height, layout.bitCount) ||
      !CompressionFits(layout.compression, layout.bitCount, layout.topDown))
    Invalid();

  std::size_t position = headerSize;
  if (layout.compression == BI_BITFIELDS) {
    const std::size_t at = headerSize >= 52 ? 40 : position;
    layout.masks = {in.U32(at), in.U32(at + 4), in.U32(at + 8)};
    if (headerSize < 52) position += 12;
  } else if (layout.bitCount == 16) {
    layout.masks = kMasks555;
  } else if (layout.bitCount == 32) {
    layout.masks = kMasks888;
  }

  if (layout.bitCount <= 8) {
    const std::uint32_t full = 1u << layout.bitCount;
    const std::uint32_t count = colorsUsed == 0 ? full : colorsUsed;
    if (count > full) Invalid();
    in.Need(position, count * entrySize);
    layout.colors.assign(full, RGBQUAD{0, 0, 0, 0});
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::size_t at = position + i * entrySize;
      layout.colors[i] = RGBQUAD{in.U8(at), in.U8(at + 1), in.U8(at + 2), 0};
    }
    position += count * entrySize;
  } else if (bitsOffset == 0) {
    // A table kept for palette devices; only its extent matters, to find the pixels.
    if (colorsUsed > in.Size() / 4) Invalid();
    position += std::size_t{colorsUsed} * 4;
  }

  const std::size_t start = bitsOffset == 0 ? position : bitsOffset;
  if (start < position || start > in.Size()) Invalid();
  layout.bits = dib.subspan(start);
  if (layout.compression == BI_RLE8 || layout.compression == BI_RLE4) {
    if (imageSize != 0 && imageSize < layout.bits.size()) layout.bits = layout.bits.first(imageSize);
  } else if (DibRowBytes(layout.width, layout.bitCount) * layout.height >
             static_cast<std::int64_t>(layout.bits.size())) {
    Invalid();
  }
  return layout;
}

void DecodePixels(const DibLayout& layout, const RowWriter& row) {
  if (layout.compression == BI_RLE8 || layout.compression == BI_RLE4) DecodeRle(layout, row);
  else DecodeRows(layout, row);
}

void WriteBmp(TStream* stream, const DibImage& image) {
  const auto stride = DibRowBytes(image.width, image.bitCount);
  const std::uint32_t entries = image.bitCount <= 8 ? 1u << image.bitCount : 0;
  // 5-6-5 needs its masks; 5-5-5 is what plain 16-bit pixels are.
  const bool fields = image.bitCount == 16 && !image.rgb555;
  const std::uint32_t tableBytes = fields ? 12 : entries * 4;
  const std::uint32_t offBits = 14 + 40 + tableBytes;
  const auto imageBytes = static_cast<std::uint32_t>(stride * image.height);
  std::vector<std::byte> head;
  head.reserve(offBits);
  Put16(head, 0x4D42);  // "BM"
  Put32(head, offBits + imageBytes);
  Put32(head, 0);
  Put32(head, offBits);
  for (std::uint32_t field : {40u, static_cast<std::uint32_t>(image.width), static_cast<std::uint32_t>(image.height)})
    Put32(head, field);
  Put16(head, 1);
  Put16(head, static_cast<unsigned>(image.bitCount));
  for (std::uint32_t field : {fields ? BI_BITFIELDS : BI_RGB, imageBytes, 0u, 0u, 0u, 0u})
    Put32(head, field);
  if (fields)
    for (DWORD mask : kMasks565) Put32(head, mask);
  // Entries beyond the colours given stay black.
  const std::size_t table = head.size();
  head.resize(offBits);
  for (std::size_t i = 0; i < entries && i < image.colors.size(); ++i) {
    RGBQUAD c = image.colors[i];
    c.rgbReserved = 0;
    std::memcpy(head.data() + table + 4 * i, &c, sizeof c);
  }
  stream->WriteBuffer(head.data(), static_cast<int>(head.size()));
  std::vector<std::byte> padded(static_cast<std::size_t>(stride), std::byte{0});
  const auto used = static_cast<std::size_t>(UsedRowBytes(image.width, image.bitCount));
  for (int r = image.height - 1; r >= 0; --r) {
    std::memcpy(padded.data(), image.row(r), used);
    stream->WriteBuffer(padded.data(), static_cast<int>(padded.size()));
  }
}

}  // namespace vcl::bmp
