// The raster operations: a code's index byte is a truth table over pattern, source and
// destination bits, bit (p << 2 | s << 1 | d) holding the result. Binary (pen) modes map onto it.
#pragma once

#include <cstdint>

#include "platform/gdi/PixelFormat.h"

namespace gdi {

using RopCode = std::uint8_t;

constexpr RopCode kRopSrcCopy = 0xCC, kRopPatCopy = 0xF0;

constexpr RopCode RopIndex(DWORD rop) { return static_cast<RopCode>(rop >> 16); }
constexpr bool RopUsesPattern(RopCode r) { return (r >> 4 & 0x0F) != (r & 0x0F); }
constexpr bool RopUsesSource(RopCode r) { return (r >> 2 & 0x33) != (r & 0x33); }
constexpr bool RopUsesDest(RopCode r) { return (r >> 1 & 0x55) != (r & 0x55); }

// A pen mode (R2_BLACK = 1 .. R2_WHITE = 16) as a code over pattern (the pen) and destination;
// modes outside that range draw as R2_COPYPEN.
constexpr RopCode RopFromMix(int mix) {
  if (mix < 1 || mix > 16) return kRopPatCopy;
  const unsigned table = static_cast<unsigned>(mix - 1);  // bit (p << 1 | d)
  RopCode r = 0;
  for (unsigned i = 0; i < 8; ++i)
    if (table >> ((i >> 2) << 1 | (i & 1)) & 1) r = static_cast<RopCode>(r | 1u << i);
  return r;
}

constexpr Pixel ApplyRop(RopCode r, Pixel p, Pixel s, Pixel d) {
  Pixel out = 0;
  for (unsigned i = 0; i < 8; ++i)
    if (r >> i & 1) out |= (i & 4 ? p : ~p) & (i & 2 ? s : ~s) & (i & 1 ? d : ~d);
  return out;
}

// d[i] = rop(p[i], s[i], d[i]) within `mask`; a null p or s reads as 0 (the code ignores it).
inline void CombineRow(RopCode r, const Pixel* p, const Pixel* s, Pixel* d, int count, Pixel mask) {
  for (int i = 0; i < count; ++i) d[i] = ApplyRop(r, p ? p[i] : 0, s ? s[i] : 0, d[i]) & mask;
}

}  // namespace gdi
