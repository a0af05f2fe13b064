// Gradient noise and fractal sums, optionally periodic per axis, for procedural drawing.
// Quintic fade; gradients drawn from a fixed table by a lattice hash.
#include "tools/art/Noise.h"

#include <cmath>

#include "tools/art/Random.h"

namespace art {
namespace {

constexpr float kGrad3[16][3] = {{1, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0}, {1, 0, 1}, {-1, 0, 1},
                                 {1, 0, -1}, {-1, 0, -1}, {0, 1, 1}, {0, -1, 1}, {0, 1, -1}, {0, -1, -1},
                                 {1, 1, 0}, {-1, 1, 0}, {0, -1, 1}, {0, -1, -1}};
constexpr float kGrad2[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {0.7071f, 0.7071f}, {-0.7071f, 0.7071f},
                                {0.7071f, -0.7071f}, {-0.7071f, -0.7071f}};

float Frac(float v) { return v - std::floor(v); }
float Fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }
float Lerp(float a, float b, float t) { return a + (b - a) * t; }

int Wrap(int i, int period) {
  if (period <= 0) return i;
  const int m = i % period;
  return m < 0 ? m + period : m;
}

float Corner2(int ix, int iy, float dx, float dy, std::uint32_t seed, Period p) {
  const auto& g = kGrad2[HashPoint(Wrap(ix, p.x), Wrap(iy, p.y), 0, seed) & 7];
  return g[0] * dx + g[1] * dy;
}

float Corner3(int ix, int iy, int iz, float dx, float dy, float dz, std::uint32_t seed, Period p) {
  const auto& g = kGrad3[HashPoint(Wrap(ix, p.x), Wrap(iy, p.y), Wrap(iz, p.z), seed) & 15];
  return g[0] * dx + g[1] * dy + g[2] * dz;
}

Period Doubled(Period p, bool keepZ) { return {p.x * 2, p.y * 2, keepZ ? p.z : p.z * 2}; }

}  // namespace

float Noise2(float x, float y, std::uint32_t seed, Period period) {
  const float fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  const float dx = x - fx, dy = y - fy;
  const float u = Fade(dx), v = Fade(dy);
  const float a = Lerp(Corner2(ix, iy, dx, dy, seed, period), Corner2(ix + 1, iy, dx - 1, dy, seed, period), u);
  const float b = Lerp(Corner2(ix, iy + 1, dx, dy - 1, seed, period),
                       Corner2(ix + 1, iy + 1, dx - 1, dy - 1, seed, period), u);
  return Lerp(a, b, v) * 1.41f;
}

float Noise3(float x, float y, float z, std::uint32_t seed, Period period) {
  const float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
  const float dx = x - fx, dy = y - fy, dz = z - fz;
  const float u = Fade(dx), v = Fade(dy), w = Fade(dz);
  float layer[2];
  for (int k = 0; k < 2; ++k) {
    const float a = Lerp(Corner3(ix, iy, iz + k, dx, dy, dz - k, seed, period),
                         Corner3(ix + 1, iy, iz + k, dx - 1, dy, dz - k, seed, period), u);
    const float b = Lerp(Corner3(ix, iy + 1, iz + k, dx, dy - 1, dz - k, seed, period),
                         Corner3(ix + 1, iy + 1, iz + k, dx - 1, dy - 1, dz - k, seed, period), u);
    layer[k] = Lerp(a, b, v);
  }
  return Lerp(layer[0], layer[1], w) * 1.1f;
}

float Fbm2(float x, float y, int octaves, std::uint32_t seed, Period period) {
  float sum = 0, amp = 1, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * Noise2(x, y, seed + static_cast<std::uint32_t>(o) * 7919u, period);
    norm += amp;
    amp *= 0.5f;
    x *= 2;
    y *= 2;
    period = Doubled(period, false);
  }
  return sum / norm;
}

float Fbm3(float x, float y, float z, int octaves, std::uint32_t seed, Period period) {
  float sum = 0, amp = 1, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * Noise3(x, y, z, seed + static_cast<std::uint32_t>(o) * 7919u, period);
    norm += amp;
    amp *= 0.5f;
    x *= 2;
    y *= 2;
    period = Doubled(period, true);
  }
  return sum / norm;
}

float Fbm1(float x, int octaves, std::uint32_t seed) { return Fbm2(x, 0.37f, octaves, seed); }

// Two copies half a cycle apart are mixed, each faded out at the moment it jumps back, and the
// mix is rescaled so the contrast stays even.
float FlowNoise(float u, float v, float cycles, float travel, int octaves, std::uint32_t seed) {
  const float p1 = Frac(cycles), p2 = Frac(cycles + 0.5f);
  const float w1 = 1 - std::fabs(2 * p1 - 1), w2 = 1 - w1;
  const float a = Fbm2(u, v - travel * p1, octaves, seed);
  const float b = Fbm2(u + 31.7f, v - travel * p2, octaves, seed);
  return (a * w1 + b * w2) / std::sqrt(w1 * w1 + w2 * w2);
}

float Boil(float x, float y, float phase, int octaves, std::uint32_t seed) {
  return Fbm3(x, y, phase * 4, octaves, seed, Period{0, 0, 4});
}

}  // namespace art
