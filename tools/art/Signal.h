// Sound signals that repeat exactly: one loop of samples as doubles, white noise, filters run
// round the loop so their output repeats too, and slow swells of whole cycles per loop.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace art {

using Signal = std::vector<double>;

inline constexpr double kPi = 3.14159265358979323846;

// Uniform white noise in [-1, 1), `length` samples.
Signal WhiteNoise(std::uint64_t seed, std::size_t length);

// Runs a filter over the loop twice and keeps the second pass: the filter's state has then
// settled into the loop, so the output is periodic too.
template <typename Filter>
Signal Circular(const Signal& in, Filter filter) {
  Signal out(in.size());
  for (int pass = 0; pass < 2; ++pass)
    for (std::size_t i = 0; i < in.size(); ++i) out[i] = filter(in[i]);
  return out;
}

// One-pole low-pass with cut-off `hz` at `rate` samples a second.
inline auto LowPass(double hz, int rate) {
  const double a = std::exp(-2 * kPi * hz / rate);
  return [a, y = 0.0](double x) mutable { return y = (1 - a) * x + a * y; };
}

// The band between `lo` and `hi` Hz: the difference of two circular low-passes.
Signal BandPass(const Signal& in, double lo, double hi, int rate);

// Slow swells around 1 at sample i of a loop of `length`: sines of 2, 3, 5, 8 and 13 cycles
// per loop with phases drawn from `seed`, each of depth `depth` / sqrt(cycles).
double Swell(std::size_t i, std::size_t length, std::uint64_t seed, double depth);

}  // namespace art
