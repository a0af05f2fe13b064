// The waterfall's sound: periodic white noise through a few filters (deep rumble, pink body,
// a hiss band) with slow swells, every part repeating exactly once per loop.
#include "tools/waterfall_art/Rush.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "tools/waterfall_art/Random.h"

namespace art {
namespace {

constexpr double kPi = 3.14159265358979323846;
using Signal = std::vector<double>;

Signal WhiteNoise(std::uint64_t seed) {
  Pcg32 rng(seed);
  Signal s(kRushFrames);
  for (double& v : s) v = rng.Uniform() * 2 - 1;
  return s;
}

// Runs a filter over the loop twice and keeps the second pass: the filter's state has then
// settled into the loop, so the output is periodic too.
template <typename Filter>
Signal Circular(const Signal& in, Filter filter) {
  Signal out(in.size());
  for (int pass = 0; pass < 2; ++pass)
    for (std::size_t i = 0; i < in.size(); ++i) out[i] = filter(in[i]);
  return out;
}

// One-pole low-pass with cut-off `hz`.
auto LowPass(double hz) {
  const double a = std::exp(-2 * kPi * hz / kSampleRate);
  return [a, y = 0.0](double x) mutable { return y = (1 - a) * x + a * y; };
}

// Pink-like noise: low-passed copies at spread cut-offs, summed with falling weights.
Signal Pink(const Signal& white) {
  Signal sum(white.size(), 0.0);
  const std::array<std::pair<double, double>, 5> bands{{{60, 1.0}, {250, 0.55}, {1000, 0.32}, {4000, 0.2}, {9000, 0.12}}};
  for (const auto& [hz, weight] : bands) {
    const Signal part = Circular(white, LowPass(hz));
    for (std::size_t i = 0; i < sum.size(); ++i) sum[i] += part[i] * weight * std::sqrt(hz / 60);
  }
  return sum;
}

Signal BandPass(const Signal& in, double lo, double hi) {
  const Signal low = Circular(in, LowPass(hi));
  const Signal lower = Circular(low, LowPass(lo));
  Signal out(in.size());
  for (std::size_t i = 0; i < in.size(); ++i) out[i] = low[i] - lower[i];
  return out;
}

// Slow swells: sines with whole numbers of cycles per loop.
double Swell(std::size_t i, std::uint64_t seed) {
  Pcg32 rng(seed);
  double v = 1;
  for (int cycles : {2, 3, 5, 8, 13}) {
    const double phase = rng.Uniform() * 2 * kPi;
    v += (0.09 / std::sqrt(cycles)) * std::sin(2 * kPi * cycles * static_cast<double>(i) / kRushFrames + phase);
  }
  return v;
}

Signal Channel(std::uint64_t seed, const Signal& shared) {
  Signal white = WhiteNoise(seed);
  for (std::size_t i = 0; i < white.size(); ++i) white[i] = 0.6 * white[i] + 0.4 * shared[i];  // some width, one source
  const Signal body = Pink(white);
  const Signal hiss = BandPass(white, 900, 5000);
  const Signal rumble = BandPass(white, 25, 160);
  Signal out(white.size());
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = (body[i] * 0.55 + hiss[i] * 1.1 * Swell(i, seed + 1) + rumble[i] * 2.2) * Swell(i, seed + 2);
  return out;
}

}  // namespace

std::vector<std::int16_t> RushSamples() {
  const Signal shared = WhiteNoise(401);
  const Signal left = Channel(402, shared), right = Channel(403, shared);
  double mean = 0, power = 0;
  for (std::size_t i = 0; i < left.size(); ++i) mean += left[i] + right[i];
  mean /= 2.0 * left.size();
  for (std::size_t i = 0; i < left.size(); ++i) power += (left[i] - mean) * (left[i] - mean) + (right[i] - mean) * (right[i] - mean);
  const double gain = 0.16 / std::sqrt(power / (2.0 * left.size()));  // a steady level well below full scale
  std::vector<std::int16_t> out;
  out.reserve(2 * left.size());
  for (std::size_t i = 0; i < left.size(); ++i)
    for (double v : {left[i], right[i]})
      out.push_back(static_cast<std::int16_t>(std::clamp(std::lround((v - mean) * gain * 32767), -32767L, 32767L)));
  return out;
}

}  // namespace art
