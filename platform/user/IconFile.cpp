// The directory of icon and cursor files: sizes and offsets checked first, then the choice of
// image and the handle made from it.
#include "platform/user/IconFile.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/gdi/GdiMemory.h"
#include "platform/user/Icons.h"
#include "platform/user/WinUser.h"

namespace user {
namespace {

constexpr std::size_t kHeader = 6, kEntry = 16;
constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

WORD Word(std::span<const std::byte> d, std::size_t at) {
  return static_cast<WORD>(std::to_integer<unsigned>(d[at]) | std::to_integer<unsigned>(d[at + 1]) << 8);
}
DWORD Dword(std::span<const std::byte> d, std::size_t at) { return Word(d, at) | static_cast<DWORD>(Word(d, at + 2)) << 16; }

// An entry's depth: its bit count, or what its colour count implies.
int DepthOf(const IconFileEntry& e, WORD type) {
  if (type == kIconFile && e.bitCount != 0)
    return static_cast<int>(std::min<long>(static_cast<long>(e.bitCount) * std::max<long>(e.planes, 1), 64));
  if (e.colorCount == 0 || e.colorCount > 256) return 8;
  int bits = 1;
  while ((1 << bits) < e.colorCount) ++bits;
  return bits;
}

// Some writers count an image without its AND rows. Where the image's own header and the bytes
// up to the next image (or the end of the data) hold all of it, its entry covers it; an image
// never takes bytes in which another one starts.
void CoverWholeImages(std::span<const std::byte> data, std::vector<IconFileEntry>& entries) {
  std::vector<std::size_t> starts;
  for (const IconFileEntry& e : entries) starts.push_back(e.offset);
  std::sort(starts.begin(), starts.end());
  for (IconFileEntry& e : entries) {
    if (e.png) continue;
    const auto next = std::upper_bound(starts.begin(), starts.end(), std::size_t{e.offset});
    const std::size_t room = (next == starts.end() ? data.size() : *next) - e.offset;
    const auto layout = IconImageLayoutOf(data.subspan(e.offset, room));
    if (layout && layout->bytes > e.bytes && layout->bytes <= room) e.bytes = static_cast<DWORD>(layout->bytes);
  }
}

}  // namespace

std::optional<IconFileDirectory> ReadIconFileDirectory(std::span<const std::byte> data) {
  if (data.size() < kHeader || Word(data, 0) != 0) return std::nullopt;
  IconFileDirectory dir;
  dir.type = Word(data, 2);
  const std::size_t count = Word(data, 4);
  if ((dir.type != kIconFile && dir.type != kCursorFile) || data.size() < kHeader + count * kEntry) return std::nullopt;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = kHeader + i * kEntry;
    IconFileEntry e;
    e.width = std::to_integer<int>(data[at]) == 0 ? 256 : std::to_integer<int>(data[at]);
    e.height = std::to_integer<int>(data[at + 1]) == 0 ? 256 : std::to_integer<int>(data[at + 1]);
    e.colorCount = Word(data, at + 2);
    e.planes = Word(data, at + 4);
    e.bitCount = Word(data, at + 6);
    e.bytes = Dword(data, at + 8);
    e.offset = Dword(data, at + 12);
    if (e.offset > data.size() || e.bytes > data.size() - e.offset) return std::nullopt;
    e.png = IsCompressedIconImage(data.subspan(e.offset, e.bytes));
    dir.entries.push_back(e);
  }
  CoverWholeImages(data, dir.entries);
  return dir;
}

