// Gradient noise and fractal sums, optionally periodic per axis, for procedural drawing.
// A period (in lattice cells) makes the noise tile, so a time axis can loop without a jump.
#pragma once

#include <cstdint>

namespace art {

// Lattice periods per axis; 0 means the axis does not repeat.
struct Period {
  int x = 0;
  int y = 0;
  int z = 0;
};

// Gradient noise in about [-1, 1].
float Noise2(float x, float y, std::uint32_t seed, Period period = {});
float Noise3(float x, float y, float z, std::uint32_t seed, Period period = {});

// Fractal sum of `octaves` layers, each of double frequency and half amplitude, normalised to
// about [-1, 1]. Periods double with the frequency, so a periodic sum stays periodic; the z
// (time) period is kept, so every octave loops in the same number of frames.
float Fbm2(float x, float y, int octaves, std::uint32_t seed, Period period = {});
float Fbm3(float x, float y, float z, int octaves, std::uint32_t seed, Period period = {});

// One-dimensional fractal profile, for ridge lines and edges.
float Fbm1(float x, int octaves, std::uint32_t seed);

// Fractal noise carried along v by `travel` lattice units per cycle, for streaming water;
// `cycles` counts the loops made so far and the result repeats after every whole one.
float FlowNoise(float u, float v, float cycles, float travel, int octaves, std::uint32_t seed);

// Fractal noise that boils in place, looping once as `phase` runs from 0 to 1.
float Boil(float x, float y, float phase, int octaves, std::uint32_t seed);

}  // namespace art
