// The fountain's sound: periodic noise through band filters (the hiss of falling water and its
// heavier body) with slow swells, and drops ringing as they hit the water, each placed round
// the loop so that one running over its end goes on at its start.
#include "tools/fountain_art/Splash.h"

#include <algorithm>
#include <cmath>

#include "tools/art/Random.h"
#include "tools/art/Signal.h"

namespace art {
namespace {

constexpr std::size_t kLength = kSplashFrames;

struct Stereo {
  Signal left, right;
};

// Drops hitting the water: each a short ring whose pitch rises as it dies away (the bubble it
// traps), panned somewhere across the basin.
Stereo Drops(std::uint64_t seed, double perSecond) {
  Stereo out{Signal(kLength, 0.0), Signal(kLength, 0.0)};
  Pcg32 rng(seed);
  const int count = static_cast<int>(perSecond * kLength / kSplashRate);
  for (int n = 0; n < count; ++n) {
    const std::size_t start = rng.Next() % kLength;
    const double pitch = 500 * std::pow(7.0, rng.Uniform());
    const double decay = 0.003 + 0.01 * rng.Uniform();
    const double rise = 0.4 + 1.2 * rng.Uniform();
    const double loud = 0.15 + 0.85 * std::pow(rng.Uniform(), 2.0f);
    const double pan = 0.2 + 0.6 * rng.Uniform();
    const auto length = static_cast<std::size_t>(6 * decay * kSplashRate);
    double angle = 0;
    for (std::size_t i = 0; i < length; ++i) {
      const double t = static_cast<double>(i) / kSplashRate;
      angle += 2 * kPi * pitch * (1 + rise * t / decay * 0.12) / kSplashRate;
      const double attack = std::min(1.0, i / 12.0);
      const double v = loud * attack * std::exp(-t / decay) * std::sin(angle);
      out.left[(start + i) % kLength] += v * std::sqrt(1 - pan);
      out.right[(start + i) % kLength] += v * std::sqrt(pan);
    }
  }
  return out;
}

Signal Channel(std::uint64_t seed, const Signal& shared, const Signal& drops) {
  Signal white = WhiteNoise(seed, kLength);
  for (std::size_t i = 0; i < kLength; ++i) white[i] = 0.55 * white[i] + 0.45 * shared[i];
  // The splash's hiss rolls off towards the top, as water heard from a few steps away does.
  const Signal hiss = Circular(BandPass(white, 600, 4200, kSplashRate), LowPass(5200, kSplashRate));
  const Signal body = BandPass(white, 110, 650, kSplashRate);
  Signal out(kLength);
  for (std::size_t i = 0; i < kLength; ++i) {
    const double swell = Swell(i, kLength, seed + 1, 0.16), heavy = Swell(i, kLength, seed + 2, 0.22);
    out[i] = hiss[i] * 1.3 * swell + body[i] * 1.5 * heavy + drops[i] * 0.3;
  }
  return out;
}

}  // namespace

std::vector<std::uint8_t> SplashSamples() {
  const Signal shared = WhiteNoise(701, kLength);
  const Stereo drops = Drops(702, 55);
  const Signal left = Channel(703, shared, drops.left), right = Channel(704, shared, drops.right);
  double mean = 0, power = 0;
  for (std::size_t i = 0; i < kLength; ++i) mean += left[i] + right[i];
  mean /= 2.0 * kLength;
  for (std::size_t i = 0; i < kLength; ++i) power += (left[i] - mean) * (left[i] - mean) + (right[i] - mean) * (right[i] - mean);
  const double gain = 0.17 / std::sqrt(power / (2.0 * kLength));  // a steady level well below full scale
  // Triangular dither of one step keeps the quiet moments from turning into a buzz.
  Pcg32 dither(705);
  std::vector<std::uint8_t> out;
  out.reserve(2 * kLength);
  for (std::size_t i = 0; i < kLength; ++i)
    for (double v : {left[i], right[i]}) {
      const double shaped = std::tanh((v - mean) * gain * 1.1) / 1.1;  // rounds off the rare peaks
      const double level = 128 + 127 * shaped + (dither.Uniform() - dither.Uniform());
      out.push_back(static_cast<std::uint8_t>(std::clamp(std::lround(level), 1L, 255L)));
    }
  return out;
}

}  // namespace art
