// Blit loops. Pixels are read and written through memcpy of their size, so any row start is
// fine; the keyed loop is a select the compiler can vectorise, with no branch but the key test.
#include "platform/ddraw/Blit.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace ddraw {
namespace {

// A pixel of N bytes held in its own width, so the keyed loop compares lanes of that width.
template <int N>
using Value = std::conditional_t<N == 1, std::uint8_t, std::conditional_t<N == 2, std::uint16_t, std::uint32_t>>;

template <int N>
Value<N> Load(const std::byte* p) {
  if constexpr (N == 1) {
    return std::to_integer<std::uint8_t>(*p);
  } else if constexpr (N == 2) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  } else if constexpr (N == 3) {
    return std::to_integer<std::uint32_t>(p[0]) | std::to_integer<std::uint32_t>(p[1]) << 8 |
           std::to_integer<std::uint32_t>(p[2]) << 16;
  } else {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
}

template <int N>
void Store(std::byte* p, Value<N> v) {
  if constexpr (N == 1) {
    *p = static_cast<std::byte>(v);
  } else if constexpr (N == 2) {
    const auto w = static_cast<std::uint16_t>(v);
    std::memcpy(p, &w, 2);
  } else if constexpr (N == 3) {
    p[0] = static_cast<std::byte>(v);
    p[1] = static_cast<std::byte>(v >> 8);
    p[2] = static_cast<std::byte>(v >> 16);
  } else {
    std::memcpy(p, &v, 4);
  }
}

struct Rows {
  std::byte* target;
  int targetPitch;
  const std::byte* source;
  int sourcePitch;
  int width;  // pixels
  int height;
};

template <int N>
void KeyedRows(const Rows& rows, std::uint32_t keyValue) {
  const auto key = static_cast<Value<N>>(keyValue);
  for (int y = 0; y < rows.height; ++y) {
    std::byte* out = rows.target + static_cast<std::ptrdiff_t>(y) * rows.targetPitch;
    const std::byte* in = rows.source + static_cast<std::ptrdiff_t>(y) * rows.sourcePitch;
    for (int x = 0; x < rows.width; ++x) {
      const Value<N> pixel = Load<N>(in + x * N);
      const Value<N> kept = Load<N>(out + x * N);
      Store<N>(out + x * N, pixel == key ? kept : pixel);
    }
  }
}

template <int N>
void FillRow(std::byte* row, int width, std::uint32_t value) {
  for (int x = 0; x < width; ++x) Store<N>(row + x * N, static_cast<Value<N>>(value));
}

using KeyedRoutine = void (*)(const Rows&, std::uint32_t);
using FillRoutine = void (*)(std::byte*, int, std::uint32_t);
constexpr KeyedRoutine kKeyed[] = {&KeyedRows<1>, &KeyedRows<2>, &KeyedRows<3>, &KeyedRows<4>};
constexpr FillRoutine kFill[] = {&FillRow<1>, &FillRow<2>, &FillRow<3>, &FillRow<4>};

int PixelBytes(const gdi::PixelBuffer& buffer) { return buffer.bitsPerPixel / 8; }

std::byte* At(const gdi::PixelBuffer& buffer, int x, int y) {
  return buffer.bits + static_cast<std::ptrdiff_t>(y) * buffer.pitch + x * PixelBytes(buffer);
}

Rows RowsOf(const gdi::PixelBuffer& target, int x, int y, const gdi::PixelBuffer& source, const RECT& from) {
  return Rows{At(target, x, y), target.pitch, At(source, from.left, from.top), source.pitch,
              from.right - from.left, from.bottom - from.top};
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
  std::byte* first = At(target, area.left, area.top);
  kFill[bytes - 1](first, width, value);
  for (int y = area.top + 1; y < area.bottom; ++y) std::memcpy(At(target, area.left, y), first, rowBytes);
}

void CopyPixels(const gdi::PixelBuffer& target, int x, int y, const gdi::PixelBuffer& source, const RECT& from) {
  const Rows rows = RowsOf(target, x, y, source, from);
  const auto rowBytes = static_cast<std::size_t>(rows.width) * PixelBytes(target);
  for (int row = 0; row < rows.height; ++row) {
    std::memcpy(rows.target + static_cast<std::ptrdiff_t>(row) * rows.targetPitch,
                rows.source + static_cast<std::ptrdiff_t>(row) * rows.sourcePitch, rowBytes);
  }
}

void CopyPixelsKeyed(const gdi::PixelBuffer& target, int x, int y, const gdi::PixelBuffer& source,
                     const RECT& from, DWORD key) {
  kKeyed[PixelBytes(target) - 1](RowsOf(target, x, y, source, from), key);
}

}  // namespace ddraw