std::optional<IconImageLayout> IconImageLayoutOf(std::span<const std::byte> image) {
  IconImageLayout l;
  if (image.size() < sizeof l.header) return std::nullopt;
  std::memcpy(&l.header, image.data(), sizeof l.header);
  const BITMAPINFOHEADER& h = l.header;
  const int depth = h.biBitCount;
  if (h.biSize < sizeof h || h.biSize > image.size() || h.biCompression != BI_RGB || h.biPlanes > 1) return std::nullopt;
  if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32) return std::nullopt;
  if (h.biWidth <= 0 || h.biWidth > kMaxIconSide || h.biHeight < 2 || h.biHeight > 2 * kMaxIconSide) return std::nullopt;
  l.width = h.biWidth;
  l.height = h.biHeight / 2;  // the XOR rows, then as many AND rows
  const std::size_t limit = std::size_t{1} << std::min(depth, 8);
  l.colors = depth > 8 ? 0 : (h.biClrUsed == 0 ? limit : h.biClrUsed);
  if (l.colors > limit) return std::nullopt;
  l.xorStride = static_cast<std::size_t>((l.width * depth + 31) / 32 * 4);
  l.andStride = static_cast<std::size_t>((l.width + 31) / 32 * 4);
  l.bytes = h.biSize + l.colors * sizeof(RGBQUAD) + (l.xorStride + l.andStride) * static_cast<std::size_t>(l.height);
  return l;
}

bool IsCompressedIconImage(std::span<const std::byte> image) {
  return image.size() >= sizeof kPngSignature && std::memcmp(image.data(), kPngSignature, sizeof kPngSignature) == 0;
}

int BestIconFileImage(const IconFileDirectory& directory, int width, int height, int bitsPerPixel) {
  int best = -1;
  long bestDistance = 0;
  int bestDepth = 0;
  for (std::size_t i = 0; i < directory.entries.size(); ++i) {
    const IconFileEntry& e = directory.entries[i];
    if (e.png) continue;
    // A larger image shrinks better than a smaller one grows.
    const long distance = std::labs(e.width - width) + std::labs(e.height - height) +
                          (e.width < width || e.height < height ? 1 : 0);
    const int depth = DepthOf(e, directory.type);
    const auto better = [&] {
      if (best < 0 || distance != bestDistance) return best < 0 || distance < bestDistance;
      const bool fits = depth <= bitsPerPixel, bestFits = bestDepth <= bitsPerPixel;
      if (fits != bestFits) return fits;
      return fits ? depth > bestDepth : depth < bestDepth;
    };
    if (better()) {
      best = static_cast<int>(i);
      bestDistance = distance;
      bestDepth = depth;
    }
  }
  return best;
}

HICON CreateIconFromFileImage(std::span<const std::byte> data, const IconFileDirectory& directory, int index,
                              int width, int height) {
  if (index < 0 || static_cast<std::size_t>(index) >= directory.entries.size()) return nullptr;
  const IconFileEntry& e = directory.entries[static_cast<std::size_t>(index)];
  const auto* image = reinterpret_cast<const BYTE*>(data.data() + e.offset);
  if (directory.type == kIconFile) return CreateIconFromResourceEx(image, e.bytes, TRUE, 0x30000, width, height, 0);
  // A cursor's image is preceded by its hot spot, as in a cursor resource.
  std::vector<BYTE> withHotSpot(4 + e.bytes);
  withHotSpot[0] = static_cast<BYTE>(e.planes);
  withHotSpot[1] = static_cast<BYTE>(e.planes >> 8);
  withHotSpot[2] = static_cast<BYTE>(e.bitCount);
  withHotSpot[3] = static_cast<BYTE>(e.bitCount >> 8);
  std::memcpy(withHotSpot.data() + 4, image, e.bytes);
  return CreateIconFromResourceEx(withHotSpot.data(), static_cast<DWORD>(withHotSpot.size()), FALSE, 0x30000, width,
                                  height, 0);
}

HICON CreateIconFromFile(std::span<const std::byte> data, int width, int height) {
  const auto directory = ReadIconFileDirectory(data);
  if (!directory) return nullptr;
  const int index = BestIconFileImage(*directory, width, height, gdi::GetDesktopMode().bitsPerPixel);
  return CreateIconFromFileImage(data, *directory, index, width, height);
}

}  // namespace user
