// Blit loops. Fills and plain copies are memset and memcpy per row, which the C library runs at
// memory speed for the processor; the keyed copy takes the row routine of its pixel size from
// the set chosen for the processor (RowKernels.h), once per blit.
#include "platform/ddraw/Blit.h"

#include <cstdint>
#include <cstring>

#include "platform/ddraw/RowKernels.h"

namespace ddraw {
namespace {

int PixelBytes(const gdi::PixelBuffer& buffer) { return buffer.bitsPerPixel / 8; }

std::byte* At(const gdi::PixelBuffer& buffer, int x, int y) {
  return buffer.bits + static_cast<std::ptrdiff_t>(y) * buffer.pitch + x * PixelBytes(buffer);
}

bool AllBytesEqual(std::uint32_t value, int bytes) {
  for (int i = 1; i < bytes; ++i)
    if (((value >> (8 * i)) & 0xFF) != (value & 0xFF)) return false;
  return true;
}

}  // namespace

void FillPixels(const gdi::PixelBuffer& target, const RECT& area, DWORD value) {
  const int bytes = PixelBytes(target);
  const int width = area.right - area.left;
  const auto rowBytes = static_cast<std::size_t>(width) * bytes;
  if (AllBytesEqual(value, bytes)) {
    for (int y = area.top; y < area.bottom; ++y)
      std::memset(At(target, area.left, y), static_cast<int>(value & 0xFF), rowBytes);
    return;
  }
  // Pixels are little-endian: the value's low bytes are the pixel.
  std::byte* first = At(target, area.left, area.top);
  for (int x = 0; x < width; ++x) std::memcpy(first + x * bytes, &value, static_cast<std::size_t>(bytes));
  for (int y = area.top + 1; y < area.bottom; ++y) std::memcpy(At(target, area.left, y), first, rowBytes);
}

void FillPixelsAround(const gdi::PixelBuffer& target, const RECT& kept, DWORD value) {
  const RECT bands[] = {{0, 0, target.width, kept.top},
                        {0, kept.top, kept.left, kept.bottom},
                        {kept.right, kept.top, target.width, kept.bottom},
                        {0, kept.bottom, target.width, target.height}};
  for (const RECT& band : bands)
    if (band.left < band.right && band.top < band.bottom) FillPixels(target, band, value);
}

void CopyPixels(const gdi::PixelBuffer& target, int x, int y, const gdi::PixelBuffer& source, const RECT& from) {
  const auto rowBytes = static_cast<std::size_t>(from.right - from.left) * PixelBytes(target);
  for (int row = 0; row < from.bottom - from.top; ++row)
    std::memcpy(At(target, x, y + row), At(source, from.left, from.top + row), rowBytes);
}

void CopyPixelsKeyed(const gdi::PixelBuffer& target, int x, int y, const gdi::PixelBuffer& source,
                     const RECT& from, DWORD key) {
  const KeyedRow keyed = Kernels().keyed[static_cast<std::size_t>(PixelBytes(target) - 1)];
  for (int row = 0; row < from.bottom - from.top; ++row)
    keyed(At(target, x, y + row), At(source, from.left, from.top + row), from.right - from.left, key);
}

}  // namespace ddraw
