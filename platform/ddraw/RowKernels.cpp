// The baseline rows, the ramp's levels and the choice of set. Pixels are read and written
// through memcpy of their size, so any row start is fine; the keyed loop is a select with no
// branch but the key test, and the width is a value, so the compiler need not reload it.
#include "platform/ddraw/RowKernels.h"

#include <cstring>
#include <type_traits>

namespace ddraw {
namespace {

// A pixel of N bytes held in its own width, so the keyed loop compares lanes of that width.
template <int N>
using Value = std::conditional_t<N == 1, std::uint8_t, std::conditional_t<N == 2, std::uint16_t, std::uint32_t>>;

template <int N>
Value<N> Load(const std::byte* p) {
  if constexpr (N == 3) {
    return std::to_integer<std::uint32_t>(p[0]) | std::to_integer<std::uint32_t>(p[1]) << 8 |
           std::to_integer<std::uint32_t>(p[2]) << 16;
  } else {
    Value<N> v;
    std::memcpy(&v, p, N);
    return v;
  }
}

template <int N>
void Store(std::byte* p, Value<N> v) {
  if constexpr (N == 3) {
    p[0] = static_cast<std::byte>(v);
    p[1] = static_cast<std::byte>(v >> 8);
    p[2] = static_cast<std::byte>(v >> 16);
  } else {
    std::memcpy(p, &v, N);
  }
}

template <int N>
void KeyedRow(std::byte* out, const std::byte* in, int width, std::uint32_t keyValue) {
  const auto key = static_cast<Value<N>>(keyValue);
  for (int x = 0; x < width; ++x) {
    const Value<N> pixel = Load<N>(in + x * N);
    const Value<N> kept = Load<N>(out + x * N);
    Store<N>(out + x * N, pixel == key ? kept : pixel);
  }
}

// Channel levels to 0x00RRGGBB, as they are while the ramp is the identity or through it.
struct AsIs {
  std::uint32_t operator()(unsigned r, unsigned g, unsigned b) const { return r << 16 | g << 8 | b; }
};
struct Through {
  const Levels& levels;
  std::uint32_t operator()(unsigned r, unsigned g, unsigned b) const {
    return std::uint32_t{levels.red[r]} << 16 | std::uint32_t{levels.green[g]} << 8 | levels.blue[b];
  }
};

// 5 and 6 bits widen by repeating their high bits, so full levels stay full.
constexpr unsigned Widen5(unsigned v) { return v << 3 | v >> 2; }
constexpr unsigned Widen6(unsigned v) { return v << 2 | v >> 4; }

template <class Map>
void Row565(std::uint32_t* out, const std::byte* in, int width, Map map, std::uint32_t alpha) {
  for (int x = 0; x < width; ++x) {
    const unsigned p = Load<2>(in + 2 * x);
    out[x] = map(Widen5(p >> 11), Widen6(p >> 5 & 63), Widen5(p & 31)) | alpha;
  }
}

template <int Bytes, class Map>
void RowRgb(std::uint32_t* out, const std::byte* in, int width, Map map, std::uint32_t alpha) {
  for (int x = 0; x < width; ++x) {
    const std::byte* p = in + Bytes * x;
    out[x] = map(std::to_integer<unsigned>(p[2]), std::to_integer<unsigned>(p[1]), std::to_integer<unsigned>(p[0])) | alpha;
  }
}

void Convert16(std::uint32_t* out, const std::byte* in, int width, const Levels& levels, std::uint32_t alpha) {
  if (levels.identity) {
    Row565(out, in, width, AsIs{}, alpha);
  } else {
    Row565(out, in, width, Through{levels}, alpha);
  }
}

template <int Bytes>
void ConvertRgb(std::uint32_t* out, const std::byte* in, int width, const Levels& levels, std::uint32_t alpha) {
  if (levels.identity) {
    RowRgb<Bytes>(out, in, width, AsIs{}, alpha);
  } else {
    RowRgb<Bytes>(out, in, width, Through{levels}, alpha);
  }
}

constexpr RowKernels kBaseline{
    {&KeyedRow<1>, &KeyedRow<2>, &KeyedRow<3>, &KeyedRow<4>},
    {&Convert16, &ConvertRgb<3>, &ConvertRgb<4>},
};

void TakeChannel(const WORD (&ramp)[256], std::array<std::uint8_t, 256>& levels, std::uint16_t& factor,
                 Levels& into) {
  factor = ramp[1];
  for (unsigned i = 0; i < 256; ++i) {
    levels[i] = static_cast<std::uint8_t>(ramp[i] >> 8);
    into.identity = into.identity && levels[i] == i;
    into.products = into.products && ramp[i] == static_cast<WORD>(i * factor);
  }
}

}  // namespace

Levels LevelsOf(const DDGAMMARAMP& ramp) {
  Levels levels;
  TakeChannel(ramp.red, levels.red, levels.redFactor, levels);
  TakeChannel(ramp.green, levels.green, levels.greenFactor, levels);
  TakeChannel(ramp.blue, levels.blue, levels.blueFactor, levels);
  return levels;
}

const RowKernels& BaselineKernels() { return kBaseline; }

const RowKernels& Kernels() {
  static const RowKernels& chosen = VectorKernels() ? *VectorKernels() : BaselineKernels();
  return chosen;
}

}  // namespace ddraw
