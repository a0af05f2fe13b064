// The vectorised rows for x86-64 processors with AVX2. Only these functions carry the AVX2
// target, so the rest of the program keeps running on any x86-64; the last pixels of a row
// that do not fill a vector go through the baseline row, or, for a keyed row, the last vector
// overlaps the one before it. The keyed rows compare and blend,
// and leave the target alone where a whole vector is the key and unread where none is;
// 3-byte pixels are widened to 4 bytes for the compare and the mask narrowed back, so the
// stores cover whole 48-byte runs. A ramp made of products is applied by a 16-bit multiply.
#include "platform/ddraw/RowKernels.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace ddraw {

#if defined(__x86_64__)
namespace {

#define QM_AVX2 [[gnu::target("avx2")]]

QM_AVX2 __m128i Load128(const std::byte* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
QM_AVX2 void Store128(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
QM_AVX2 __m256i Load256(const std::byte* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
QM_AVX2 void Store256(void* p, __m256i v) { _mm256_storeu_si256(static_cast<__m256i*>(p), v); }

// Sixteen 3-byte pixels (48 bytes in three registers) as four registers of four 0x00RRGGBB.
struct Wide24 {
  __m128i quad[4];
};
QM_AVX2 Wide24 Widen24(__m128i s0, __m128i s1, __m128i s2) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  return {{_mm_shuffle_epi8(s0, spread), _mm_shuffle_epi8(_mm_alignr_epi8(s1, s0, 12), spread),
           _mm_shuffle_epi8(_mm_alignr_epi8(s2, s1, 8), spread), _mm_shuffle_epi8(_mm_srli_si128(s2, 4), spread)}};
}

// One vector of pixels `s` onto `out`, where `keyed` is all ones over the key's pixels.
QM_AVX2 void Blend256(std::byte* out, __m256i s, __m256i keyed) {
  const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(keyed));
  if (mask == 0xFFFFFFFFu) return;
  Store256(out, mask == 0 ? s : _mm256_blendv_epi8(s, Load256(out), keyed));
}

// Runs Step over a row in vectors of PerVector pixels. A row at least one vector wide ends
// with the vector that ends at its last pixel, overlapping the one before: a keyed copy done
// twice leaves what it left once. Shorter rows go through the baseline row.
template <int Bytes, int PerVector, auto Step, class Key>
QM_AVX2 void EachVector(std::byte* out, const std::byte* in, int width, std::uint32_t key, Key k) {
  if (width < PerVector) return BaselineKernels().keyed[Bytes - 1](out, in, width, key);
  for (int x = 0;; x += PerVector) {
    if (x > width - PerVector) x = width - PerVector;
    Step(out + Bytes * x, in + Bytes * x, k);
    if (x == width - PerVector) return;
  }
}

// 2- and 4-byte pixels: one compare per lane of their width.
template <int Bytes>
QM_AVX2 void LanesVector(std::byte* out, const std::byte* in, __m256i k) {
  const __m256i s = Load256(in);
  Blend256(out, s, Bytes == 2 ? _mm256_cmpeq_epi16(s, k) : _mm256_cmpeq_epi32(s, k));
}

template <int Bytes>
QM_AVX2 void KeyedLanes(std::byte* out, const std::byte* in, int width, std::uint32_t key) {
  const __m256i k = Bytes == 2 ? _mm256_set1_epi16(static_cast<short>(key)) : _mm256_set1_epi32(static_cast<int>(key));
  EachVector<Bytes, 32 / Bytes, &LanesVector<Bytes>>(out, in, width, key, k);
}

// Sixteen 3-byte pixels.
QM_AVX2 void Vector24(std::byte* out, const std::byte* in, __m128i k) {
  // Byte j of a 48-byte run belongs to pixel j / 3.
  const __m128i narrow0 = _mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
  const __m128i narrow1 = _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10);
  const __m128i narrow2 = _mm_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15);
  const __m128i s0 = Load128(in), s1 = Load128(in + 16), s2 = Load128(in + 32);
  const Wide24 wide = Widen24(s0, s1, s2);
  // One byte per pixel, all ones where the pixel is the key.
  const __m128i keyed = _mm_packs_epi16(
      _mm_packs_epi32(_mm_cmpeq_epi32(wide.quad[0], k), _mm_cmpeq_epi32(wide.quad[1], k)),
      _mm_packs_epi32(_mm_cmpeq_epi32(wide.quad[2], k), _mm_cmpeq_epi32(wide.quad[3], k)));
  const int mask = _mm_movemask_epi8(keyed);
  if (mask == 0xFFFF) return;
  if (mask == 0) {
    Store128(out, s0);
    Store128(out + 16, s1);
    Store128(out + 32, s2);
    return;
  }
  Store128(out, _mm_blendv_epi8(s0, Load128(out), _mm_shuffle_epi8(keyed, narrow0)));
  Store128(out + 16, _mm_blendv_epi8(s1, Load128(out + 16), _mm_shuffle_epi8(keyed, narrow1)));
  Store128(out + 32, _mm_blendv_epi8(s2, Load128(out + 32), _mm_shuffle_epi8(keyed, narrow2)));
}

QM_AVX2 void Keyed24(std::byte* out, const std::byte* in, int width, std::uint32_t key) {
  EachVector<3, 16, &Vector24>(out, in, width, key, _mm_set1_epi32(static_cast<int>(key & 0xFFFFFF)));
}

