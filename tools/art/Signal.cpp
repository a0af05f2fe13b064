// Sound signals that repeat exactly: noise, circular band filters and whole-cycle swells.
#include "tools/art/Signal.h"

#include "tools/art/Random.h"

namespace art {

Signal WhiteNoise(std::uint64_t seed, std::size_t length) {
  Pcg32 rng(seed);
  Signal s(length);
  for (double& v : s) v = rng.Uniform() * 2 - 1;
  return s;
}

Signal BandPass(const Signal& in, double lo, double hi, int rate) {
  const Signal low = Circular(in, LowPass(hi, rate));
  const Signal lower = Circular(low, LowPass(lo, rate));
  Signal out(in.size());
  for (std::size_t i = 0; i < in.size(); ++i) out[i] = low[i] - lower[i];
  return out;
}

double Swell(std::size_t i, std::size_t length, std::uint64_t seed, double depth) {
  Pcg32 rng(seed);
  double v = 1;
  for (int cycles : {2, 3, 5, 8, 13}) {
    const double phase = rng.Uniform() * 2 * kPi;
    v += (depth / std::sqrt(cycles)) * std::sin(2 * kPi * cycles * static_cast<double>(i) / length + phase);
  }
  return v;
}

}  // namespace art
