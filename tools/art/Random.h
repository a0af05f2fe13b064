// Deterministic pseudo-random numbers and integer hashes for the art generators.
// Fixed algorithms (SplitMix64, PCG32) so every run draws the same pictures and sound.
#pragma once

#include <cstdint>

namespace art {

// Mixes a 64-bit value into a well-spread 64-bit hash (SplitMix64 finaliser).
constexpr std::uint64_t Mix64(std::uint64_t z) {
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// Hash of a lattice point; the noise functions take their gradients from it.
constexpr std::uint32_t HashPoint(int x, int y, int z, std::uint32_t seed) {
  const std::uint64_t key = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(x)) << 32) ^
                            (static_cast<std::uint64_t>(static_cast<std::uint32_t>(y)) << 11) ^
                            (static_cast<std::uint64_t>(static_cast<std::uint32_t>(z)) * 0x632BE59BD9B4E019ull) ^
                            (static_cast<std::uint64_t>(seed) << 48);
  return static_cast<std::uint32_t>(Mix64(key) >> 32);
}

// PCG32 stream: small state, good statistics, the same sequence on every platform.
class Pcg32 {
 public:
  explicit Pcg32(std::uint64_t seed) : state_(Mix64(seed)) { Next(); }

  std::uint32_t Next() {
    const std::uint64_t old = state_;
    state_ = old * 6364136223846793005ull + 1442695040888963407ull;
    const auto xorshifted = static_cast<std::uint32_t>(((old >> 18) ^ old) >> 27);
    const auto rot = static_cast<std::uint32_t>(old >> 59);
    return (xorshifted >> rot) | (xorshifted << ((32 - rot) & 31));
  }

  // Uniform in [0, 1).
  float Uniform() { return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f); }
  float Range(float lo, float hi) { return lo + (hi - lo) * Uniform(); }

 private:
  std::uint64_t state_;
};

}  // namespace art