// Each 16-bit lane times its channel's factor, keeping bits 8 to 15 of the product: the ramp's
// entry >> 8. The alpha lanes' factor is 0.
QM_AVX2 __m256i Scale(__m256i pixels, __m256i factors) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i low = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(pixels, zero), factors), 8);
  const __m256i high = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(pixels, zero), factors), 8);
  return _mm256_packus_epi16(low, high);
}

QM_AVX2 __m256i Factors(const Levels& levels) {
  const auto b = static_cast<short>(levels.blueFactor), g = static_cast<short>(levels.greenFactor),
             r = static_cast<short>(levels.redFactor);
  return _mm256_setr_epi16(b, g, r, 0, b, g, r, 0, b, g, r, 0, b, g, r, 0);
}

// The rows below handle the identity and product ramps; any other ramp takes the tables of
// the baseline row.
QM_AVX2 void Convert32(std::uint32_t* out, const std::byte* in, int width, const Levels& levels, std::uint32_t alpha) {
  if (!levels.identity && !levels.products) return BaselineKernels().convert[2](out, in, width, levels, alpha);
  const __m256i colour = _mm256_set1_epi32(0x00FFFFFF), top = _mm256_set1_epi32(static_cast<int>(alpha));
  const __m256i factors = Factors(levels);
  int x = 0;
  for (; x + 8 <= width; x += 8) {
    const __m256i p = _mm256_and_si256(Load256(in + 4 * x), colour);
    Store256(out + x, _mm256_or_si256(levels.identity ? p : Scale(p, factors), top));
  }
  BaselineKernels().convert[2](out + x, in + 4 * x, width - x, levels, alpha);
}

QM_AVX2 void Convert24(std::uint32_t* out, const std::byte* in, int width, const Levels& levels, std::uint32_t alpha) {
  if (!levels.identity && !levels.products) return BaselineKernels().convert[1](out, in, width, levels, alpha);
  const __m256i factors = Factors(levels), top = _mm256_set1_epi32(static_cast<int>(alpha));
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    const std::byte* s = in + 3 * x;
    const Wide24 wide = Widen24(Load128(s), Load128(s + 16), Load128(s + 32));
    __m256i first = _mm256_set_m128i(wide.quad[1], wide.quad[0]);
    __m256i second = _mm256_set_m128i(wide.quad[3], wide.quad[2]);
    if (!levels.identity) {
      first = Scale(first, factors);
      second = Scale(second, factors);
    }
    Store256(out + x, _mm256_or_si256(first, top));
    Store256(out + x + 8, _mm256_or_si256(second, top));
  }
  BaselineKernels().convert[1](out + x, in + 3 * x, width - x, levels, alpha);
}

// A 5- or 6-bit field widened by repeating its high bits, then through the ramp's factor.
QM_AVX2 __m256i Level(__m256i field, int bits, bool scale, __m256i factor) {
  const __m256i wide = _mm256_or_si256(_mm256_slli_epi16(field, 8 - bits), _mm256_srli_epi16(field, 2 * bits - 8));
  return scale ? _mm256_srli_epi16(_mm256_mullo_epi16(wide, factor), 8) : wide;
}

QM_AVX2 void Convert16(std::uint32_t* out, const std::byte* in, int width, const Levels& levels, std::uint32_t alpha) {
  if (!levels.identity && !levels.products) return BaselineKernels().convert[0](out, in, width, levels, alpha);
  const bool scale = !levels.identity;
  const __m256i redFactor = _mm256_set1_epi16(static_cast<short>(levels.redFactor));
  const __m256i greenFactor = _mm256_set1_epi16(static_cast<short>(levels.greenFactor));
  const __m256i blueFactor = _mm256_set1_epi16(static_cast<short>(levels.blueFactor));
  const __m256i five = _mm256_set1_epi16(31), six = _mm256_set1_epi16(63);
  const __m256i top = _mm256_set1_epi16(static_cast<short>(alpha >> 16));
  int x = 0;
  for (; x + 16 <= width; x += 16) {
    const __m256i p = Load256(in + 2 * x);
    const __m256i red = Level(_mm256_srli_epi16(p, 11), 5, scale, redFactor);
    const __m256i green = Level(_mm256_and_si256(_mm256_srli_epi16(p, 5), six), 6, scale, greenFactor);
    const __m256i blue = Level(_mm256_and_si256(p, five), 5, scale, blueFactor);
    const __m256i low = _mm256_or_si256(blue, _mm256_slli_epi16(green, 8));
    const __m256i high = _mm256_or_si256(red, top);
    // Unpacking works within each 128-bit half: pixels 0-3 and 8-11, then 4-7 and 12-15.
    const __m256i first = _mm256_unpacklo_epi16(low, high), second = _mm256_unpackhi_epi16(low, high);
    Store256(out + x, _mm256_permute2x128_si256(first, second, 0x20));
    Store256(out + x + 8, _mm256_permute2x128_si256(first, second, 0x31));
  }
  BaselineKernels().convert[0](out + x, in + 2 * x, width - x, levels, alpha);
}

#undef QM_AVX2

}  // namespace

const RowKernels* VectorKernels() {
  static const RowKernels avx2{
      {BaselineKernels().keyed[0], &KeyedLanes<2>, &Keyed24, &KeyedLanes<4>},
      {&Convert16, &Convert24, &Convert32},
  };
  return __builtin_cpu_supports("avx2") ? &avx2 : nullptr;
}

#else

const RowKernels* VectorKernels() { return nullptr; }

#endif

}  // namespace ddraw
