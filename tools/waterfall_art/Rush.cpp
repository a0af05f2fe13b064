// The waterfall's sound: periodic white noise through a few filters (deep rumble, pink body,
// a hiss band) with slow swells, every part repeating exactly once per loop.
#include "tools/waterfall_art/Rush.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "tools/art/Signal.h"

namespace art {
namespace {

// Pink-like noise: low-passed copies at spread cut-offs, summed with falling weights.
Signal Pink(const Signal& white) {
  Signal sum(white.size(), 0.0);
  const std::array<std::pair<double, double>, 5> bands{{{60, 1.0}, {250, 0.55}, {1000, 0.32}, {4000, 0.2}, {9000, 0.12}}};
  for (const auto& [hz, weight] : bands) {
    const Signal part = Circular(white, LowPass(hz, kSampleRate));
    for (std::size_t i = 0; i < sum.size(); ++i) sum[i] += part[i] * weight * std::sqrt(hz / 60);
  }
  return sum;
}

Signal Channel(std::uint64_t seed, const Signal& shared) {
  Signal white = WhiteNoise(seed, kRushFrames);
  for (std::size_t i = 0; i < white.size(); ++i) white[i] = 0.6 * white[i] + 0.4 * shared[i];  // some width, one source
  const Signal body = Pink(white);
  const Signal hiss = BandPass(white, 900, 5000, kSampleRate);
  const Signal rumble = BandPass(white, 25, 160, kSampleRate);
  Signal out(white.size());
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double hissSwell = Swell(i, kRushFrames, seed + 1, 0.09), swell = Swell(i, kRushFrames, seed + 2, 0.09);
    out[i] = (body[i] * 0.55 + hiss[i] * 1.1 * hissSwell + rumble[i] * 2.2) * swell;
  }
  return out;
}

}  // namespace

std::vector<std::int16_t> RushSamples() {
  const Signal shared = WhiteNoise(401, kRushFrames);
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
