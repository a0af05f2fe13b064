// Icon and cursor files (.ico, .cur) as the layer reads them: the directory, checked against
// the data before anything is read, the choice of the image that suits a size and depth, and
// an icon handle made from one image.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace user {

constexpr WORD kIconFile = 1, kCursorFile = 2;
constexpr int kMaxIconSide = 1024;

// One directory entry, its sizes as the directory gives them (0 in a size byte means 256).
struct IconFileEntry {
  int width = 0;
  int height = 0;
  int colorCount = 0;  // the colour count byte and the reserved byte, as one 16-bit value
  WORD planes = 0;     // a cursor's hot spot x
  WORD bitCount = 0;   // a cursor's hot spot y
  // The directory's count, or more where it leaves part of the image out (some writers count
  // an image without its AND rows) and the data holds the rest before another image starts.
  DWORD bytes = 0;
  DWORD offset = 0;
  bool png = false;    // stored compressed, which this layer does not draw
};

struct IconFileDirectory {
  WORD type = kIconFile;
  std::vector<IconFileEntry> entries;
};

// None unless the header says icon or cursor and every entry lies within the data.
std::optional<IconFileDirectory> ReadIconFileDirectory(std::span<const std::byte> data);

// Where the parts of an uncompressed image lie by its own header: its colour table, XOR rows
// and AND rows follow the header, `bytes` in all.
struct IconImageLayout {
  BITMAPINFOHEADER header{};
  int width = 0;
  int height = 0;  // half the header's, which counts both halves
  std::size_t colors = 0;
  std::size_t xorStride = 0;
  std::size_t andStride = 0;
  std::size_t bytes = 0;
};
// None when the header is cut short or describes no image this layer reads.
std::optional<IconImageLayout> IconImageLayoutOf(std::span<const std::byte> image);

// An image stored compressed (it starts with the compressed format's signature).
bool IsCompressedIconImage(std::span<const std::byte> image);

// The entry nearest to the size (its side within `width` x `height` first), then with the most
// colours the depth shows; -1 when no entry can be drawn.
int BestIconFileImage(const IconFileDirectory& directory, int width, int height, int bitsPerPixel);

// An icon (or cursor, with the entry's hot spot) from one entry, at the given size (0 keeps
// the image's own); null for an image that cannot be read.
HICON CreateIconFromFileImage(std::span<const std::byte> data, const IconFileDirectory& directory, int index,
                              int width, int height);

// The best image of a whole file at the size, or null.
HICON CreateIconFromFile(std::span<const std::byte> data, int width, int height);

}  // namespace user
